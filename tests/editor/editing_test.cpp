// Insert, Remove, Copy, Cut and Paste through the real "Insert Chunk..."
// dialog, the main window's commands and the clipboard (also of a second
// running editor), on a tree with grandchildren whose nodes open lazily.
#include <cstdlib>

#include "driver.h"
#include "editing/editing.h"
#include "views/views.h"

namespace {

class Editing : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        path = WriteFile("nested.dtb", NestedFile());
        OpenFile(path);
    }
    uint16_t Children(int32_t chunk) const { return chunk < 0 ? TopLevelCountOf(state) : ChildCountOf(state.Chunks[chunk]); }
    int Items() const { return int(TreeView_GetCount(Control(IDC_CHUNK_TREE))); }
    // The texts of the items the control holds under item, without opening it.
    int Depth(HTREEITEM item) const {
        int depth = 0;
        while ((item = TreeView_GetParent(Control(IDC_CHUNK_TREE), item))) ++depth;
        return depth;
    }
    std::vector<std::string> Held(HTREEITEM item) const {
        std::vector<std::string> texts;
        for (HTREEITEM child = TreeView_GetChild(Control(IDC_CHUNK_TREE), item); child;
             child = TreeView_GetNextSibling(Control(IDC_CHUNK_TREE), child))
            texts.push_back(ItemText(child));
        return texts;
    }
    std::string path;
};

using Texts = std::vector<std::string>;
const char kStart[] = "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(2)#4 5'gamma' "
                      "1:1069547520 18'last'";
const char kTreeView[] = "Due to the DTB file tree format, all inserting must be done in Tree View. Please switch to "
                         "Tree View before inserting.";
const char kSelect[] = "Please select a chunk before continuing.";
const char kHidden[] = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";
// Node 2 and its subtree, as the block holds them.
const std::vector<uint8_t> kNodeBlock = DtbBuilder().U32(4).Node(17, 2, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7).plain;

TEST_F(Editing, GuardsRefuseInTheirOrderForBothCommands) {
    ASSERT_EQ(Table(), kStart);
    Click(IDC_SHOW_AS_TREE);  // the list: refused even with nothing selected
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    Click(IDC_SHOW_AS_TREE);
    Select(-1);
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    Select(2);
    Click(IDC_SHOW_IDENTIFIERS);
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({kTreeView, kTreeView, kSelect, kSelect, kHidden, kHidden}));
    for (const Box& box : g_user.boxes) EXPECT_TRUE(box.owner == window && box.flags == MB_ICONINFORMATION);
    EXPECT_TRUE(g_user.insertLooks.empty());
    EXPECT_EQ(Table(), kStart);
    EXPECT_EQ(SelectedChunk(), -1);  // Remove rebuilds the tree even when it refuses
}

TEST_F(Editing, DialogOffersWhatTheSelectionAllows) {
    int32_t used = state.PoolUsed;
    Select(4);  // a node: every location
    Answer(IDC_INSERT_UNDER, "String - 35", "not kept", IDCANCEL);
    Command(IDM_INSERT);
    Select(5);  // a number: nothing under it
    Answer(0, "", "", IDCANCEL);
    Command(IDM_INSERT);
    ASSERT_EQ(g_user.insertLooks.size(), 2u);
    const DialogLook& node = g_user.insertLooks[0];
    const DialogLook& number = g_user.insertLooks[1];
    EXPECT_TRUE(node.enabled[0] && node.enabled[1] && node.enabled[2]);
    EXPECT_TRUE(number.enabled[0] && number.enabled[1] && !number.enabled[2]);
    EXPECT_TRUE(node.checked[0] && !node.checked[1] && !node.checked[2]);
    EXPECT_TRUE(node.typeEnabled && node.textEnabled && node.textShown.empty() && node.owner == window);
    EXPECT_EQ(node.entries, 16);
    EXPECT_EQ(Table(), kStart);  // Cancel leaves everything, the pool included
    EXPECT_EQ(state.PoolUsed, used);
    EXPECT_TRUE(g_user.boxes.empty());
}

