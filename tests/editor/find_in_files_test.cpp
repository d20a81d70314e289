// The Find and Replace dialog's scope "Files in folder", through its own controls: what Find All lists and opens,
// what Replace All asks and does to each file's bytes, a Stop half way, and the choices kept for the next run.
#include "driver.h"
#include "views/find_dialog.h"

namespace {

std::vector<uint8_t> Texts(const std::vector<std::string>& texts, uint16_t top = 0) {
    DtbBuilder b;
    b.Top(top ? top : uint16_t(texts.size()));
    if (top) b.Node(16, uint16_t(texts.size()), 0);
    for (const std::string& t : texts) b.Text(0x20, t);
    return b.File(7);
}

class FindInFiles : public EditorTest {
protected:
    HWND In(int id) const { return GetDlgItem(e.FindDialog, id); }
    void Put(int id, const std::string& text) { SetWindowTextA(In(id), text.c_str()); }
    void Tick(int id, bool on) {
        if ((IsDlgButtonChecked(e.FindDialog, id) == BST_CHECKED) != on) SendMessageA(In(id), BM_CLICK, 0, 0);
    }
    std::string Status() const { return WindowText(In(IDC_FIND_STATUS)); }
    std::vector<std::string> Lines() const { return ListViewLines(In(IDC_FILES_RESULTS), 4); }
    bool Busy() const { return FindDialogOf(e.FindDialog)->Busy; }
    // Presses a button and waits for the run it starts to end.
    void Run(int id) {
        SendMessageA(In(id), BM_CLICK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !Busy(); }, 60000)) << "the run never ended";
        Pump();
    }
    void Search(const std::string& what, const std::string& patterns = "*.dtb", bool subfolders = true) {
        Command(IDM_FIND_IN_FILES);
        Put(IDC_FIND_WHAT, what.c_str());
        Put(IDC_FILES_FOLDER, folder);
        Put(IDC_FILES_PATTERN, patterns);
        Tick(IDC_FILES_SUBFOLDERS, subfolders);
    }
};

// Find All lists each match by file (relative to the folder), path, type and value, and a file that cannot be read
// with the reason; subfolders and patterns choose the files; a double-click opens the line's file at its chunk.
// The folder, pattern and subfolder choice are there again in the next run.
TEST_F(FindInFiles, FindAllListsMatchesInEveryFileAndOpensTheOneChosen) {
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    CreateDirectoryA((folder + "\\sub\\deep").c_str(), nullptr);
    WriteFile("sub\\b.DTB", TestFile(5));
    WriteFile("sub\\deep\\c.dtb", Texts({"sky", "no"}));
    WriteFile("bad.dtb", {'a', 'b'});
    WriteFile("sky.txt", TestFile());
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_CONTROL, VK_SHIFT, 'F'});
    ASSERT_TRUE(PumpUntil([&] { return e.FindDialog && IsWindowVisible(e.FindDialog); }));
    EXPECT_EQ(IsDlgButtonChecked(e.FindDialog, IDC_SCOPE_FILES), BST_CHECKED);
    Search("sky");
    Run(IDC_FIND_ALL);
    const std::vector<std::string> all = {
        "a.dtb|6|File Ref(0x21)|data\\sky.dds", "bad.dtb|(not read or not changed)||Could not read key from file (0)",
        "sub\\b.DTB|6|File Ref(0x21)|data\\sky.dds", "sub\\deep\\c.dtb|0|String(0x20)|sky"};
    EXPECT_EQ(Lines(), all);
    EXPECT_EQ(Status(), "3 matches in 3 files (4 files searched); 1 could not be read.");
    Search("sky", "*.none; c.*", false);
    Run(IDC_FIND_ALL);
    EXPECT_EQ(Joined(Lines().size(), Status()), "0 0 matches in 0 files (0 files searched).");

    Search("sky");
    Run(IDC_FIND_ALL);
    DoubleClickLine(In(IDC_FILES_RESULTS), 2), Pump();
    EXPECT_EQ(Joined(std::string(e.Doc.FileName), SelectedChunk()), folder + "\\sub\\b.DTB 14");
    EXPECT_EQ(Lines(), all) << "opening a file emptied the list";
    ListView_SetItemState(In(IDC_FILES_RESULTS), 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(In(IDC_FILES_RESULTS));
    PostMessageA(In(IDC_FILES_RESULTS), WM_KEYDOWN, VK_RETURN, 0), Pump();
    EXPECT_EQ(Joined(std::string(e.Doc.FileName), SelectedChunk()), folder + "\\sub\\deep\\c.dtb 0");

    Tick(IDC_FILES_SUBFOLDERS, false);
    Run(IDC_FIND_ALL);
    EndMainWindow();
    CreateMainWindow();
    Command(IDM_FIND_IN_FILES);
    EXPECT_EQ(Joined(WindowText(In(IDC_FILES_FOLDER)), WindowText(In(IDC_FILES_PATTERN)),
                     IsDlgButtonChecked(e.FindDialog, IDC_FILES_SUBFOLDERS)),
              folder + " *.dtb 0");
}

