// File > Compare With...: the lines listed against a changed copy, what a
// double-click selects, and the other file left byte for byte as it was.
#include "driver.h"
#include "views/compare_window.h"

namespace {

class Compare : public EditorTest {
protected:
    Compare() { openAtStart = true; }
    HWND List() const { return GetDlgItem(e.CompareWindow, IDC_COMPARE_RESULTS); }
    void CompareWith(const std::string& file) {
        user.choices.push_back({file, 0});
        Command(IDM_COMPARE_WITH);
    }
    std::string Status() const { return WindowText(GetDlgItem(e.CompareWindow, IDC_COMPARE_STATUS)); }
    std::vector<std::string> Lines() const { return ListViewLines(List(), 4); }  // path|kind|this file|other file
};

// The test file with alpha/1 changed, "Level 3" gone and a number added at the end.
std::vector<uint8_t> Changed() {
    DtbBuilder b;
    b.Header({0x1C, 9, 0, 0xDE, 0xAD, 0xBE, 0xEF});
    b.Node(16, 4, 1).Text(5, "alpha").Scalar(0, 43).Node(17, 3, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7);
    b.Text(32, "one\ntwo").Scalar(1, 0x3FC00000).Scalar(6, 0xEFBEADDE).Node(19, 0, -1).Text(2, "OnLoad(x)");
    b.Scalar(8, 0x04030201).Text(33, "data\\sky.dds").Text(35, "XabcX").Text(18, "last").Scalar(0, 5);
    return b.File(0x1234ABCD);
}

}  // namespace

// Each line names its chunk by path with both values; a double-click selects
// the chunk, the removed one where it is, the added one at the sibling it
// would follow. The document keeps its file; the other file is only read.
TEST_F(Compare, ListsTheDifferencesAndSelectsTheirPlaces) {
    std::string other = WriteFile("b.dtb", Changed());
    CompareWith(other);
    ASSERT_TRUE(e.CompareWindow && IsWindowVisible(e.CompareWindow));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"alpha/1|Changed|Integer(0x00) 42|Integer(0x00) 43",
                                                 "4|Removed|String(0x07) Level 3|", "8|Added||Integer(0x00) 5"}));
    EXPECT_EQ(Status(), "3 differences from " + other + ".");
    DoubleClick(List(), 1);
    EXPECT_EQ(SelectedChunk(), 12);
    DoubleClick(List(), 2);
    EXPECT_EQ(SelectedChunk(), 16);
    DoubleClick(List(), 0);
    EXPECT_EQ(SelectedChunk(), 2);
    EXPECT_EQ(std::string(e.Doc.FileName), path);
    EXPECT_EQ(ReadFile(other), Changed());
    EXPECT_TRUE(DeleteFileA(other.c_str())) << "the other file is still held";

    // A moving edit empties the list; the same file says so, a key alone too.
    Command(IDM_REMOVE);
    EXPECT_EQ(Lines().size(), 0u);
    Command(IDM_UNDO);
    CompareWith(WriteFile("same.dtb", TestFile()));
    EXPECT_EQ(Lines().size(), 0u);
    EXPECT_EQ(Status(), "The files hold the same tree and header.");
    CompareWith(WriteFile("key.dtb", TestFile(0x1234ABCE)));
    EXPECT_EQ(Lines(), std::vector<std::string>{"key|Key|CD AB 34 12|CE AB 34 12"});
    EXPECT_EQ(Status(), "The files hold the same tree and header; only the key differs.");
}