// A refused OK keeps the dialog and what it holds; the location chosen next
// is the one used, not a mix with the refused one. A text is stored whole,
// however wide, or not at all.
TEST_F(Editing, RefusalsInsideTheDialogKeepItOpen) {
    Select(5);
    Answer(IDC_INSERT_AFTER, "", "keep me");
    Answer(IDC_INSERT_AFTER, "Integer - 0", "12abc");
    Answer(IDC_INSERT_BEFORE, "Integer - 0", "9");
    Command(IDM_INSERT);
    ASSERT_EQ(g_user.boxes.size(), 2u);
    EXPECT_EQ(g_user.boxes[0].text, "Select a Chunk Type.");
    EXPECT_TRUE(g_user.boxes[0].owner && g_user.boxes[0].owner != window && g_user.boxes[0].flags == MB_ICONINFORMATION);
    EXPECT_EQ(g_user.boxes[1].text, "An Integer takes a whole number from -2147483648 to 2147483647, or up to eight "
                                    "hex digits after 0x.");
    ASSERT_EQ(g_user.insertLooks.size(), 3u);
    EXPECT_EQ(g_user.insertLooks[1].textShown, "keep me");
    EXPECT_EQ(g_user.insertLooks[2].textShown, "12abc");
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(2)#3 0:9 0:7 32'text one' 0:42 16(2)#4 5'gamma' "
                       "1:1069547520 18'last'");

    // A parent at 65535 takes no more: the user is told while choosing.
    WriteU16(state.HeaderBytes + 1, 65535);
    Select(9);
    Answer(0, "Integer - 0", "1");
    Answer(IDC_INSERT_UNDER, "Integer - 0", "1");
    Command(IDM_INSERT);
    ASSERT_EQ(g_user.boxes.size(), 3u);
    EXPECT_EQ(g_user.boxes[2].text, "This node already holds 65535 chunks; no more can be added.");
    EXPECT_TRUE(g_user.boxes[2].owner != window && TopLevelCountOf(state) == 65535 && Children(9) == 3);
    EXPECT_EQ(state.ChunkCount, 14);
    std::string wide(76, 'w');
    Select(0);
    Answer(IDC_INSERT_UNDER, "String - 32", wide);
    Command(IDM_INSERT);
    EXPECT_EQ(Payload(2), wide);
}

TEST_F(Editing, BeforeAfterAndUnderCountOnceInTheRightParent) {
    auto insert = [&](int32_t selected, int location, const char* type, const char* text, int32_t expected) {
        Select(selected);
        Answer(location, type, text);
        Command(IDM_INSERT);
        EXPECT_EQ(SelectedChunk(), expected) << type;  // the new chunk is selected and shown
        EXPECT_EQ(TreeItems().size(), size_t(state.ChunkCount));
        EXPECT_EQ(Faults(), 0) << type;
    };
    insert(5, IDC_INSERT_AFTER, "Integer - 0", "0x1F", 6);     // after an only child
    insert(4, IDC_INSERT_AFTER, "Keyword - 5", "kw", 7);       // after a last child whose parent goes on
    insert(2, IDC_INSERT_UNDER, "Node (Common) - 16", "12", 4);  // under a node, after the name it has
    insert(10, IDC_INSERT_BEFORE, "String - 32", "s", 10);     // before a top-level chunk
    insert(15, IDC_INSERT_AFTER, "Float - 1", "2.25", 16);     // after the last chunk of all
    const char kEnd[] = "6 16(3)#1 5'alpha' 17(4)#2 5'beta' 16(0)#12 19(2)#3 0:7 0:31 5'kw' 32'text one' 32's' "
                        "0:42 16(2)#4 5'gamma' 1:1069547520 18'last' 1:1074790400";
    EXPECT_EQ(Table(), kEnd);
    EXPECT_EQ(Text(IDC_DATA_BOX), "2.250000");
    EXPECT_EQ(ItemText(TreeView_GetParent(Control(IDC_CHUNK_TREE), TreeItems()[4])), "beta(2)");  // kept its name
    EXPECT_EQ(Caption(), "KLV DTB Editor v1.0d - " + path + " *");
    Command(IDM_SAVE);
    EXPECT_EQ(Caption(), "KLV DTB Editor v1.0d - " + path);
    g_user.answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Table(), kEnd);
    EXPECT_TRUE(g_user.boxes.size() == 1 && g_user.boxes[0].flags == (MB_YESNO | MB_ICONQUESTION));
}

