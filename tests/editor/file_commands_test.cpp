// New, Open, Revert, Save, Save As and Close: their questions and messages,
// the file they keep open, and what ends up on disk.
#include "driver.h"
#include "file_layer.h"

namespace {

const char kEmptyHeader[] = "00|00 00|00 00 00 00|00 00 00 00";

// The document's file is open for writing and shared for reading only.
bool OthersCanWrite(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
}

class FileCommands : public EditorTest {
protected:
    std::string Header() const {
        return Text(IDC_HEADER0_BOX) + "|" + Text(IDC_HEADER12_BOX) + "|" + Text(IDC_HEADER36_BOX) + "|" +
               Text(IDC_KEY_BOX);
    }
    bool NoTemporaries() const {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\~dtb*").c_str(), &found);
        FindClose(search);
        return search == INVALID_HANDLE_VALUE;
    }
};

// Open, a recent file and a drop offer to save unsaved work, typed or stored (Cancel keeps it, Yes saves it
// first), and read the other file whole before anything of the document goes: a cancel, or a file that is no DTB
// file or an empty one, leaves the document, its file, its modified mark and its undo history as they were. Only a
// file read whole replaces it, and only then are the changes dropped that the user chose not to save.
TEST_F(FileCommands, ACancelledOrFailedOpenLeavesEverythingAsItWas) {
    std::string text = WriteFile("notes.dtb", std::vector<uint8_t>(7327, 'x')), empty = WriteFile("empty.dtb", {});
    std::string spoilt = WriteFile("spoilt.dtb", TestFile());
    OpenFile(spoilt);  // on the recent files, then spoilt
    OpenFile(path);
    WriteFile("spoilt.dtb", std::vector<uint8_t>(20, 'x'));
    Edit(2, "43");  // typed, not yet stored: it counts
    user.answers.push_back(IDCANCEL);
    Command(IDM_OPEN);
    Select(3);
    const std::string edited = Table(), title = kTitle + " - " + path + " *";
    user.answers.push_back(IDNO);
    user.choices.push_back({"", 0});  // the dialog cancelled
    Command(IDM_OPEN);
    OpenFile(text);
    OpenFile(empty);
    user.answers.insert(user.answers.end(), {IDNO, IDNO});
    Command(IDM_RECENT_FIRST + 1);
    SendMessageA(window, WM_DROPFILES, Dropped({empty}), 0);
    EXPECT_EQ(Text(0), title);
    EXPECT_EQ(Table(), edited);
    EXPECT_EQ(TreeItems()[2], "2:1:0:43");
    EXPECT_EQ(Header(), "1C|09 00|DE AD BE EF|CD AB 34 12");
    EXPECT_FALSE(Grayed(IDM_SAVE));
    EXPECT_EQ(ReadFile(text), std::vector<uint8_t>(7327, 'x'));
    EXPECT_EQ(ReadFile(empty).size(), 0u);
    std::vector<std::string> said = BoxTexts();
    for (std::string& box : said)
        if (box.rfind("Unknown chunk ", 0) == 0) box = "Unknown chunk";  // its bytes are the cipher's
    const std::string saving = "Save changes to " + path + "?", noKey = "Could not read key from file (0)";
    EXPECT_EQ(said, (std::vector<std::string>{saving, saving, saving, "Unknown chunk", saving, noKey, saving,
                                              "Unknown chunk", saving, noKey}));
    EXPECT_EQ(user.boxes[0].flags, UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
    Command(IDM_UNDO);  // the history is whole
    EXPECT_EQ(TreeItems()[2], "2:1:0:42");
    Command(IDM_REDO);

    // Yes saves first; No drops what was not saved, once the other file is read whole.
    user.answers.push_back(IDYES);
    SendMessageA(window, WM_DROPFILES, Dropped({spoilt = WriteFile("spoilt.dtb", TestFile())}), 0);
    EXPECT_EQ(FileRows(path)[2], "0:2B 00 00 00") << "Yes did not save the document as edited";
    Edit(2, "44");
    OpenFile(path);
    EXPECT_EQ(Text(0), kTitle + " - " + path);
    EXPECT_EQ(Joined(Grayed(IDM_UNDO), TreeItems()[2]), "1 2:1:0:43");
    EXPECT_EQ(FileRows(spoilt)[2], "0:2A 00 00 00");
    EXPECT_TRUE(OthersCanWrite(spoilt)) << "the document's old file is still held";
}

// What was read of a file that stops part-way is shown; saving over that file
// asks first, No the default, and No writes nothing. A file that may only be
// read, or that the user opened read-only, is open for reading only and says
// so; saving over it is refused. Elsewhere either just saves.
TEST_F(FileCommands, PartOrReadOnlyFilesAreNeverSavedOverUnasked) {
    std::vector<uint8_t> cut = TestFile();
    cut.resize(cut.size() - 3);
    std::string file = WriteFile("part.dtb", cut), other = folder + "\\b.dtb";
    OpenFile(file);
    EXPECT_EQ(TreeItems().size(), 16u);  // what was whole, to look at
    EXPECT_EQ(BoxTexts()[0], "The file ends inside a chunk: its last 9 bytes were not loaded and will not be saved.");
    user.boxes.clear();
    user.answers.insert(user.answers.end(), {IDNO, IDNO, IDYES});
    user.choices.insert(user.choices.end(), {{file, 0}, {other, 0}});
    Command(IDM_SAVE);
    Command(IDM_SAVE_AS);
    EXPECT_EQ(ReadFile(file), cut);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(2, "Only part of " + file +
                                                          " could be read. Saving over it "
                                                          "loses the part that is not shown.  Save anyway?"));
    EXPECT_EQ(user.boxes[0].flags, UINT(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    Command(IDM_SAVE_AS);  // another file: no question, and that file is whole
    EXPECT_TRUE(user.dialogFlags.back() & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(Joined(user.boxes.size(), FileRows(other).size()), "2 17");
    OpenFile(file);
    Command(IDM_SAVE);  // Yes: the file now holds what was shown
    EXPECT_EQ(FileRows(file).size(), 17u);
    Command(IDM_CLOSE);
    for (int ticked = 0; ticked < 2; ++ticked) {
        SetFileAttributesA(path.c_str(), ticked ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY);
        user.readOnly = ticked;
        OpenFile(path);
        EXPECT_EQ(Joined(Text(0), OthersCanWrite(path)), kTitle + " - " + path + " [read-only] 0");
        Edit(2, "44");
        user.choices.push_back({other, 0});
        Command(IDM_SAVE);
        EXPECT_EQ(user.boxes.back().text, path +
                                              " is read-only, so it cannot be saved over. Save As saves a copy "
                                              "under another name.");
        EXPECT_EQ(user.boxes.back().flags, UINT(MB_OK | MB_ICONERROR));
        Command(IDM_SAVE_AS);  // elsewhere it goes
        EXPECT_EQ(ReadFile(path), TestFile());
        EXPECT_TRUE(NoTemporaries());
        EXPECT_EQ(Joined(Text(0), FileRows(other)[2]), kTitle + " - " + other + " 0:2C 00 00 00");
        Command(IDM_CLOSE);
    }
}

// Nothing left behind, no other program and no path the editor can open
// keeps a save from going through; the file keeps its attributes.
TEST_F(FileCommands, SaveGoesThroughWhereverTheFileCouldBeOpened) {
    OpenFile(path);
    WriteFile("a.dtb.new", {1, 2, 3});  // a user's file, or an older version's leftover
    char* stale = nullptr;
    const FileLayer& os = *PlatformFileLayer();
    os.Close(os.Context, os.CreateTemporary(os.Context, path.c_str(), &stale));  // what a crash leaves
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    // A viewer that shares reading and writing but not deleting: the file
    // cannot be swapped, so it is written in place.
    HANDLE viewer =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const char* value : {"43", "44"}) {
        if (value[1] == '4') CloseHandle(viewer);
        Edit(2, value);
        Command(IDM_SAVE);
        EXPECT_EQ(FileRows(path)[2], std::string("0:2") + "BC"[value[1] - '3'] + " 00 00 00");
    }
    EXPECT_EQ(GetFileAttributesA(stale), INVALID_FILE_ATTRIBUTES) << "a crash's leftover was not removed";
    EXPECT_EQ(ReadFile(path + ".new"), std::vector<uint8_t>({1, 2, 3}));
    std::free(stale);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    Command(IDM_CLOSE);
    EXPECT_TRUE(NoTemporaries());
    EXPECT_EQ(user.boxes.size(), 0u);
}

}  // namespace
