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

// The test file with alpha/1 changed, "Level 3" gone and a number (or the text last) added at the end.
std::vector<uint8_t> Changed(const std::string& last = "") {
    DtbBuilder b;
    b.Header({0x1C, 9, 0, 0xDE, 0xAD, 0xBE, 0xEF});
    b.Node(16, 4, 1).Text(5, "alpha").Scalar(0, 43).Node(17, 3, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7);
    b.Text(32, "one\ntwo").Scalar(1, 0x3FC00000).Scalar(6, 0xEFBEADDE).Node(19, 0, -1).Text(2, "OnLoad(x)");
    b.Scalar(8, 0x04030201).Text(33, "data\\sky.dds").Text(35, "XabcX").Text(18, "last");
    return (last.empty() ? b.Scalar(0, 5) : b.Text(2, last)).File(0x1234ABCD);
}

}  // namespace

// Each line names its chunk by path with both values; a double-click selects
// the chunk, the removed one where it is, the added one at the sibling it
// would follow. The document keeps its file; the other file is only read.
TEST_F(Compare, ListsTheDifferencesAndSelectsTheirPlaces) {
    std::string other = WriteFile("b.dtb", Changed());
    CompareWith(other);
    ASSERT_TRUE(e.CompareWindow && IsWindowVisible(e.CompareWindow));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"alpha/1|Different|Integer(0x00) 42|Integer(0x00) 43",
                                                 "4|Only in this file|String(0x07) Level 3|",
                                                 "8|Only in b.dtb||Integer(0x00) 5"}));
    EXPECT_EQ(Status(), "3 differences from " + other + ".");
    DoubleClickLine(List(), 1), Pump();
    EXPECT_EQ(SelectedChunk(), 12);
    DoubleClickLine(List(), 2), Pump();
    EXPECT_EQ(SelectedChunk(), 16);
    DoubleClickLine(List(), 0), Pump();
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
    EXPECT_EQ(Lines(), std::vector<std::string>{"key|Different|CD AB 34 12|CE AB 34 12"});
    EXPECT_EQ(Status(), "The files hold the same tree and header; only the key differs.");
}

// The window is resized as any other (its list grows with it) and opens at that size again; the columns fit their
// longest value, up to a bound, and the selected line shows whole beneath the list. A file that is no DTB file is
// said so, and no window opens for it. An edit of a value says that the lines may be stale.
TEST_F(Compare, TheWindowFitsItsValuesAndOpensOnlyForAComparison) {
    user.choices.push_back({WriteFile("notes.dtb", std::vector<uint8_t>(100, 'x')), 0});
    Command(IDM_COMPARE_WITH);
    EXPECT_EQ(e.CompareWindow, nullptr) << "a window opened for a file that could not be compared";
    ASSERT_EQ(user.boxes.size(), 1u);
    EXPECT_EQ(user.boxes[0].text.rfind("Unknown chunk ", 0), 0u) << user.boxes[0].text;

    const std::string wide(300, 'w');
    CompareWith(WriteFile("b.dtb", Changed("a\tb" + wide)));
    ASSERT_TRUE(e.CompareWindow);
    RECT list, client;
    GetWindowRect(List(), &list);
    GetClientRect(List(), &client);
    EXPECT_GT(ListView_GetColumnWidth(List(), 1), ListView_GetStringWidth(List(), "Only in this file"))
        << "the Kind column cuts its longest value";
    EXPECT_LE(ListView_GetColumnWidth(List(), 3), client.right * 2 / 5 + 16) << "a long value took more than its share";
    SendMessageA(List(), WM_KEYDOWN, VK_END, 0);  // the last line, as the keys select it
    EXPECT_EQ(WindowText(GetDlgItem(e.CompareWindow, IDC_COMPARE_DETAIL)),
              "Path: 8\r\nThis file: \r\nOther file: Function(0x02) a\\tb" + wide);

    RECT before;
    GetWindowRect(e.CompareWindow, &before);
    const int w = before.right - before.left + 120, h = before.bottom - before.top + 90;
    SetWindowPos(e.CompareWindow, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    RECT grown;
    GetWindowRect(List(), &grown);
    EXPECT_EQ(Joined(grown.right - list.right, grown.bottom - list.bottom), "120 90") << "the list did not grow";
    SendMessageA(e.CompareWindow, WM_COMMAND, IDCANCEL, 0);
    CompareWith(WriteFile("c.dtb", TestFile()));
    const std::string place = Place(e.CompareWindow);
    EXPECT_EQ(place.substr(place.find(' ') + 1), std::to_string(w) + "x" + std::to_string(h));

    CompareWith(WriteFile("d.dtb", Changed()));
    Edit(2, "44");
    Select(3);
    EXPECT_EQ(Status(), "The document has changed since the comparison: Compare With compares it afresh.");
    EXPECT_EQ(Lines()[0], "alpha/1|Different|Integer(0x00) 44|Integer(0x00) 43");
    Command(IDM_SAVE);
    EXPECT_EQ(FileRows(path)[2], "0:2C 00 00 00");
}
