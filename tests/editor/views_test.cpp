// The list, the tree and the detail pane on a loaded file: what they show,
// what they take back, and when; the header boxes.
#include <functional>

#include "chunk_types.h"
#include "driver.h"

namespace {

class Views : public EditorTest {
protected:
    Views() { openAtStart = true; }
    std::string Pane() const { return Text(IDC_LENGTH_BOX) + "|" + Text(IDC_DATA_BOX); }
    std::string Items() const {
        std::string all;
        for (const std::string& item : TreeItems()) all += " " + item;
        return all;
    }
};

TEST_F(Views, ListAndTreeShowTheTable) {
    const std::string items =
        " 0:0:16:alpha(1)+ 1:1:5:alpha 2:1:0:42 3:1:17:beta(2)+ 4:2:5:beta 5:2:19:(3)+ 6:3:0:7 "
        "7:2:32:one\\ntwo 8:1:1:1.500000 9:0:6:DE AD BE EF 10:0:19:(-1)+ 11:0:2:OnLoad(x) "
        "12:0:7:Level 3 13:0:8:01 02 03 04 14:0:33:data\\sky.dds 15:0:35:XabcX 16:0:18:last";
    EXPECT_EQ(Items(), items);
    Select(6);
    Click(IDC_SHOW_IDENTIFIERS);  // rebuilt without identifiers: the same chunk is selected again
    EXPECT_EQ(Items(),
              " 0:0:16:alpha(1)+ 2:1:0:42 3:1:17:beta(2)+ 5:2:19:(3)+ 6:3:0:7 7:2:32:one\\ntwo 8:1:1:1.500000" +
                  items.substr(items.find(" 9:")));
    EXPECT_EQ(Joined(SelectedChunk(), GetFocus() == Control(IDC_CHUNK_TREE), Text(IDC_DATA_BOX)), "6 1 7");
    Click(IDC_SHOW_IDENTIFIERS);
    Edit(4, "pane");              // an identifier edited: its node's name follows
    Click(IDC_SHOW_IDENTIFIERS);  // a chunk that lost its item: nothing selected, nothing to type into
    EXPECT_EQ(Joined(SelectedChunk(), Pane(), PaneLocked(), TreeItems()[2]), "-1 | 1 3:1:17:pane(2)+");
    Click(IDC_SHOW_AS_TREE);
    EXPECT_EQ(Joined(IsWindowVisible(Control(IDC_CHUNK_LIST)), IsWindowVisible(Control(IDC_CHUNK_TREE))), "1 0");
    std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[12], "String(0x07)\tLevel 3\t12");  // its index, not the 3 of its text
    for (int32_t i = 0; i < 17; ++i) EXPECT_TRUE(Select(i));
    EXPECT_EQ(Text(IDC_DATA_BOX), "last");
    Click(IDC_SHOW_IDENTIFIERS);  // the list does not change, but no line is current
    EXPECT_EQ(ListLines(), lines);
    EXPECT_EQ(Joined(e.CurrentChunk, Pane(), PaneLocked()), "-1 | 1");
    // A typed letter goes to the next line whose type starts with it, either case, round the end; none: stays.
    HWND list = Control(IDC_CHUNK_LIST);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    std::string went;
    for (char letter : {'f', 'F', 'f', 'f', 'z'}) {
        SendMessageA(list, WM_CHAR, static_cast<WPARAM>(letter), 0);
        went += std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0)) + " ";
    }
    EXPECT_EQ(went, "8 11 14 8 8 ");
}

