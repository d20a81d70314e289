// Undo and Redo through the menu (the keys are the shell's): every kind of
// change taken back and done again exactly, its chunk shown, and the title's
// mark following the saved state.
#include "driver.h"

namespace {

class Undo : public EditorTest {
protected:
    Undo() { openAtStart = true; }
    std::string State() const { return Table() + " key " + Text(IDC_KEY_BOX); }
    bool Marked() const { return Text(0).compare(Text(0).size() - 2, 2, " *") == 0; }
};

TEST_F(Undo, EveryChangeIsUndoneAndRedoneWithItsChunkShown) {
    EXPECT_EQ(Joined(Grayed(IDM_UNDO), Grayed(IDM_REDO)), "1 1");
    const struct {
        int32_t selected;
        int command;  // 0: a value typed into the Data box, stored by selecting another chunk
        int location;
        int32_t undone, redone;  // the chunk shown afterwards (-1: the selection as it was)
    } steps[] = {{2, 0, 0, 2, 2},       {6, IDM_INSERT, IDC_INSERT_AFTER, 7, 7}, {3, IDM_REMOVE, 0, 3, 3},
                 {1, IDM_CUT, 0, 1, 1}, {0, IDM_PASTE, IDC_INSERT_UNDER, 1, 1},  {4, IDM_SAVE, 0, -1, -1}};
    std::vector<std::string> states = {State()};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command);
        Select(step.selected);
        if (step.location) Answer(step.location, step.command == IDM_INSERT ? "Integer - 0" : "", "12");
        if (step.command == IDM_SAVE) Type(IDC_KEY_BOX, "0x11223344");
        if (step.command)
            Command(step.command);
        else
            Type(IDC_DATA_BOX, "77"), Select(step.selected + 1);
        states.push_back(State());
        int32_t shown = SelectedChunk();
        Command(IDM_UNDO);
        EXPECT_EQ(State(), states[states.size() - 2]);
        EXPECT_EQ(SelectedChunk(), step.undone < 0 ? shown : step.undone);
        EXPECT_EQ(Marked(), &step != steps);  // only the first change undone gives the file as it was read
        Command(IDM_REDO);
        EXPECT_EQ(Joined(State(), Grayed(IDM_UNDO), Grayed(IDM_REDO)), states.back() + " 0 1");
        EXPECT_EQ(SelectedChunk(), step.redone < 0 ? shown : step.redone);
    }
    EXPECT_FALSE(Marked());  // saved at the last step
    while (!Grayed(IDM_UNDO)) Command(IDM_UNDO);
    EXPECT_EQ(Joined(State(), Marked(), user.beeps), states[0] + " 1 0");
    Command(IDM_SAVE);
    EXPECT_EQ(ReadFile(path), TestFile());
    EXPECT_EQ(Joined(Grayed(IDM_UNDO), Grayed(IDM_REDO)), "1 0");
}

// A change whose undo would pass the history's limit is asked about before
// it stands: No changes nothing and keeps the history; Yes makes it, said
// once, and it cannot be undone.
TEST_F(Undo, AChangeTooLargeToUndoIsAskedAboutFirst) {
    e.Doc.History.Limit = 200;  // a value fits, the alpha subtree's nine chunks do not
    Select(0);
    const std::string before = State();
    user.answers.insert(user.answers.end(), {IDNO, IDYES});
    Command(IDM_REMOVE);
    EXPECT_EQ(Joined(State(), SelectedChunk()), before + " 0") << "No still removed the subtree, or lost the selection";
    Command(IDM_REMOVE);
    EXPECT_EQ(Joined(e.Doc.ChunkCount, Grayed(IDM_UNDO), Marked(), user.boxes.size()), "8 1 1 2")
        << "the change was told again after it was made";
    EXPECT_EQ(user.boxes[0].text, "This change cannot be undone afterwards (9 values). Make it anyway?");
    EXPECT_EQ(user.boxes[0].flags, UINT(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    Command(IDM_SAVE);
    EXPECT_EQ(FileRows(path).back(), "header 1C 08 00 DE AD BE EF");
}

}  // namespace
