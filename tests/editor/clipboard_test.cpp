// Copy, Cut and Paste through the real clipboard: the block and the text as
// other programs read them, pastes in this editor and in a second running
// one, and what a paste does with a block it cannot trust.
#include <cstdlib>

#include "editing_fixture.h"

namespace {

using Clipboard = EditingTest;

const char kStart[] = "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(2)#4 5'gamma' "
                      "1:1069547520 18'last'";
// Node 2 and its subtree, as the block holds them.
const std::vector<uint8_t> kNodeBlock = DtbBuilder().U32(4).Node(17, 2, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7).plain;

TEST_F(Clipboard, CopyPutsTheBlockAndTheTextThere) {
    UINT earlier = RegisterClipboardFormatA("EditingTestEarlier");
    PutOnClipboard(earlier, {1, 2, 3});
    Pick(2);
    Command(IDM_COPY);
    EXPECT_FALSE(IsClipboardFormatAvailable(earlier));
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), kNodeBlock);
    EXPECT_EQ(ClipboardText(), "Node(0x11): 02 00 02 00 00 00\r\nString(0x05): beta\r\n"
                               "Node(0x13): 01 00 03 00 00 00\r\nInteger(0x00): 7\r\n");
    EXPECT_TRUE(Table() == kStart && SelectedChunk() == 2);  // nothing changes, nothing is rebuilt
    Pick(11);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), DtbBuilder().U32(1).Text(18, "last").plain);
    EXPECT_EQ(ClipboardText(), "String(0x12): last\r\n");
    Pick(5);
    Type(IDC_DATA_BOX, "99");  // back to the tree without leaving the chunk: the edit is copied
    SetFocus(Control(IDC_CHUNK_TREE));
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), DtbBuilder().U32(1).Scalar(0, 99).plain);
    EXPECT_TRUE(g_boxes.empty() && g_beeps == 0);
}

TEST_F(Clipboard, CopyThenPasteMakesIndependentCopies) {
    int32_t used = state.PoolUsed;
    Pick(2);
    Command(IDM_COPY);
    Pick(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    ASSERT_EQ(g_dialogLooks.size(), 1u);
    const DialogLook& look = g_dialogLooks[0];  // where, and nothing else
    EXPECT_TRUE(!look.typeEnabled && !look.textEnabled && look.checked[0] && look.enabled[2]);
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 17(2)#2 5'beta' "
                       "19(1)#3 0:7 5'gamma' 1:1069547520 18'last'");
    EXPECT_EQ(state.PoolUsed, used + 4);
    EXPECT_TRUE(SelectedChunk() == -1 && TreeItems().size() == 16u);  // rebuilt; the run is not selected
    Pick(0);
    Answer(0);  // Before, as checked
    Command(IDM_PASTE);
    EXPECT_EQ(Table().rfind("5 17(2)#2 5'beta' 19(1)#3 0:7 16(3)#1 5'alpha'", 0), 0u);
    Select(1);
    Type(IDC_DATA_BOX, "BETA!");
    Select(2);
    EXPECT_TRUE(Payload(1) == "BETA!" && Payload(7) == "beta" && Payload(14) == "beta");
    Pick(0);
    Answer(IDC_INSERT_AFTER, "", "", IDCANCEL);
    Command(IDM_PASTE);
    EXPECT_EQ(state.ChunkCount, 20);
    EXPECT_EQ(Faults(), 0);
    std::string pasted = Table();
    Command(IDM_SAVE);
    g_answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Table(), pasted);
    EXPECT_EQ(g_beeps, 0);
}

TEST_F(Clipboard, CutRemovesAsRemoveDoesAndPastesBack) {
    Pick(2);
    Command(IDM_CUT);
    EXPECT_EQ(Table(), "4 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'");
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), kNodeBlock);
    EXPECT_TRUE(SelectedChunk() == -1 && TreeItems().size() == 8u);
    Pick(7);
    Answer(IDC_INSERT_AFTER);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "5 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last' 17(2)#2 "
                       "5'beta' 19(1)#3 0:7");
    Pick(4);
    Command(IDM_CUT);  // a top-level node with its children
    EXPECT_EQ(Table(), "4 16(2)#1 5'alpha' 32'text one' 0:42 18'last' 17(2)#2 5'beta' 19(1)#3 0:7");
    EXPECT_EQ(Faults(), 0);
    EXPECT_TRUE(g_boxes.empty() && g_beeps == 0);
}

TEST_F(Clipboard, PasteWithoutSelectionAppendsAtTheTop) {
    Pick(4);
    Command(IDM_COPY);
    Pick(-1);
    Command(IDM_PASTE);  // no place to ask about
    EXPECT_EQ(Table(), std::string(kStart).replace(0, 1, "5") + " 19(1)#3 0:7");
    while (state.ChunkCount) {
        Pick(0);
        Command(IDM_REMOVE);
    }
    Pick(-1);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "1 19(1)#3 0:7");
    EXPECT_TRUE(g_dialogLooks.empty() && g_boxes.empty() && g_beeps == 0);
}

