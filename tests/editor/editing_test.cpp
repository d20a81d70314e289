// Insert, Remove, Copy, Cut and Paste through the real "Insert Chunk..."
// dialog, the main window's commands and the clipboard (also of a second
// running editor), on a tree whose nodes open lazily.
#include <process.h>

#include <cstdlib>

#include "chunk_types.h"
#include "driver.h"
#include "editing/editing.h"

namespace {

class Editing : public EditorTest {
protected:
    Editing() { openAtStart = true; }
    static std::string Edited(const std::string& from, const std::string& to) {  // kTestTable, one place changed
        std::string table = kTestTable;
        return table.replace(table.find(from), from.size(), to);
    }
};

const char kTreeView[] =
    "Due to the DTB file tree format, all inserting must be done in Tree View. Please switch to "
    "Tree View before inserting.";
const char kSelect[] = "Please select a chunk before continuing.";
const char kHidden[] = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";
// Node 3 and its subtree, as the block holds them.
const std::vector<uint8_t> kNodeBlock =
    DtbBuilder().U32(5).Node(17, 3, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7).Text(32, "one\ntwo").plain;

TEST_F(Editing, GuardsAndTheDialogRefuseBeforeAnythingChanges) {
    for (int view : {IDC_SHOW_AS_TREE, 0, IDC_SHOW_IDENTIFIERS}) {  // the list, no selection, identifiers hidden
        if (view) Click(view);
        Select(view ? 2 : -1);
        Command(IDM_INSERT);
        Command(IDM_REMOVE);
        if (view) Click(view);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({kTreeView, kTreeView, kSelect, kSelect, kHidden, kHidden}));
    for (const Box& box : user.boxes) EXPECT_EQ(Joined(box.owner == window, box.flags), "1 64") << box.text;
    user.boxes.clear();
    // The dialog offers what the selection allows; a refused OK keeps it open
    // with what it holds, and the location chosen next is the one used.
    int32_t used = e.Doc.PoolUsed;
    Select(3);
    Answer(IDC_INSERT_UNDER, "String - 35", "not kept", IDCANCEL);
    Command(IDM_INSERT);
    Select(2);
    Answer(IDC_INSERT_AFTER, "", "keep me");
    Answer(IDC_INSERT_AFTER, "Integer - 0", "12abc");
    Answer(IDC_INSERT_BEFORE, "Integer - 0", "9");
    Command(IDM_INSERT);
    EXPECT_EQ(user.insertLooks, std::vector<std::string>({"BAU B TD", "BA  B TD", "BA  A TD", "BA  A TD"}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"Select a Chunk Type.",
                                                    "An Integer takes a whole number from "
                                                    "-2147483648 to 2147483647, or up to eight hex digits after 0x."}));
    EXPECT_EQ(Joined(user.boxes[0].owner && user.boxes[0].owner != window, user.boxes[0].flags), "1 64")
        << "the refusal is not the Insert dialog's own";
    EXPECT_EQ(Table(), Edited("(4)#1 5'alpha' ", "(5)#1 5'alpha' 0:9 "));
    EXPECT_EQ(e.Doc.PoolUsed, used);  // Cancel leaves the pool as it was
    // A parent at 65535 takes no more: the user is told while choosing.
    WriteU16(e.Doc.HeaderBytes + 1, 65535);
    Select(11);
    Answer(0, "Integer - 0", "1");
    Answer(IDC_INSERT_UNDER, "Integer - 0", "1");
    Command(IDM_INSERT);
    EXPECT_EQ(user.boxes.back().text, "The top level already holds 65535 chunks; no more can be added.");
    EXPECT_EQ(Joined(TopLevelCountOf(e.Doc), ChildCountOf(e.Doc.Chunks[11]), e.Doc.ChunkCount), "65535 1 19");
}

