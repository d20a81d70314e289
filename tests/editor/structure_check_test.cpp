// Check Structure: the warning when a file with disagreeing counts opens, the
// dialog's lines and Repair, and what Save and Undo then leave on disk.
#include <cstring>

#include "driver.h"
#include "views/views.h"

namespace {

struct StructureAnswers {
    std::vector<std::string> looks;  // each dialog as summary|lines|R (Repair enabled) or -
    std::deque<int> buttons;         // IDC_REPAIR; IDCANCEL when none is left
    Editor* e;
    int doubleClick = -1;  // the line double-clicked in the next dialog before it is answered
    std::string went;      // the chunk then selected in the main window, and whether the keys stayed
};

// The Check Structure dialog of this thread, once it takes input: read, then
// answered. A timer on the main window, its id the answers.
void AnswerStructureDialog(HWND, UINT, UINT_PTR id, DWORD) {
    StructureAnswers& answers = *reinterpret_cast<StructureAnswers*>(id);
    HWND dialog = ThreadDialog("Check Structure"), list = GetDlgItem(dialog, IDC_STRUCTURE_LIST);
    if (!dialog) return;
    std::string lines;
    for (const std::string& line : ListViewLines(list, 1)) lines += line + "\n";
    answers.looks.push_back(WindowText(GetDlgItem(dialog, IDC_STRUCTURE_SUMMARY)) + "|" + lines + "|" +
                            (IsWindowEnabled(GetDlgItem(dialog, IDC_REPAIR)) ? "R" : "-"));
    if (answers.doubleClick >= 0) DoubleClickLine(list, std::exchange(answers.doubleClick, -1));
    if (answers.went.empty() && GetFocus() == list)  // once the keys are back in the dialog, where the tree went
        answers.went =
            std::to_string(SelectedTreeChunk(answers.e)) + (GetActiveWindow() == dialog ? " (keys in the dialog)" : "");
    int answer = answers.buttons.empty() ? IDCANCEL : answers.buttons.front();
    if (!answers.buttons.empty()) answers.buttons.pop_front();
    SendMessageA(GetDlgItem(dialog, answer), BM_CLICK, 0, 0);
}

const char kFaults[] =
    "4 places where the child counts disagree with the chunks. Repair sets the counts to what the chunks hold%s. "
    "A double-click on a place selects it.|"
    "chunk 2 (1): beyond all counts (top-level chunk 2, the header counts 1)\n"
    "chunk 3 (2): beyond all counts (top-level chunk 3, the header counts 1)\n"
    "chunk 3 (2): node has 1 of its 3 children\n"
    "header: top-level count 1, but the table holds 3 top-level chunks\n|%s";

std::string Look(const char* undo, const char* repair) {
    char text[1024];
    std::snprintf(text, sizeof text, kFaults, undo, repair);
    return text;
}

}  // namespace

// Two chunks beyond the header's count and a node the table leaves short: said once on open, listed, repaired as one
// change that Save writes and Undo takes back to the file's own bytes. Read-only and clean files offer no Repair.
TEST_F(EditorTest, CheckStructureListsAndRepairsTheCountsAsOneChange) {
    StructureAnswers answers;
    answers.e = &e;
    SetTimer(window, reinterpret_cast<UINT_PTR>(&answers), 10, AnswerStructureDialog);
    const std::vector<uint8_t> broken =
        DtbBuilder().Top(1).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 3, 2).Scalar(0, 7).File(5);
    const std::string file = WriteFile("broken.dtb", broken);
    OpenFile(file);
    ASSERT_EQ(user.boxes.size(), 1u);
    EXPECT_EQ(user.boxes[0].text,
              "The child counts of this file disagree with its chunks in 4 places, the first: chunk 2 (1): beyond all "
              "counts (top-level chunk 2, the header counts 1).\n\nThe tree may show chunks under other nodes than "
              "intended. Edit > Check Structure lists every place and can repair the counts.");
    EXPECT_EQ(user.boxes[0].flags & MB_ICONMASK, UINT(MB_ICONWARNING));

    answers.buttons.push_back(IDC_REPAIR);
    answers.doubleClick = 2;  // the node left short
    Command(IDM_CHECK_STRUCTURE);
    EXPECT_EQ(answers.went, "3 (keys in the dialog)");
    EXPECT_EQ(Table(), "3 16(1)#1 0:5 0:6 19(1)#2 0:7");
    EXPECT_EQ(Text(IDC_HEADER12_BOX) + "|" + Text(0), "03 00|" + kTitle + " - " + file + " *");
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(file) ==
                DtbBuilder().Top(3).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 1, 2).Scalar(0, 7).File(5))
        << "the saved file is not the repaired one";
    Command(IDM_UNDO);  // one step takes back every count
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(file) == broken) << "undo did not give back the file's own bytes";
    Command(IDM_CHECK_STRUCTURE);  // Close repairs nothing

    user.readOnly = true;
    OpenFile(file);
    Command(IDM_CHECK_STRUCTURE);
    OpenFile(path);  // a clean file opens without a word and has nothing to repair
    Command(IDM_CHECK_STRUCTURE);
    KillTimer(window, reinterpret_cast<UINT_PTR>(&answers));
    const std::vector<std::string> looks = {Look("; Undo takes it back", "R"), Look("; Undo takes it back", "R"),
                                            Look(" (not in a file open read-only)", "-"),
                                            "The child counts agree with the chunks: nothing to repair.||-"};
    EXPECT_EQ(answers.looks, looks);
    EXPECT_FALSE(e.Doc.Modified);
    EXPECT_EQ(user.boxes.size(), 2u) << "the warning for each broken file, and nothing else";
}