// A block is another program's memory: one that is not exactly one whole
// subtree is refused with a beep before anything changes.
TEST_F(Clipboard, RefusalsOnlyBeep) {
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
        Pick(beeps % 2 ? -1 : 8);
        if (beeps % 2 == 0) Answer(IDC_INSERT_UNDER);
        Command(IDM_PASTE);
        EXPECT_EQ(g_beeps, ++beeps);
        EXPECT_EQ(Table(), kStart) << beeps;
    }
    std::vector<uint8_t> padded = DtbBuilder().U32(1).Scalar(0, 5).plain;  // as the system may round it up
    padded.resize(padded.size() + 8);
    PutOnClipboard(state.ClipboardFormat, padded);
    Pick(-1);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), std::string(kStart).replace(0, 1, "5") + " 0:5");

    PutOnClipboard(CF_TEXT, {'t', 0});  // text alone
    Pick(0);
    Command(IDM_PASTE);
    Pick(-1);  // nothing to copy or cut
    Command(IDM_COPY);
    Command(IDM_CUT);
    EXPECT_EQ(g_beeps, beeps + 3);
    Click(IDC_SHOW_AS_TREE);  // the list: the tree cannot have the focus, so ask the commands directly
    Select(0);
    EXPECT_TRUE(CopyToClipboard(&state, 0) == -1 && CopyToClipboard(&state, 1) == -1);
    PutOnClipboard(state.ClipboardFormat, kNodeBlock);
    EXPECT_EQ(PasteFromClipboard(&state), -1);
    EXPECT_EQ(g_beeps, beeps + 6);
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), kNodeBlock);
    EXPECT_EQ(state.ChunkCount, 13);
    EXPECT_TRUE(g_boxes.empty() && g_dialogLooks.size() == 4u);
}

// Pool growth that fails in the middle of a run takes the whole run out again.
TEST_F(Clipboard, PasteThatRunsOutOfMemoryChangesNothing) {
    static const BlockAllocator kSmall = {
        [](void* block, size_t bytes) { return bytes > (1u << 20) ? nullptr : std::realloc(block, bytes); },
        [](void* block) { std::free(block); }};
    FreeDocument(&state);  // the blocks must come from the allocator that grows them
    SetBlockAllocator(&kSmall);
    AllocateDocument(&state);
    OpenFile(path);
    g_boxes.clear();
    int32_t used = state.PoolUsed;
    PutOnClipboard(state.ClipboardFormat,
                   DtbBuilder().U32(3).Node(16, 2, 9).Text(32, "small").Text(32, std::string(2 << 20, 'x')).plain);
    Pick(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    EXPECT_TRUE(Table() == kStart && state.PoolUsed == used && Faults() == 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"Could not allocate memory."}));
    FreeDocument(&state);
    SetBlockAllocator(nullptr);
    AllocateDocument(&state);
}

// Another program holds the clipboard open: nothing is copied, cut or pasted.
TEST_F(Clipboard, HeldByAnotherProgram) {
    Pick(2);
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
    Pick(0);
    Command(IDM_COPY);
    Command(IDM_CUT);
    Pick(0);  // the cut rebuilt the tree
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
    for (const Box& box : g_boxes) EXPECT_TRUE(box.owner == window && box.flags == MB_ICONERROR);
    EXPECT_EQ(Table(), kStart);
    EXPECT_EQ(ClipboardBlock(state.ClipboardFormat), kNodeBlock);
}

// The block travels between two processes: this one copies, a second run of
// this program pastes it into another file and saves.
TEST_F(Clipboard, BetweenTwoRunningEditors) {
    Pick(2);
    Command(IDM_COPY);
    std::string other = WriteFile("other.dtb", NestedFile());
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command = std::string("\"") + program + "\" --gtest_filter=Clipboard.SecondEditorPastes";
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
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 17(2)#2 5'beta' "
                       "19(1)#3 0:7 5'gamma' 1:1069547520 18'last'");
}

// Runs only as the second process of the test above.
TEST_F(Clipboard, SecondEditorPastes) {
    const char* into = std::getenv("DTBEDIT_PASTE_INTO");
    if (!into) GTEST_SKIP() << "the second editor of BetweenTwoRunningEditors";
    OpenFile(into);
    Pick(8);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    Command(IDM_SAVE);
    EXPECT_TRUE(Children(8) == 3 && g_boxes.size() == 1u && g_beeps == 0);  // the box: Open's question
}

}  // namespace