// The new chunk goes where the dialog says and is selected; a removal takes
// the whole subtree and selects what followed it; a copy goes on the
// clipboard as the block and as text, and pastes back as often as asked,
// each copy its own, selected and shown; a paste without a selection is
// appended at the top.
TEST_F(Editing, EditsCountOnceInTheRightParent) {
    const int32_t used = e.Doc.PoolUsed;
    const struct {
        int command;
        int32_t selected;
        int location;
        const char* type;
        int32_t after;                                                    // the chunk selected afterwards
    } steps[] = {{IDM_INSERT, 6, IDC_INSERT_AFTER, "Integer - 0", 7},     // after an only child
                 {IDM_INSERT, 3, IDC_INSERT_UNDER, "Node (?] - 17", 5},   // under a node, after its name
                 {IDM_INSERT, 13, IDC_INSERT_BEFORE, "String - 32", 13},  // before a top-level chunk
                 {IDM_REMOVE, 0, 0, "", 0},                               // grandchildren and all
                 {IDM_COPY, 0, 0, "", 0},
                 {IDM_PASTE, 1, IDC_INSERT_UNDER, "", 2},  // the pasted chunk, shown
                 {IDM_CUT, 1, 0, "", -1},
                 {IDM_PASTE, 0, IDC_INSERT_BEFORE, "", 0},
                 {IDM_PASTE, -1, 0, "", 10}};
    for (const auto& step : steps) {
        Select(step.selected);
        if (step.location) Answer(step.location, step.type, "12");
        Command(step.command);
        EXPECT_EQ(SelectedChunk(), step.after) << step.command;
    }
    EXPECT_EQ(user.insertLooks, std::vector<std::string>({"BA  B TD", "BAU B TD", "BA  B TD", "BAU B --", "BA  B --"}));
    const std::string edited =
        "10 19(1)#-1 6:4022250974 6:4022250974 32'12' 2'OnLoad(x)' 7'Level 3' 8:67305985 "
        "33'data\\sky.dds' 35'XabcX' 18'last' 19(1)#-1 6:4022250974";
    EXPECT_EQ(Table(), edited);
    std::vector<uint8_t> text = ClipboardBytes(CF_TEXT);
    EXPECT_EQ(std::string(text.begin(), text.end()), "Node(0x13): 01 00 FF FF FF FF\r\nUnknown(0x06): DE AD BE EF\r\n");
    EXPECT_EQ(e.Doc.PoolUsed, used + 2);  // removed payloads stay in the pool
    Command(IDM_SAVE);
    user.answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Joined(Table(), user.boxes.size(), user.beeps), edited + " 1 0");
}

// A block is another program's memory: one that is not exactly one whole
// subtree is refused with a beep before anything changes.
TEST_F(Editing, RefusalsOnlyBeep) {
    std::vector<uint8_t> padded = DtbBuilder().U32(1).Scalar(0, 5).plain;  // as the system may round it up
    padded.resize(padded.size() + 8);
    const std::vector<uint8_t> blocks[] = {DtbBuilder().U32(1).U32(32).U32(100).Raw("abc", 3).plain,
                                           padded};  // past the end
    for (const std::vector<uint8_t>& block : blocks) {
        PutOnClipboard(e.ClipboardFormat, block);
        Select(-1);
        Command(IDM_PASTE);
    }
    EXPECT_EQ(Joined(user.beeps, Table()), "1 " + Edited("9 16", "10 16") + " 0:5");
    PutOnClipboard(CF_TEXT, {'t', 0});  // text alone; nothing to copy or cut
    for (int command : {IDM_PASTE, IDM_COPY, IDM_CUT}) Select(-1), Command(command);
    Click(IDC_SHOW_AS_TREE);  // the list: the tree cannot have the focus, so ask the commands directly
    Select(0);
    PutOnClipboard(e.ClipboardFormat, kNodeBlock);
    EXPECT_FALSE(CopyToClipboard(&e, false) || CopyToClipboard(&e, true) || PasteFromClipboard(&e) >= 0);
    EXPECT_EQ(Joined(user.beeps, e.Doc.ChunkCount), "7 18");
    EXPECT_EQ(ClipboardBytes(e.ClipboardFormat), kNodeBlock);
    EXPECT_TRUE(user.boxes.empty());
}

// The block travels between two processes: this one copies, a second run of
// this program pastes it into another file and saves.
TEST_F(Editing, BetweenTwoRunningEditors) {
    if (const char* into = std::getenv("DTBEDIT_PASTE_INTO")) {  // the second editor
        OpenFile(into);
        Select(10);
        Answer(IDC_INSERT_UNDER);
        Command(IDM_PASTE);
        Command(IDM_SAVE);
        return;
    }
    Select(3);
    Command(IDM_COPY);
    std::string other = WriteFile("other.dtb", TestFile());
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    SetEnvironmentVariableA("DTBEDIT_PASTE_INTO", other.c_str());
    EXPECT_EQ(_spawnl(_P_WAIT, program, "editor_tests", "--gtest_filter=Editing.BetweenTwoRunningEditors", nullptr), 0);
    SetEnvironmentVariableA("DTBEDIT_PASTE_INTO", nullptr);
    OpenFile(other);
    EXPECT_EQ(Table(), Edited("19(0)#-1", "19(1)#-1 17(3)#2 5'beta' 19(1)#3 0:7 32'one\ntwo'"));
}

}  // namespace
