// New, Open, Revert, Save, Save As and Close: their dialogs, questions and
// messages, the file they keep open, and what ends up on disk.
#include "driver.h"
#include "dtb_file.h"
#include "file_layer.h"

namespace {

const std::string kTitle = "KLV DTB Editor v1.0d";
const char kCloseQuestion[] = "Current file will close without saving.  Continue?";

// The document's file is open for writing and shared for reading only.
bool OthersCanWrite(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
}

bool Starts(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

class FileCommands : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        path = WriteFile("a.dtb", StandardFile());
    }
    // The temporaries of saves in the test's folder and below.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\~dtb*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
    std::string path;
};


TEST_F(FileCommands, OpenShowsTheFileAndKeepsItOpen) {
    OpenFile(path);
    ASSERT_EQ(g_user.dialogs.size(), 1u);
    const OPENFILENAMEA& d = g_user.dialogs[0];
    EXPECT_STREQ(d.lpstrTitle, "Load DTB File...");
    EXPECT_EQ(std::string(d.lpstrFilter, 44), std::string("KLV Data (*.dtb)\0*.dtb\0All Files (*.*)\0*.*\0", 44));
    EXPECT_EQ(d.Flags, DWORD(OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    EXPECT_EQ(Caption(), kTitle + " - " + path);
    for (UINT command : {IDM_SAVE, IDM_SAVE_AS, IDM_REVERT, IDM_CLOSE}) EXPECT_FALSE(Grayed(command));
    EXPECT_TRUE(IsWindowEnabled(Control(IDM_INSERT)) && IsWindowEnabled(Control(IDM_REMOVE)));
    EXPECT_EQ(Text(IDC_HEADER0_BOX) + "|" + Text(IDC_HEADER12_BOX) + "|" + Text(IDC_HEADER36_BOX) + "|" +
                  Text(IDC_KEY_BOX), "1C|0A 00|DE AD BE EF|CD AB 34 12");
    EXPECT_EQ(TreeItems().size(), 17u);
    EXPECT_FALSE(OthersCanWrite(path));

    g_user.answers.push_back(IDNO);  // No changes nothing
    Command(IDM_OPEN);
    ASSERT_EQ(g_user.boxes.size(), 1u);
    EXPECT_EQ(g_user.boxes[0].text, kCloseQuestion);
    EXPECT_TRUE(g_user.boxes[0].owner == window && g_user.boxes[0].flags == (MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(g_user.dialogs.size(), 1u);
    EXPECT_EQ(TreeItems().size(), 17u);
}

// A file that cannot be read up to its first chunk is not the document's:
// nothing of it, and nothing of the document before, stays to be saved.
TEST_F(FileCommands, AFileThatCannotBeReadIsNeverWritten) {
    std::string text = WriteFile("notes.dtb", std::vector<uint8_t>(7327, 'x'));
    std::string empty = WriteFile("empty.dtb", {});
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    OpenFile(path);  // held for reading by another program: it opens for reading only, or not at all
    CloseHandle(held);
    OpenFile(path);
    Select(2);
    SetWindowTextA(Control(IDC_FIND_BOX), "settings");
    for (const std::string& bad : {text, empty}) {
        OpenFile(bad);
        EXPECT_TRUE(state.FileHandle == kNoFile && state.ChunkCount == 0 && Caption() == kTitle) << bad;
        EXPECT_TRUE(Grayed(IDM_SAVE) && TreeItems().empty() && Text(IDC_DATA_BOX).empty());
        EXPECT_EQ(Text(IDC_HEADER0_BOX) + "|" + Text(IDC_KEY_BOX), "00|00 00 00 00");
        Command(IDM_FIND);  // the document before is gone
        Command(IDM_SAVE);
    }
    EXPECT_EQ(ReadFile(text), std::vector<uint8_t>(7327, 'x'));
    EXPECT_TRUE(ReadFile(empty).empty());
    std::vector<std::string> texts = BoxTexts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_TRUE(Starts(texts[0], "Could not open file " + path + " (")) << texts[0];
    EXPECT_EQ(texts[1], kCloseQuestion);
    EXPECT_TRUE(Starts(texts[2], "Unknown chunk ")) << texts[2];
    EXPECT_EQ(texts[3], "Could not find string.");
    EXPECT_EQ(texts[4], "Could not read key from file (0)");
    EXPECT_EQ(g_user.boxes[5].flags, UINT(MB_ICONEXCLAMATION));

    // The file before it is kept when the dialog fails or is cancelled
    // before anything was open.
    g_user.choices.push_back({"", CDERR_INITIALIZATION});
    Command(IDM_OPEN);
    EXPECT_EQ(g_user.boxes.back().text, "Common Dialog Failure");
    EXPECT_EQ(g_user.boxes.back().owner, nullptr);
}

// What was read of a file that stops part-way is shown; saving over that file
// asks first, No the default, and No writes nothing. Elsewhere it just saves.
TEST_F(FileCommands, PartOfAFileIsNeverSavedOverUnasked) {
    DtbBuilder unknown;
    unknown.Header({0, 2, 0, 0, 0, 0, 0}).Scalar(0, 1).Text(5, "kept").U32(3).U32(0);
    std::vector<uint8_t> cut = StandardFile();
    cut.resize(cut.size() - 3);
    for (const std::vector<uint8_t>& part : {unknown.File(7), cut}) {
        std::string file = WriteFile("part.dtb", part);
        OpenFile(file);
        EXPECT_EQ(TreeItems().size(), part == cut ? 16u : 2u);  // what was whole, to look at
        g_user.boxes.clear();
        g_user.answers.insert(g_user.answers.end(), {IDNO, IDNO});
        Command(IDM_SAVE);
        g_user.choices.push_back({file, 0});
        Command(IDM_SAVE_AS);
        EXPECT_EQ(ReadFile(file), part);
        ASSERT_EQ(g_user.boxes.size(), 2u);
        EXPECT_EQ(g_user.boxes[0].text, "Only part of " + file +
                                            " could be read. Saving over it loses the part that is not shown.  "
                                            "Save anyway?");
        EXPECT_EQ(g_user.boxes[0].flags, UINT(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
        std::string other = folder + "\\whole.dtb";
        g_user.choices.push_back({other, 0});
        Command(IDM_SAVE_AS);  // another file: no question, and that file is whole
        EXPECT_EQ(g_user.boxes.size(), 2u);
        Command(IDM_SAVE);
        EXPECT_EQ(g_user.boxes.size(), 2u);
        EXPECT_EQ(FileRows(other).size(), TreeItems().size() + 1);
        DeleteFileA(other.c_str());
    }
    std::string part = WriteFile("part.dtb", cut);
    OpenFile(part);
    g_user.answers.push_back(IDYES);
    Command(IDM_SAVE);  // Yes: the file now holds what was shown
    EXPECT_EQ(FileRows(part).size(), 17u);
}

// New and Save As ask before they name an existing file; New leaves a file
// the editor can open, keeps one that exists until it is saved, and Revert
// reads that back.
TEST_F(FileCommands, NewRevertAndSaveKeepTheFileUntilAsked) {
    OpenFile(path);
    g_user.choices.push_back({path, 0});
    Command(IDM_NEW);  // nothing changed: no question, and nothing written yet
    const OPENFILENAMEA& d = g_user.dialogs[1];
    EXPECT_STREQ(d.lpstrTitle, "Save DTB File As...");
    EXPECT_STREQ(d.lpstrDefExt, ".dtb");
    EXPECT_EQ(d.Flags, DWORD(OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT));
    EXPECT_TRUE(TreeItems().empty() && Text(IDC_HEADER0_BOX) == "00" && Caption() == kTitle + " - " + path);
    EXPECT_EQ(ReadFile(path), StandardFile());
    g_user.answers.push_back(IDYES);
    Command(IDM_REVERT);  // asks, then reads the old contents back
    EXPECT_EQ(TreeItems().size(), 17u);
    Select(2);
    Type(IDC_DATA_BOX, "7");
    Select(3);
    g_user.answers.insert(g_user.answers.end(), {IDNO, IDYES});
    Command(IDM_REVERT);
    EXPECT_EQ(ReadU32(state.Chunks[2].Value), 7u);
    Command(IDM_REVERT);
    EXPECT_EQ(ReadU32(state.Chunks[2].Value), 42u);
    EXPECT_TRUE(Text(IDC_DATA_BOX).empty() && !Selected() && !state.Modified);
    g_user.choices.push_back({path, 0});
    Command(IDM_NEW);
    Command(IDM_SAVE);
    EXPECT_EQ(ReadFile(path).size(), 11u);  // the empty document

    std::string fresh = folder + "\\fresh.dtb";
    std::string nowhere = folder + "\\none\\x.dtb";
    g_user.choices.push_back({fresh, 0});
    Command(IDM_NEW);
    EXPECT_EQ(ReadFile(fresh).size(), 11u);  // a file the editor opens, not an empty one
    Command(IDM_CLOSE);
    OpenFile(fresh);
    EXPECT_TRUE(state.FileHandle != kNoFile && state.ChunkCount == 0);
    g_user.choices.push_back({nowhere, 0});
    Command(IDM_NEW);
    EXPECT_TRUE(Starts(g_user.boxes.back().text, "New failed: Could not create file " + nowhere + " ("));
    EXPECT_TRUE(state.FileHandle == kNoFile && Caption() == kTitle && OthersCanWrite(fresh));
    g_user.boxes.clear();
    Command(IDM_REVERT);  // no file: no question
    Command(IDM_SAVE);
    EXPECT_TRUE(g_user.boxes.empty());
}

TEST_F(FileCommands, SaveWritesOnlyWhatWasEdited) {
    OpenFile(path);
    for (int32_t chunk = 0; chunk < 17; ++chunk) Select(chunk);
    Command(IDM_SAVE);
    EXPECT_EQ(ReadFile(path), StandardFile());
    Select(2);
    Type(IDC_DATA_BOX, "4242");
    Type(IDC_HEADER36_BOX, "1");
    Type(IDC_KEY_BOX, "0x01020304");
    Command(IDM_SAVE);
    EXPECT_EQ(Text(IDC_KEY_BOX) + "|" + Text(IDC_HEADER36_BOX), "04 03 02 01|01 00 00 00");
    EXPECT_TRUE(Caption() == kTitle + " - " + path && !OthersCanWrite(path) && !Exists(path + ".new"));
    MemoryFile disk(ReadFile(path));
    TestDocument saved;
    ASSERT_EQ(ReadDocument(saved.get()), 0);
    EXPECT_EQ(ReadU32(saved->Chunks[2].Value), 4242u);
    EXPECT_EQ(saved->Key, 0x01020304u);
    EXPECT_EQ(std::vector<uint8_t>(saved->HeaderBytes, saved->HeaderBytes + 7),
              std::vector<uint8_t>({0x1C, 0x0A, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(g_user.boxes.empty());
}

// A write that fails part-way costs nothing on disk, and the document stays
// open on its file.
TEST_F(FileCommands, FailedSaveKeepsTheOldFileWholeAndOpen) {
    OpenFile(path);
    Select(8);
    Type(IDC_DATA_BOX, std::string(20000, 'z'));  // more than one write block
    static int64_t allowed;
    static FileLayer failingDisk = *PlatformFileLayer();
    failingDisk.Write = [](NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return (allowed -= count) >= 0 && PlatformFileLayer()->Write(file, buffer, count, written);
    };
    std::string other = folder + "\\b.dtb";
    for (int saveAs = 0; saveAs < 2; ++saveAs) {
        allowed = saveAs ? 5 : 9000;
        SetFileLayer(&failingDisk);
        if (saveAs) g_user.choices.push_back({other, 0});
        Command(saveAs ? IDM_SAVE_AS : IDM_SAVE);
        SetFileLayer(nullptr);
        EXPECT_EQ(g_user.boxes.back().text, saveAs ? "Could not write header to file (112)" : "Could not write chunks to file (112)");
        EXPECT_EQ(ReadFile(path), StandardFile());
        EXPECT_TRUE(Leftovers().empty() && !Exists(other));
        EXPECT_TRUE(Caption() == kTitle + " - " + path + " *" && !OthersCanWrite(path) && path == state.FileName);
    }
    Command(IDM_SAVE);  // the disk is back
    EXPECT_EQ(g_user.boxes.size(), 2u);
    EXPECT_EQ(ReadFile(path).size(), StandardFile().size() - 17 + 20000);
}

// A read-only file is refused, named as the user knows it, and stays as it
// was; the document stays open on its own file.
TEST_F(FileCommands, ReadOnlyFilesAreRefusedUntouched) {
    OpenFile(path);
    std::string locked = WriteFile("locked.dtb", {7, 7});
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);  // made read-only while open
    Select(2);
    Type(IDC_DATA_BOX, "43");
    g_user.choices.push_back({locked, 0});
    Command(IDM_SAVE_AS);
    Command(IDM_SAVE);
    ASSERT_EQ(g_user.boxes.size(), 2u);
    EXPECT_EQ(g_user.boxes[0].text, "SAVE FAILED: Could not create file " + locked + " (5)");
    EXPECT_EQ(g_user.boxes[1].text, "SAVE FAILED: Could not create file " + path + " (5)");
    EXPECT_EQ(g_user.boxes[1].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(ReadFile(locked), std::vector<uint8_t>({7, 7}));
    EXPECT_EQ(ReadFile(path), StandardFile());
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(Caption() == kTitle + " - " + path + " *" && path == state.FileName && Leftovers().empty());
    EXPECT_EQ(ReadU32(state.Chunks[2].Value), 43u);

    // A file that may be read but not written opens to be read, and says so;
    // so does one opened read-only in the dialog. Save As writes elsewhere.
    g_user.answers.push_back(IDNO);
    Command(IDM_CLOSE);
    std::string other = folder + "\\b.dtb";
    for (int ticked = 0; ticked < 2; ++ticked) {
        SetFileAttributesA(path.c_str(), ticked ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY);
        g_user.readOnly = ticked;
        OpenFile(path);
        EXPECT_EQ(Caption(), kTitle + " - " + path + " [read-only]");
        EXPECT_TRUE(!OthersCanWrite(path) && TreeItems().size() == 17u);
        Select(2);
        Type(IDC_DATA_BOX, "44");
        Command(IDM_SAVE);
        EXPECT_EQ(g_user.boxes.back().text, "SAVE FAILED: Could not create file " + path + " (5)");
        EXPECT_EQ(ReadFile(path), StandardFile());
        g_user.choices.push_back({other, 0});
        Command(IDM_SAVE_AS);
        EXPECT_EQ(Caption(), kTitle + " - " + other);
        EXPECT_EQ(FileRows(other)[2], "0:2C 00 00 00");
        Command(IDM_CLOSE);
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Nothing left behind, no other program and no path the editor can open
// keeps a save from going through; the file keeps its attributes and age.
TEST_F(FileCommands, SaveGoesThroughWhereverTheFileCouldBeOpened) {
    OpenFile(path);
    Select(2);
    Type(IDC_DATA_BOX, "43");
    WriteFile("a.dtb.new", {1, 2, 3});  // a user's file, or an older version's leftover
    char* stale = nullptr;
    FileClose(FileCreateTemporary(path.c_str(), &stale));  // what a crash leaves
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    Command(IDM_SAVE);
    EXPECT_TRUE(g_user.boxes.empty()) << g_user.boxes[0].text;
    EXPECT_FALSE(Exists(stale));
    std::free(stale);
    EXPECT_EQ(ReadFile(path + ".new"), std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    // A viewer that shares reading and writing but not deleting: the file
    // cannot be swapped, so it is written in place.
    HANDLE viewer = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    Type(IDC_DATA_BOX, "44");
    Command(IDM_SAVE);
    CloseHandle(viewer);
    EXPECT_TRUE(g_user.boxes.empty()) << g_user.boxes[0].text;
    EXPECT_TRUE(Caption() == kTitle + " - " + path && !OthersCanWrite(path));
    {
        MemoryFile disk(ReadFile(path));  // the core reads from memory while it lives
        TestDocument saved;
        ASSERT_EQ(ReadDocument(saved.get()), 0);
        EXPECT_EQ(ReadU32(saved->Chunks[2].Value), 44u);
    }

    // The longest path the open dialog hands over: 259 characters.
    std::string deep = std::string(200 - folder.size(), 'd');
    CreateDirectoryA((folder + "\\" + deep).c_str(), nullptr);
    std::string longest = WriteFile(deep + "\\" + std::string(253 - folder.size() - deep.size(), 'n') + ".dtb",
                                    StandardFile());
    ASSERT_EQ(longest.size(), 259u);
    OpenFile(longest);
    g_user.boxes.clear();  // the question before the open
    Select(2);
    Type(IDC_DATA_BOX, "45");
    Command(IDM_SAVE);
    EXPECT_TRUE(g_user.boxes.empty()) << g_user.boxes[0].text;
    EXPECT_TRUE(Caption() == kTitle + " - " + longest && !OthersCanWrite(longest));
    EXPECT_EQ(ReadFile(longest).size(), ReadFile(path).size());
    Command(IDM_CLOSE);
    EXPECT_TRUE(Leftovers().empty());
    DeleteFileA(longest.c_str());
    RemoveDirectoryA((folder + "\\" + deep).c_str());
}

TEST_F(FileCommands, SaveAsMovesTheDocumentToTheChosenFile) {
    OpenFile(path);
    std::string other = WriteFile("b.dtb", {9});
    std::string nowhere = folder + "\\none\\c.dtb";
    g_user.choices.insert(g_user.choices.end(), {{"", 0}, {other, 0}, {other, 0}, {nowhere, 0}});
    Command(IDM_SAVE_AS);  // cancelled
    EXPECT_EQ(Caption(), kTitle + " - " + path);
    Select(6);
    Type(IDC_DATA_BOX, "Side Window");
    Command(IDM_SAVE_AS);  // replaces b.dtb (the dialog asked, as it does)
    EXPECT_TRUE(g_user.boxes.empty());
    EXPECT_EQ(Caption(), kTitle + " - " + other);
    EXPECT_TRUE(ReadFile(path) == StandardFile() && OthersCanWrite(path) && !OthersCanWrite(other));
    std::vector<uint8_t> saved = ReadFile(other);
    EXPECT_NE(saved, StandardFile());
    Command(IDM_SAVE_AS);  // onto the open file itself
    EXPECT_TRUE(g_user.boxes.empty() && ReadFile(other) == saved && !OthersCanWrite(other));
    Command(IDM_SAVE_AS);
    ASSERT_EQ(g_user.boxes.size(), 1u);
    EXPECT_EQ(g_user.boxes[0].text, "SAVE FAILED: Could not create file " + nowhere + " (3)");
    EXPECT_TRUE(Caption() == kTitle + " - " + other && !OthersCanWrite(other));
}

TEST_F(FileCommands, CloseEmptiesEverythingInBothViews) {
    for (int list = 0; list < 2; ++list) {
        OpenFile(path);
        if (list) Click(IDC_SHOW_AS_TREE);
        Select(2);
        Type(IDC_DATA_BOX, "99");
        g_user.answers.push_back(IDNO);  // changed: asked, and dropped
        Command(IDM_CLOSE);
        EXPECT_TRUE(state.FileHandle == kNoFile && OthersCanWrite(path) && Caption() == kTitle && Grayed(IDM_SAVE));
        EXPECT_TRUE(state.ChunkCount == 0 && state.Key == 0 && TreeItems().empty() && ListLines().empty());
        EXPECT_EQ(Text(IDC_DATA_BOX) + Text(IDC_LENGTH_BOX), "");
        EXPECT_EQ(Text(IDC_HEADER0_BOX) + "|" + Text(IDC_HEADER12_BOX) + "|" + Text(IDC_HEADER36_BOX) + "|" +
                      Text(IDC_KEY_BOX), "00|00 00|00 00 00 00|00 00 00 00");
        EXPECT_EQ(CurrentChunk, -1);
        Command(IDM_FIND);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(2, "Save changes to " + path + "?"));
    EXPECT_EQ(ReadFile(path), StandardFile());
}

}  // namespace