// What is typed is stored and shown back as stored, whichever command takes
// it in; what is not its chunk's form is refused, and the chunk, the box and
// the selection stay. The header boxes alike.
TEST_F(Views, PaneAndHeaderTakeWhatIsTypedOrSayWhyNot) {
    const struct {
        int32_t chunk;
        const char *typed, *shown;  // nullptr: refused
    } edits[] = {{2, "0x1A", "26"},
                 {2, " -5", "-5"},
                 {2, "12abc", nullptr},
                 {2, "12 34", nullptr},
                 {8, "2.25", "2.250000"},
                 {8, "abc", nullptr},
                 {8, "x3FC00001", "1.500000"},
                 {9, "AA BB", "AA BB BE EF"},
                 {9, "ZZ 1", nullptr},
                 {0, "04 00 07 00 00 00", "04 00 07 00 00 00"},
                 {0, "05 00", nullptr},
                 {1, "a\r\nb", "a\r\nb"},
                 {1, "", ""}};
    const int takers[] = {IDM_FIND, IDC_SHOW_AS_TREE, IDC_SHOW_IDENTIFIERS, IDM_SAVE};
    for (int list = 0; list < 2; ++list) {
        if (list) Click(IDC_SHOW_AS_TREE), OpenFile(path = WriteFile("b.dtb", TestFile())), user.boxes.clear();
        std::string shown;
        for (int32_t chunk : {0, 1, 7, 8, 10}) Select(chunk), shown += Pane() + (PaneLocked() ? "!" : " ");
        EXPECT_EQ(shown, "6|04 00 01 00 00 00 5|alpha 7|one\r\ntwo 4|1.500000 6|00 00 FF FF FF FF ");
        int taken = 0;
        for (const auto& edit : edits) {
            Select(edit.chunk);
            std::string was = Text(IDC_DATA_BOX);
            uint32_t value = ReadU32(e.Doc.Chunks[edit.chunk].Value);
            Type(IDC_DATA_BOX, edit.typed);
            size_t boxes = user.boxes.size();
            int taker = takers[taken++ % 4];
            if (taker == IDM_FIND || taker == IDM_SAVE)
                Command(taker);
            else if (Click(taker), edit.shown)
                Click(taker), Select(edit.chunk);  // a view switch, and back
            EXPECT_EQ(user.boxes.size(), boxes + (edit.shown ? 0 : 1)) << edit.typed;
            EXPECT_EQ(Text(IDC_DATA_BOX), edit.shown ? edit.shown : edit.typed) << edit.typed;
            if (edit.shown) continue;
            EXPECT_EQ(ReadU32(e.Doc.Chunks[edit.chunk].Value), value) << edit.typed;
            EXPECT_FALSE(Select(edit.chunk == 2 ? 8 : 2)) << edit.typed;  // the edit keeps its chunk
            EXPECT_EQ(list ? e.CurrentChunk : SelectedChunk(), edit.chunk);
            Type(IDC_DATA_BOX, was);
        }
        EXPECT_EQ(BoxTexts()[0],
                  "An Integer takes a whole number from -2147483648 to 2147483647, or up to eight hex "
                  "digits after 0x. Press Esc to put back the stored value.");
        EXPECT_EQ(Joined(user.boxes[0].flags == (MB_OK | MB_ICONINFORMATION), NodeNumberOf(e.Doc.Chunks[0])), "1 7");
        Edit(2, "77");
        Select(8);
        EXPECT_EQ(list ? ListLines()[2] : TreeItems()[2], list ? "Integer(0x00)\t77\t2" : "2:1:0:77");
        EXPECT_EQ(Text(0), kTitle + " - " + path + " *");
    }
    Type(IDC_KEY_BOX, "3735928559");
    Type(IDC_HEADER0_BOX, "2a");  // typed as the box shows it: hex
    Command(IDM_SAVE);
    EXPECT_EQ(Text(IDC_KEY_BOX) + "|" + Text(IDC_HEADER0_BOX), "EF BE AD DE|2A");
    std::vector<std::string> saved = FileRows(path);
    EXPECT_EQ(Joined(saved.back(), e.Doc.Key), "header 2A 09 00 DE AD BE EF 3735928559");
    user.boxes.clear();
    Type(IDC_HEADER0_BOX, "zz");
    Command(IDM_SAVE);  // refused: the field keeps its byte, the box its text, the file what it had
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>({"Header byte 0 takes one or two hex digits, such as 1C, or hex after "
                                        "0x (such as 0x1C). Press Esc to put back the stored value."}));
    EXPECT_EQ(Joined(Text(IDC_HEADER0_BOX), e.Doc.HeaderBytes[0]), "zz 42");
    EXPECT_EQ(FileRows(path), saved);
}