TEST_F(Editing, TakesWholeSubtreesAndOneCount) {
    int32_t used = state.PoolUsed;
    auto remove = [&](int32_t chunk, const char* after, int32_t selected) {
        Select(chunk);
        Command(IDM_REMOVE);
        EXPECT_EQ(Table(), after);
        EXPECT_EQ(SelectedChunk(), selected) << after;  // what followed the span
        EXPECT_EQ(TreeItems().size(), size_t(state.ChunkCount));
        EXPECT_EQ(Faults(), 0);
    };
    remove(2, "4 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'", 2);  // grandchildren
    remove(0, "3 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'", 0);
    remove(1, "2 0:42 18'last'", 1);
    remove(1, "1 0:42", -1);  // the last one: nothing follows
    remove(0, "0", -1);
    EXPECT_EQ(state.PoolUsed, used);  // payloads stay in the pool
    Command(IDM_REMOVE);              // an empty table: nothing to remove
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({kSelect}));

    // An empty table takes a chunk without a selection, and offers no place.
    Answer(0, "Integer - 0", "-5");
    Command(IDM_INSERT);
    ASSERT_EQ(g_user.insertLooks.size(), 1u);
    const DialogLook& look = g_user.insertLooks[0];
    EXPECT_TRUE(!look.enabled[0] && !look.enabled[1] && !look.enabled[2] && look.checked[0]);
    EXPECT_EQ(Table(), "1 0:4294967291");
    EXPECT_EQ(SelectedChunk(), 0);
}

TEST_F(Editing, CopyPutsTheBlockAndTheTextThere) {
    UINT earlier = RegisterClipboardFormatA("EditingTestEarlier");
    PutOnClipboard(earlier, {1, 2, 3});
    Select(2);
    Command(IDM_COPY);
    EXPECT_FALSE(IsClipboardFormatAvailable(earlier));
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), kNodeBlock);
    EXPECT_EQ(ClipboardText(), "Node(0x11): 02 00 02 00 00 00\r\nString(0x05): beta\r\n"
                               "Node(0x13): 01 00 03 00 00 00\r\nInteger(0x00): 7\r\n");
    EXPECT_TRUE(Table() == kStart && SelectedChunk() == 2);  // nothing changes, nothing is rebuilt
    Select(11);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), DtbBuilder().U32(1).Text(18, "last").plain);
    EXPECT_EQ(ClipboardText(), "String(0x12): last\r\n");
    Select(5);
    Type(IDC_DATA_BOX, "99");  // back to the tree without leaving the chunk: the edit is copied
    SetFocus(Control(IDC_CHUNK_TREE));
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), DtbBuilder().U32(1).Scalar(0, 99).plain);
    EXPECT_TRUE(g_user.boxes.empty() && g_user.beeps == 0);
}

TEST_F(Editing, CopyThenPasteMakesIndependentCopies) {
    int32_t used = state.PoolUsed;
    Select(2);
    Command(IDM_COPY);
    Select(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    ASSERT_EQ(g_user.insertLooks.size(), 1u);
    const DialogLook& look = g_user.insertLooks[0];  // where, and nothing else
    EXPECT_TRUE(!look.typeEnabled && !look.textEnabled && look.checked[0] && look.enabled[2]);
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 5'gamma' 17(2)#2 5'beta' "
                       "19(1)#3 0:7 1:1069547520 18'last'");
    EXPECT_EQ(state.PoolUsed, used + 4);
    EXPECT_TRUE(SelectedChunk() == -1 && TreeItems().size() == 16u);  // rebuilt; the run is not selected
    Select(0);
    Answer(0);  // Before, as checked
    Command(IDM_PASTE);
    EXPECT_EQ(Table().rfind("5 17(2)#2 5'beta' 19(1)#3 0:7 16(3)#1 5'alpha'", 0), 0u);
    Select(1);
    Type(IDC_DATA_BOX, "BETA!");
    Select(2);
    EXPECT_TRUE(Payload(1) == "BETA!" && Payload(7) == "beta" && Payload(15) == "beta");
    Select(0);
    Answer(IDC_INSERT_AFTER, "", "", IDCANCEL);
    Command(IDM_PASTE);
    EXPECT_EQ(state.ChunkCount, 20);
    EXPECT_EQ(Faults(), 0);
    std::string pasted = Table();
    Command(IDM_SAVE);
    g_user.answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Table(), pasted);
    EXPECT_EQ(g_user.beeps, 0);
}

