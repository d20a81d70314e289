// Go To and the Find and Replace dialog through their own controls and keys:
// the list of every match and what a double-click or Enter on it selects,
// Replace and Replace All taken back by one Undo to the file's own bytes,
// and the paths and patterns that are refused.
#include "driver.h"
#include "views/find_dialog.h"

namespace {

struct GoToAnswers {
    std::deque<std::string> paths;   // typed into Go To in turn; Cancel when none is left
    std::vector<std::string> shown;  // what the box held at each answer, and whether it was selected
};

// A timer on the main window, its id the answers.
void AnswerGoTo(HWND, UINT, UINT_PTR id, DWORD) {
    GoToAnswers& answers = *reinterpret_cast<GoToAnswers*>(id);
    HWND dialog = ThreadDialog("Go To");
    if (!dialog) return;
    HWND box = GetDlgItem(dialog, IDC_GO_TO_PATH);
    DWORD from = 0, to = 0;
    SendMessageA(box, EM_GETSEL, WPARAM(&from), LPARAM(&to));
    answers.shown.push_back(WindowText(box) + (to > from ? " (selected)" : ""));
    if (answers.paths.empty()) return void(SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0));
    SetWindowTextA(box, answers.paths.front().c_str());
    answers.paths.pop_front();
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

class FindReplace : public EditorTest {
protected:
    FindReplace() { openAtStart = true; }
    HWND In(int id) const { return GetDlgItem(e.FindDialog, id); }
    void Put(int id, const char* text) { SetWindowTextA(In(id), text); }
    void Tick(int id, bool on) {
        if ((IsDlgButtonChecked(e.FindDialog, id) == BST_CHECKED) != on) SendMessageA(In(id), BM_CLICK, 0, 0);
    }
    void Press(int id) { SendMessageA(In(id), BM_CLICK, 0, 0), Pump(); }
    void Key(HWND to, WPARAM key) { PostMessageA(to, WM_KEYDOWN, key, 0), PostMessageA(to, WM_KEYUP, key, 0), Pump(); }
    std::string Status() const { return WindowText(In(IDC_FIND_STATUS)); }
    std::vector<std::string> Found() const { return ListViewLines(In(IDC_FIND_RESULTS), 3); }  // path|type|value
};

// Find All lists texts and names with their paths; a double-click, Enter on a line, F3 and Shift+F3 each select a
// chunk and the dialog stays open; an edit that moves chunks empties the list; Esc closes the dialog.
TEST_F(FindReplace, FindAllListsEveryMatchAndEachWaySelectsItsChunk) {
    Command(IDM_FIND_REPLACE);
    ASSERT_TRUE(e.FindDialog && IsWindowVisible(e.FindDialog));
    Put(IDC_FIND_WHAT, "a");
    Press(IDC_FIND_ALL);
    const std::vector<std::string> found = {"alpha/0|String(0x05)|alpha", "alpha/beta/0|String(0x05)|beta",
                                            "3|Function(0x02)|OnLoad(x)", "6|File Ref(0x21)|data\\sky.dds",
                                            "7|String(0x23)|XabcX",       "8|String(0x12)|last"};
    EXPECT_EQ(Found(), found);
    EXPECT_EQ(Status(), "6 matches.");
    DoubleClick(In(IDC_FIND_RESULTS), 4);
    EXPECT_EQ(SelectedChunk(), 15);
    ListView_SetItemState(In(IDC_FIND_RESULTS), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(In(IDC_FIND_RESULTS));
    Key(In(IDC_FIND_RESULTS), VK_RETURN);
    EXPECT_EQ(SelectedChunk(), 11);
    EXPECT_TRUE(IsWindow(e.FindDialog));

    Key(In(IDC_FIND_RESULTS), VK_F3);  // in the dialog, and in the main window
    EXPECT_EQ(SelectedChunk(), 14);
    Select(16);
    ASSERT_EQ(GetActiveWindow(), window);
    Key(Control(IDC_CHUNK_TREE), VK_F3);
    EXPECT_EQ(SelectedChunk(), 1);
    EXPECT_EQ(Status(), "Passed the end of the document; continued from the start.");

    Tick(IDC_LOOK_TEXTS, false), Tick(IDC_LOOK_NAMES, false), Tick(IDC_LOOK_INTEGERS, true);
    Put(IDC_FIND_WHAT, "40..50");
    Press(IDC_FIND_ALL);
    EXPECT_EQ(Found(), std::vector<std::string>{"alpha/1|Integer(0x00)|42"});
    Select(6);
    Command(IDM_REMOVE);
    EXPECT_EQ(Found().size(), 0u) << "a list whose chunks moved still stands";
    SetFocus(In(IDC_FIND_WHAT));
    Key(In(IDC_FIND_WHAT), VK_ESCAPE);
    EXPECT_EQ(e.FindDialog, nullptr);
}

// Replace one, then Replace All with groups: one Undo takes every value back and Save writes the file's own bytes.
// A number that does not read as its type changes nothing and says which chunk; a bad pattern gives the reason.
TEST_F(FindReplace, ReplaceAllIsOneChangeAndRefusalsChangeNothing) {
    Command(IDM_FIND_REPLACE);
    Tick(IDC_LOOK_NAMES, false), Tick(IDC_REGULAR_EXPRESSION, true);
    Put(IDC_FIND_WHAT, "a(.)");
    Put(IDC_REPLACE_WITH, "<$1>");
    Press(IDC_FIND_NEXT);
    EXPECT_EQ(SelectedChunk(), 11);
    Press(IDC_REPLACE);
    EXPECT_EQ(SelectedChunk(), 14);
    Press(IDC_REPLACE_ALL);
    EXPECT_EQ(Status(), "3 values replaced.");
    const std::string once =
        "9 16(4)#1 5'alpha' 0:42 17(3)#2 5'beta' 19(1)#3 0:7 32'one\ntwo' 1:1069547520 6:4022250974 "
        "19(0)#-1 2'OnLo<d>(x)' 7'Level 3' 8:67305985 ";
    EXPECT_EQ(Table(), once + "33'd<t><\\>sky.dds' 35'X<b>cX' 18'l<s>t'");
    Command(IDM_UNDO);
    EXPECT_EQ(Table(), once + "33'data\\sky.dds' 35'XabcX' 18'last'") << "one Undo takes back all of Replace All";
    Command(IDM_UNDO);
    EXPECT_EQ(Table(), kTestTable);
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(path) == TestFile()) << "the saved file is not the file as it was read";

    Tick(IDC_REGULAR_EXPRESSION, false), Tick(IDC_LOOK_TEXTS, false), Tick(IDC_LOOK_INTEGERS, true);
    Put(IDC_FIND_WHAT, "7");
    Put(IDC_REPLACE_WITH, "x");
    Press(IDC_REPLACE_ALL);
    Tick(IDC_REGULAR_EXPRESSION, true), Tick(IDC_LOOK_TEXTS, true);
    Put(IDC_FIND_WHAT, "(a");
    Press(IDC_FIND_ALL);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>(
                  {"Nothing was replaced: the chunk at alpha/beta/1/0 refuses it: \"x\" is not a whole number "
                   "from -2147483648 to 2147483647.",
                   "The regular expression does not compile: Unmatched marking parenthesis ( or \\(.  The "
                   "error occurred while parsing the regular expression: '(a>>>HERE>>>'."}));
    EXPECT_EQ(Table(), kTestTable);
}

// Go To shows the selection's path selected, refuses a path that names nothing with the reason and stays open, and
// selects the chunk a path names, opening the nodes on its way.
TEST_F(FindReplace, GoToSelectsThePathTypedAndRefusesOneThatNamesNothing) {
    GoToAnswers answers = {{"alpha/nothing", "alpha/beta/2"}, {}};
    SetTimer(window, reinterpret_cast<UINT_PTR>(&answers), 10, AnswerGoTo);
    Select(6);
    Command(IDM_GO_TO);
    KillTimer(window, reinterpret_cast<UINT_PTR>(&answers));
    EXPECT_EQ(answers.shown, std::vector<std::string>({"alpha/beta/1/0 (selected)", "alpha/nothing"}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"There is no chunk at \"alpha/nothing\"."}));
    EXPECT_EQ(SelectedChunk(), 7);
}

}  // namespace