// Values whose text does not read back as themselves, and texts longer than
// the view's buffer, survive being looked at; a payload the box cannot carry
// back whole is shown but cannot be typed over. A chain of 16,000 nested
// nodes is searched to its end, rebuilt and closed without the control's
// recursion running out of stack.
TEST_F(Views, UnusualFilesAreShownAsTheyAre) {
    DtbBuilder b;
    b.Top(6).Scalar(1, 0x33D6BF95).Text(32, "a\rb").Text(32, std::string("abc\0def", 7)).Scalar(1, 0x7FC00001);
    std::vector<uint8_t> bytes = b.Text(5, std::string(4000, 'q') + "\n" + std::string(999, 'q')).Scalar(0, 1).File(99);
    std::string file = WriteFile("tricky.dtb", bytes);
    OpenFile(file);
    for (int32_t chunk = 0; chunk < 6; ++chunk) Select(chunk);
    Select(2);
    EXPECT_EQ(Joined(PaneLocked(), Text(IDC_LENGTH_BOX)),
              "1 7 - shown to its first zero byte, read-only (Hex edits it)");
    SendMessageA(Control(IDC_DATA_BOX), WM_CHAR, 'X', 0);  // a key typed goes nowhere
    Select(1);                                             // a lone carriage return is a line, and can be typed over
    EXPECT_EQ(Joined(PaneLocked(), Text(IDC_LENGTH_BOX), Text(IDC_DATA_BOX)), "0 3 a\r\nb");
    Command(IDM_SAVE);
    EXPECT_EQ(ReadFile(file), bytes);
    const int kLevels = 16000;
    DtbBuilder chain;
    chain.Top(1);
    for (int level = 0; level < kLevels; ++level) chain.Node(16, 1, level);
    OpenFile(WriteFile("chain.dtb", chain.Text(32, "needle").File(1)));
    SetWindowTextA(Control(IDC_FIND_BOX), "needle");
    Command(IDM_FIND);
    EXPECT_EQ(SelectedChunk(), kLevels);
    Click(IDC_SHOW_IDENTIFIERS);  // a rebuild that selects the chunk again
    EXPECT_EQ(SelectedChunk(), kLevels);
    Command(IDM_CLOSE);
    EXPECT_TRUE(TreeItems().empty());
    EXPECT_EQ(user.boxes.size(), 0u) << "a question where nothing could be lost";
}