TEST_F(Editing, CutRemovesAsRemoveDoesAndPastesBack) {
    Select(2);
    Command(IDM_CUT);
    EXPECT_EQ(Table(), "4 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'");
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), kNodeBlock);
    EXPECT_TRUE(SelectedChunk() == -1 && TreeItems().size() == 8u);
    Select(7);
    Answer(IDC_INSERT_AFTER);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "5 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last' 17(2)#2 "
                       "5'beta' 19(1)#3 0:7");
    Select(4);
    Command(IDM_CUT);  // a top-level node with its children
    EXPECT_EQ(Table(), "4 16(2)#1 5'alpha' 32'text one' 0:42 18'last' 17(2)#2 5'beta' 19(1)#3 0:7");
    EXPECT_EQ(Faults(), 0);
    EXPECT_TRUE(g_user.boxes.empty() && g_user.beeps == 0);
}

TEST_F(Editing, PasteWithoutSelectionAppendsAtTheTop) {
    Select(4);
    Command(IDM_COPY);
    Select(-1);
    Command(IDM_PASTE);  // no place to ask about
    EXPECT_EQ(Table(), std::string(kStart).replace(0, 1, "5") + " 19(1)#3 0:7");
    while (state.ChunkCount) {
        Select(0);
        Command(IDM_REMOVE);
    }
    Select(-1);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "1 19(1)#3 0:7");
    EXPECT_TRUE(g_user.insertLooks.empty() && g_user.boxes.empty() && g_user.beeps == 0);
}

// A block is another program's memory: one that is not exactly one whole
// subtree is refused with a beep before anything changes.
TEST_F(Editing, RefusalsOnlyBeep) {
    const std::vector<uint8_t> bad[] = {
        DtbBuilder().U32(0).plain,                                   // no records
        DtbBuilder().U32(2).Scalar(0, 1).plain,                      // fewer records than counted
        DtbBuilder().U32(2).Node(16, 2, 1).Scalar(0, 1).plain,       // a node short of a child
        DtbBuilder().U32(2).Scalar(0, 1).Scalar(0, 2).plain,         // two top-level chunks
        DtbBuilder().U32(1).U32(32).U32(100).Raw("abc", 3).plain,    // a payload past the end
        DtbBuilder().U32(1).Scalar(0, 1).U16(7).plain,               // bytes left over
        DtbBuilder().U32(1).U32(3).U32(0).plain,                     // a type no chunk has
        {1, 0, 0},
    };
    int beeps = 0;
    for (const std::vector<uint8_t>& block : bad) {
        PutOnClipboard(state.ClipboardFormat, block);
        Select(beeps % 2 ? -1 : 8);
        if (beeps % 2 == 0) Answer(IDC_INSERT_UNDER);
        Command(IDM_PASTE);
        EXPECT_EQ(g_user.beeps, ++beeps);
        EXPECT_EQ(Table(), kStart) << beeps;
    }
    std::vector<uint8_t> padded = DtbBuilder().U32(1).Scalar(0, 5).plain;  // as the system may round it up
    padded.resize(padded.size() + 8);
    PutOnClipboard(state.ClipboardFormat, padded);
    Select(-1);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), std::string(kStart).replace(0, 1, "5") + " 0:5");

    PutOnClipboard(CF_TEXT, {'t', 0});  // text alone
    Select(0);
    Command(IDM_PASTE);
    Select(-1);  // nothing to copy or cut
    Command(IDM_COPY);
    Command(IDM_CUT);
    EXPECT_EQ(g_user.beeps, beeps + 3);
    Click(IDC_SHOW_AS_TREE);  // the list: the tree cannot have the focus, so ask the commands directly
    Select(0);
    EXPECT_TRUE(CopyToClipboard(&state, 0) == -1 && CopyToClipboard(&state, 1) == -1);
    PutOnClipboard(state.ClipboardFormat, kNodeBlock);
    EXPECT_EQ(PasteFromClipboard(&state), -1);
    EXPECT_EQ(g_user.beeps, beeps + 6);
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), kNodeBlock);
    EXPECT_EQ(state.ChunkCount, 13);
    EXPECT_TRUE(g_user.boxes.empty() && g_user.insertLooks.size() == 4u);
}