// Replace All asks first; No changes nothing. Yes replaces each file whole or not at all: a refusal leaves its file's
// bytes as they were and is listed with the chunk's path, and the file open in the editor is changed there, as one
// change that Undo takes back, and not written.
TEST_F(FindInFiles, ReplaceAllChangesEachFileWholeAndTheOpenOneInTheEditor) {
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    const std::string open = WriteFile("open.dtb", Texts({"v42", "w42"}));
    const std::string b = WriteFile("sub\\b.dtb", Texts({"42"}));
    const std::string none = WriteFile("none.dtb", Texts({"none"}));
    OpenFile(open);
    Search("42");
    Tick(IDC_LOOK_INTEGERS, true);
    Put(IDC_REPLACE_WITH, "4x");
    user.answers.push_back(IDNO);
    Run(IDC_REPLACE_ALL);
    ASSERT_EQ(user.boxes.size(), 1u);
    EXPECT_EQ(user.boxes[0].text, "Replace 4 values in 3 files?");
    EXPECT_EQ(Status(), "Nothing was replaced.");
    EXPECT_TRUE(ReadFile(b) == Texts({"42"}));

    user.answers.push_back(IDYES);
    Run(IDC_REPLACE_ALL);
    EXPECT_EQ(Status(),
              "1 file changed, 1 value replaced, 1 file refused (listed). "
              "In the open file 2 values replaced, not yet saved.");
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0].substr(0, 92),
              "a.dtb|(not read or not changed)||Nothing was replaced: the chunk at alpha/1 "
              "refuses it: \"4x\"");
    EXPECT_TRUE(ReadFile(path) == TestFile()) << "a refused file was written";
    EXPECT_TRUE(ReadFile(b) == Texts({"4x"}));
    EXPECT_TRUE(ReadFile(none) == Texts({"none"}));
    EXPECT_TRUE(ReadFile(open) == Texts({"v42", "w42"})) << "the open file was written behind the editor's back";
    EXPECT_EQ(Joined(Table(), e.Doc.Modified), "2 32'v4x' 32'w4x' 1");
    Command(IDM_UNDO);
    EXPECT_EQ(Table(), "2 32'v42' 32'w42'");
}

// Stop half way ends at a file boundary: every file is either wholly replaced or untouched, and the summary says how
// far the run got. Meanwhile the main window takes no command and the dialog answers.
TEST_F(FindInFiles, StopLeavesEveryFileWholeOrUntouched) {
    const std::vector<std::string> before(400, "lava"), after(400, "magma");
    std::vector<std::string> files;
    for (int k = 0; k < 300; ++k) files.push_back(WriteFile("f" + std::to_string(1000 + k) + ".dtb", Texts(before, 1)));
    Search("lava");
    Put(IDC_REPLACE_WITH, "magma");
    user.answers.push_back(IDYES);
    SendMessageA(In(IDC_REPLACE_ALL), BM_CLICK, 0, 0);
    // A message at a time: one pump may run the whole replace.
    MSG m;
    for (DWORD start = GetTickCount(); Status().rfind("Replacing: ", 0) != 0 && GetTickCount() - start < 60000;)
        if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    ASSERT_EQ(Status().substr(0, 11), "Replacing: ");
    EXPECT_FALSE(IsWindowEnabled(window)) << "the main window takes commands during the run";
    SendMessageA(In(IDC_FIND_STOP), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Busy(); }, 60000));
    EXPECT_TRUE(IsWindowEnabled(window));
    std::string states, want;
    size_t replaced = 0;
    for (const std::string& f : files) {
        std::vector<uint8_t> bytes = ReadFile(f);
        states += bytes == Texts(after, 1) ? 'r' : bytes == Texts(before, 1) ? '-' : '?';
        replaced += bytes == Texts(after, 1);
    }
    EXPECT_EQ(states, std::string(replaced, 'r') + std::string(files.size() - replaced, '-'));
    EXPECT_LT(replaced, files.size()) << "the run was not stopped";
    EXPECT_EQ(Status().substr(0, Status().find(':') + 1),  // a.dtb, first, has nothing to replace
              "Stopped after " + std::to_string(replaced + 1) + " of 301 files:");
}

}  // namespace