// Enter stores the Data box and stays on its chunk, a header box the header; Esc puts the stored value back.
// Ctrl+Enter breaks a line in the form the text already uses. Hex shows and takes any chunk's bytes, exactly.
TEST_F(Views, PaneKeysLineBreaksAndHex) {
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
    SetWindowTextA(Control(IDC_FIND_BOX), "alpha");  // a Find would move away from the chunk
    HWND box = Control(IDC_DATA_BOX);
    auto press = [&](int id, std::initializer_list<WORD> keys, std::function<bool()> done) {
        SetFocus(Control(id));
        PressKeys(keys);
        return PumpUntil(done);
    };
    auto stored = [&] { return !SendMessageA(box, EM_GETMODIFY, 0, 0) || !user.boxes.empty(); };
    Edit(2, "77");
    EXPECT_TRUE(press(IDC_DATA_BOX, {VK_RETURN}, stored));
    EXPECT_EQ(Joined(SelectedChunk(), user.boxes.size()), "2 0");
    Type(IDC_DATA_BOX, "12abc");
    EXPECT_TRUE(press(IDC_DATA_BOX, {VK_RETURN}, stored));
    EXPECT_EQ(Joined(SelectedChunk(), Text(IDC_DATA_BOX)), "2 12abc") << "a refused value left its chunk or its box";
    EXPECT_TRUE(press(IDC_DATA_BOX, {VK_ESCAPE}, [&] { return Text(IDC_DATA_BOX) == "77"; }));
    EXPECT_TRUE(Select(8));
    for (int32_t chunk : {7, 1}) {
        Select(chunk);
        std::string was = Text(IDC_DATA_BOX);
        SendMessageA(box, EM_SETSEL, 100, 100);
        EXPECT_TRUE(press(IDC_DATA_BOX, {VK_CONTROL, VK_RETURN}, [&] { return Text(IDC_DATA_BOX) == was + "\r\n"; }));
        SendMessageA(box, EM_REPLACESEL, TRUE, LPARAM("3"));
        EXPECT_TRUE(press(IDC_DATA_BOX, {VK_RETURN}, stored));
        EXPECT_EQ(SelectedChunk(), chunk);
    }
    Type(IDC_HEADER0_BOX, "16");
    Type(IDC_KEY_BOX, "1");
    EXPECT_TRUE(press(IDC_KEY_BOX, {VK_ESCAPE}, [&] { return Text(IDC_KEY_BOX) == "CD AB 34 12"; }));
    EXPECT_TRUE(press(IDC_HEADER0_BOX, {VK_RETURN}, [&] { return e.Doc.HeaderBytes[0] == 0x16; }));
    Command(IDM_SAVE);
    std::vector<std::string> rows = FileRows(path);
    EXPECT_EQ(rows[1] + "|" + rows[2] + "|" + rows[7] + "|" + rows.back(),
              "5:'alpha\r\n3'|0:4D 00 00 00|32:'one\ntwo\n3'|header 16 09 00 DE AD BE EF");
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>({"An Integer takes a whole number from -2147483648 to 2147483647, or "
                                        "up to eight hex digits after 0x. Press Esc to put back the stored value."}));
    Click(IDC_SHOW_HEX);  // stays ticked from chunk to chunk
    const struct {
        int32_t chunk;
        const char *shown, *typed, *stored, *length;
    } hexes[] = {{7, "6F 6E 65 0A 74 77 6F 0A 33", "00 0d0A ff", "00 0D 0A FF", "4"},
                 {2, "4D 00 00 00", "01 02 03 04", "01 02 03 04", "4"},
                 {0, "04 00 01 00 00 00", "04 00 09 00 00 00", "04 00 09 00 00 00", "6"}};
    for (const auto& hex : hexes) {
        Select(hex.chunk);
        EXPECT_EQ(Text(IDC_DATA_BOX), hex.shown);
        Type(IDC_DATA_BOX, hex.typed);
        EXPECT_TRUE(press(IDC_DATA_BOX, {VK_RETURN}, [&] { return Text(IDC_DATA_BOX) == hex.stored; }));
        EXPECT_EQ(Text(IDC_LENGTH_BOX), hex.length);
    }
    Type(IDC_DATA_BOX, "04 00 01");
    Command(IDM_SAVE);  // refused: a node takes all six bytes
    EXPECT_TRUE(press(IDC_DATA_BOX, {VK_ESCAPE}, [&] { return Text(IDC_DATA_BOX) == "04 00 09 00 00 00"; }));
    Command(IDM_UNDO);
    Click(IDC_SHOW_HEX);
    Select(7);
    EXPECT_EQ(Joined(PaneLocked(), Text(IDC_LENGTH_BOX)),
              "1 4 - shown to its first zero byte, read-only (Hex edits it)");
    Command(IDM_SAVE);
    rows = FileRows(path);
    EXPECT_EQ(rows[0] + "|" + rows[2] + "|" + rows[7],
              "16:04 00 01 00 00 00|0:01 02 03 04|32:'" + std::string("\0\r\n\xFF'", 5));
    EXPECT_EQ(user.boxes.back().text,
              "In Hex, a node takes exactly six hex bytes, such as 02 00 07 00 00 00. Press Esc to "
              "put back the stored value.");
}

}  // namespace