// Pool growth that fails in the middle of a run takes the whole run out again.
TEST_F(Editing, PasteThatRunsOutOfMemoryChangesNothing) {
    static const BlockAllocator kSmall = {
        [](void* block, size_t bytes) { return bytes > (1u << 20) ? nullptr : std::realloc(block, bytes); },
        [](void* block) { std::free(block); }};
    FreeDocument(&state);  // the blocks must come from the allocator that grows them
    SetBlockAllocator(&kSmall);
    AllocateDocument(&state);
    OpenFile(path);
    g_user.boxes.clear();
    int32_t used = state.PoolUsed;
    PutOnClipboard(state.ClipboardFormat,
                   DtbBuilder().U32(3).Node(16, 2, 9).Text(32, "small").Text(32, std::string(2 << 20, 'x')).plain);
    Select(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    EXPECT_TRUE(Table() == kStart && state.PoolUsed == used && Faults() == 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"Could not allocate memory."}));
    FreeDocument(&state);
    SetBlockAllocator(nullptr);
    AllocateDocument(&state);
}

// Another program holds the clipboard open: nothing is copied, cut or pasted.
TEST_F(Editing, HeldByAnotherProgram) {
    Select(2);
    Command(IDM_COPY);
    static HANDLE opened, release;
    opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = CreateThread(nullptr, 0, [](void*) -> DWORD {
        BOOL open = OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        if (open) CloseClipboard();
        return open;
    }, nullptr, 0, nullptr);
    WaitForSingleObject(opened, 10000);
    Select(0);
    Command(IDM_COPY);
    Command(IDM_CUT);
    Select(0);  // the cut rebuilt the tree
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    SetEvent(release);
    WaitForSingleObject(holder, 10000);
    DWORD held = 0;
    GetExitCodeThread(holder, &held);
    for (HANDLE h : {opened, release, holder}) CloseHandle(h);
    EXPECT_EQ(held, 1u);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"Could not open clipbard.", "Could not open clipbard.",
                                                    "Could not open clipboard."}));
    for (const Box& box : g_user.boxes) EXPECT_TRUE(box.owner == window && box.flags == MB_ICONERROR);
    EXPECT_EQ(Table(), kStart);
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), kNodeBlock);
}

// The block travels between two processes: this one copies, a second run of
// this program pastes it into another file and saves.
TEST_F(Editing, BetweenTwoRunningEditors) {
    Select(2);
    Command(IDM_COPY);
    std::string other = WriteFile("other.dtb", NestedFile());
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command = std::string("\"") + program + "\" --gtest_filter=Editing.SecondEditorPastes";
    SetEnvironmentVariableA("DTBEDIT_PASTE_INTO", other.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA("DTBEDIT_PASTE_INTO", nullptr);
    ASSERT_TRUE(started);
    bool ended = PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
    if (!ended) TerminateProcess(process.hProcess, 2);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(status, 0u);
    OpenFile(other);
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 5'gamma' 17(2)#2 5'beta' "
                       "19(1)#3 0:7 1:1069547520 18'last'");
}

// Runs only as the second process of the test above.
TEST_F(Editing, SecondEditorPastes) {
    const char* into = std::getenv("DTBEDIT_PASTE_INTO");
    if (!into) GTEST_SKIP() << "the second editor of BetweenTwoRunningEditors";
    OpenFile(into);
    Select(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    Command(IDM_SAVE);
    EXPECT_TRUE(Children(8) == 3 && g_user.boxes.size() == 1u && g_user.beeps == 0);  // the box: Open's question
}

TEST_F(Editing, SelectFindAndRemoveReachUnopenedNodes) {
    EXPECT_EQ(Items(), 4);  // the top level only

    SetWindowTextA(Control(IDC_FIND_BOX), "TEXT");
    Command(IDM_FIND);  // nothing selected: from chunk 0, into the closed first node
    EXPECT_TRUE(SelectedChunk() == 6 && Text(IDC_DATA_BOX) == "text one" && g_user.boxes.empty());
    EXPECT_EQ(Items(), 7);
    EXPECT_EQ(Held(TreeView_GetParent(Control(IDC_CHUNK_TREE), Selected())), Texts({"alpha", "beta(2)", "text one"}));

    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 5), 0);  // two closed levels down
    EXPECT_TRUE(SelectedChunk() == 5 && Depth(Selected()) == 3 && Text(IDC_DATA_BOX) == "7");
    RECT shown;
    EXPECT_TRUE(TreeView_GetItemRect(Control(IDC_CHUNK_TREE), Selected(), &shown, TRUE));  // scrolled into view
    EXPECT_EQ(SelectTreeChunk(&state, TVI_ROOT, 12), -1);
    EXPECT_EQ(SelectedChunk(), 5);

    Command(IDM_REMOVE);  // the rebuilt tree opens only the way to the next chunk
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(0)#3 32'text one' 0:42 16(2)#4 5'gamma' "
                       "1:1069547520 18'last'");
    EXPECT_TRUE(SelectedChunk() == 5 && ItemText(Selected()) == "text one" && Items() == 7);
    EXPECT_EQ(Faults(), 0);
}

