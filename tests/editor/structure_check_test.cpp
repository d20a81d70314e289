// Check Structure: the warning when a file with disagreeing counts opens, the
// dialog's lines and Repair, and what Save and Undo then leave on disk.
#include <cstring>

#include "driver.h"

namespace {

struct StructureLook {
    std::string summary, lines;
    bool repairable;
};
std::vector<StructureLook> g_looks;
std::deque<int> g_structureAnswers;  // IDC_REPAIR or IDCANCEL

// The Check Structure dialog of this thread, once it takes input: read, then answered.
void AnswerStructureDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
        char caption[32] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (std::strcmp(caption, "Check Structure") == 0) *reinterpret_cast<HWND*>(found) = window;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;
    auto text = [&](int id) {
        std::string s(size_t(GetWindowTextLengthA(GetDlgItem(dialog, id))) + 1, '\0');
        s.resize(size_t(GetDlgItemTextA(dialog, id, &s[0], int(s.size()))));
        return s;
    };
    g_looks.push_back({text(IDC_STRUCTURE_SUMMARY), text(IDC_STRUCTURE_LIST), IsWindowEnabled(GetDlgItem(dialog, IDC_REPAIR)) != 0});
    int answer = IDCANCEL;
    if (!g_structureAnswers.empty()) answer = g_structureAnswers.front(), g_structureAnswers.pop_front();
    SendMessageA(GetDlgItem(dialog, answer), BM_CLICK, 0, 0);
}

class StructureCheck : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        g_looks.clear();
        g_structureAnswers.clear();
        timer = SetTimer(nullptr, 0, 10, AnswerStructureDialog);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_structureAnswers.empty()) << "dialog answers left over";
        EditorTest::TearDown();
    }
    UINT_PTR timer = 0;
};

const char kFaultLines[] =
    "chunk 2: beyond all counts (top-level chunk 2, the header counts 1)\r\n"
    "chunk 3: beyond all counts (top-level chunk 3, the header counts 1)\r\n"
    "chunk 3: node has 1 of its 3 children\r\n"
    "header: top-level count 1, but the table holds 3 top-level chunks\r\n";

}  // namespace

// Two chunks beyond the header's count and a node the table leaves short: said once on open, listed, repaired as one
// change that Save writes and Undo takes back to the file's own bytes. Read-only and clean files offer no Repair.
TEST_F(StructureCheck, OpenSaysRepairMendsTheCountsUndoTakesThemBack) {
    const std::vector<uint8_t> broken =
        DtbBuilder().Top(1).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 3, 2).Scalar(0, 7).File(5);
    const std::vector<uint8_t> repaired =
        DtbBuilder().Top(3).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 1, 2).Scalar(0, 7).File(5);
    const std::string file = WriteFile("broken.dtb", broken);
    OpenFile(file);
    ASSERT_EQ(g_user.boxes.size(), 1u);
    EXPECT_EQ(g_user.boxes[0].text,
              "The child counts of this file disagree with its chunks in 4 places, the first: chunk 2: beyond all "
              "counts (top-level chunk 2, the header counts 1).\n\nThe tree may show chunks under other nodes than "
              "intended. Edit > Check Structure lists every place and can repair the counts.");
    EXPECT_EQ(g_user.boxes[0].flags & MB_ICONMASK, UINT(MB_ICONWARNING));

    g_structureAnswers.push_back(IDC_REPAIR);
    Command(IDM_CHECK_STRUCTURE);
    ASSERT_EQ(g_looks.size(), 1u);
    EXPECT_EQ(g_looks[0].lines, kFaultLines);
    EXPECT_TRUE(g_looks[0].repairable);
    EXPECT_EQ(Table(), "3 16(1)#1 0:5 0:6 19(1)#2 0:7");
    EXPECT_EQ(Text(IDC_HEADER12_BOX), "03 00");
    EXPECT_EQ(Text(0), kTitle + " - " + file + " *");
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(file) == repaired) << "the saved file is not the repaired one";

    Command(IDM_UNDO);  // one step takes back every count
    EXPECT_EQ(Text(IDC_HEADER12_BOX), "01 00");
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(file) == broken) << "undo did not give back the file's own bytes";
    Command(IDM_REDO);
    EXPECT_EQ(Text(IDC_HEADER12_BOX), "03 00");
    Command(IDM_UNDO);

    Command(IDM_CHECK_STRUCTURE);  // Close repairs nothing
    ASSERT_EQ(g_looks.size(), 2u);
    EXPECT_EQ(g_looks[1].lines, kFaultLines);
    EXPECT_FALSE(e.Doc.Modified);

    g_user.readOnly = true;
    OpenFile(file);
    Command(IDM_CHECK_STRUCTURE);
    ASSERT_EQ(g_looks.size(), 3u);
    EXPECT_EQ(g_looks[2].lines, kFaultLines);
    EXPECT_FALSE(g_looks[2].repairable) << "a file open read-only offered Repair";

    OpenFile(path);  // a clean file opens without a word and has nothing to repair
    const size_t boxes = g_user.boxes.size();
    Command(IDM_CHECK_STRUCTURE);
    ASSERT_EQ(g_looks.size(), 4u);
    EXPECT_EQ(g_looks[3].summary + "|" + g_looks[3].lines, "The child counts agree with the chunks: nothing to repair.|");
    EXPECT_FALSE(g_looks[3].repairable);
    EXPECT_EQ(g_user.boxes.size(), boxes);
    EXPECT_EQ(g_user.boxes.size(), 4u) << "a question to close each file, and the warning for each broken one";
}