TEST_F(Editing, HiddenIdentifiersStayHiddenWhenNodesOpenLater) {
    Click(IDC_SHOW_IDENTIFIERS);
    EXPECT_EQ(Items(), 4);
    EXPECT_EQ(SelectTreeChunk(&state, TVI_ROOT, 3), -1);  // an identifier has no item to open to
    EXPECT_EQ(Items(), 4);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 5), 0);
    HWND tree = Control(IDC_CHUNK_TREE);
    HTREEITEM node19 = TreeView_GetParent(tree, Selected());
    HTREEITEM node17 = TreeView_GetParent(tree, node19);
    EXPECT_EQ(Held(TreeView_GetParent(tree, node17)), Texts({"beta(2)", "text one"}));
    EXPECT_EQ(Held(node17), Texts({"(3)"}));
    TreeView_Expand(tree, TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree))),
                    TVE_EXPAND);  // a click on the closed node "gamma(4)"
    EXPECT_EQ(ItemText(TreeView_GetChild(tree, TreeView_GetNextSibling(tree, TreeView_GetNextSibling(
                                                   tree, TreeView_GetRoot(tree))))),
              "1.500000");
    SetWindowTextA(Control(IDC_FIND_BOX), "gamma");
    Command(IDM_FIND);  // identifiers are not searched while hidden
    EXPECT_TRUE(BoxTexts() == Texts({"Could not find string."}) && SelectedChunk() == 5);
}

TEST_F(Editing, PasteUnderAClosedNode) {
    // Selected as Find does: the driver's own selecting loads every node.
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 7), 0);
    Command(IDM_COPY);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 8), 0);  // closed: its children are not in the control
    EXPECT_EQ(Items(), 4);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 5'gamma' 0:42 "
                       "1:1069547520 18'last'");
    EXPECT_TRUE(SelectedChunk() == -1 && Items() == 4);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 10), 0);
    HTREEITEM node = TreeView_GetParent(Control(IDC_CHUNK_TREE), Selected());
    EXPECT_EQ(ItemText(node), "gamma(4)");  // the name still follows its node
    EXPECT_EQ(Held(node), Texts({"gamma", "42", "1.500000"}));
    EXPECT_EQ(Faults(), 0);
}

// With identifiers hidden, a node without children shows its name in its
// label: the name goes with it when it is copied, cut or passed over.
TEST_F(Editing, HiddenNamesMoveWithTheirNodes) {
    OpenFile(WriteFile("named.dtb", DtbBuilder().Top(3).Node(16, 0, 5).Text(5, "empty").Scalar(0, 1).File(3)));
    Click(IDC_SHOW_IDENTIFIERS);
    ASSERT_EQ(TreeItems().size(), 2u);
    Select(0);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBytes(state.ClipboardFormat), DtbBuilder().U32(2).Node(16, 0, 5).Text(5, "empty").plain);
    EXPECT_EQ(ClipboardText(), "Node(0x10): 00 00 05 00 00 00\r\nString(0x05): empty\r\n");
    Answer(IDC_INSERT_AFTER);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "5 16(0)#5 5'empty' 16(0)#5 5'empty' 0:1");
    std::vector<HTREEITEM> items = TreeItems();
    EXPECT_TRUE(items.size() == 3 && ItemText(items[0]) == "empty(5)" && ItemText(items[1]) == "empty(5)");
    Select(2);
    Command(IDM_CUT);
    EXPECT_EQ(Table(), "3 16(0)#5 5'empty' 0:1");
    Click(IDC_SHOW_IDENTIFIERS);  // shown, the name is an item of its own and stays
    Select(0);
    Command(IDM_CUT);
    EXPECT_EQ(Table(), "2 5'empty' 0:1");
    EXPECT_TRUE(Faults() == 0 && g_user.beeps == 0);
}

}  // namespace
