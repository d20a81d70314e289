// Go To and the Find and Replace dialog through their own controls and keys:
// the list of every match and what a double-click or Enter on it selects,
// Replace and Replace All taken back by one Undo to the file's own bytes,
// and the paths and patterns that are refused.
#include "driver.h"
#include "views/find_dialog.h"

namespace {

struct GoToAnswers {
    std::deque<std::string> paths;    // typed into Go To in turn; Cancel when none is left
    std::vector<std::string> shown;   // what the box held at each answer, and whether it was selected
    std::vector<std::string> places;  // where the dialog was at each answer
    HWND dialog = nullptr;
    POINT moveTo = {-1, -1};  // where the user drags the dialog before the last answer
};

// A timer on the main window, its id the answers.
void AnswerGoTo(HWND, UINT, UINT_PTR id, DWORD) {
    GoToAnswers& answers = *reinterpret_cast<GoToAnswers*>(id);
    HWND dialog = ThreadDialog("Go To");
    if (!dialog) return;
    answers.dialog = dialog;
    HWND box = GetDlgItem(dialog, IDC_GO_TO_PATH);
    DWORD from = 0, to = 0;
    SendMessageA(box, EM_GETSEL, WPARAM(&from), LPARAM(&to));
    answers.shown.push_back(WindowText(box) + (to > from ? " (selected)" : ""));
    answers.places.push_back(Place(dialog));
    if (answers.paths.empty()) {
        if (answers.moveTo.x >= 0)
            SetWindowPos(dialog, nullptr, answers.moveTo.x, answers.moveTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return void(SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0));
    }
    SetWindowTextA(box, answers.paths.front().c_str());
    answers.paths.pop_front();
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// Should the About box open, it is closed and counted. A timer on the main window, its id the count.
void CloseAbout(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND about = ThreadDialog("About")) {
        ++*reinterpret_cast<int*>(id);
        SendMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    }
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
    // A press with the keys in the dialog on that button, as the mouse does it: true when they are there still.
    bool Pressed(int id) {
        SetActiveWindow(e.FindDialog), SetFocus(In(id)), Press(id);
        return GetActiveWindow() == e.FindDialog && GetFocus() == In(id);
    }
    std::string Offered(int id) const {  // a box's drop-down list, "|" after each
        std::string texts;
        char text[256];
        for (WPARAM k = 0; SendMessageA(In(id), CB_GETLBTEXT, k, LPARAM(text)) != CB_ERR; ++k)
            texts += text + std::string("|");
        return texts;
    }
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
    DoubleClickLine(In(IDC_FIND_RESULTS), 4), Pump();
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
    EXPECT_FALSE(IsWindowVisible(e.FindDialog));

    // Texts listed as the tree shows them: line breaks and control bytes written out, nothing stored changed.
    Command(IDM_FIND_REPLACE);
    Tick(IDC_LOOK_TEXTS, true), Tick(IDC_LOOK_INTEGERS, false);
    Put(IDC_FIND_WHAT, "two");
    Press(IDC_FIND_ALL);
    EXPECT_EQ(Found(), std::vector<std::string>{"alpha/beta/2|String(0x20)|one\\ntwo"});
}

// Replace one, then Replace All with groups: one Undo takes every value back and Save writes the file's own bytes.
// The status line tells of the document as it is.
TEST_F(FindReplace, ReplaceAllIsOneChange) {
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
    Select(0);
    EXPECT_EQ(Status(), "3 values replaced.") << "a selection changed nothing, yet the status went";
    const std::string once =
        "9 16(4)#1 5'alpha' 0:42 17(3)#2 5'beta' 19(1)#3 0:7 32'one\ntwo' 1:1069547520 6:4022250974 "
        "19(0)#-1 2'OnLo<d>(x)' 7'Level 3' 8:67305985 ";
    EXPECT_EQ(Table(), once + "33'd<t><\\>sky.dds' 35'X<b>cX' 18'l<s>t'");
    Command(IDM_UNDO);
    EXPECT_EQ(Table(), once + "33'data\\sky.dds' 35'XabcX' 18'last'") << "one Undo takes back all of Replace All";
    EXPECT_EQ(Status(), "") << "the status still tells of a change taken back";
    EXPECT_EQ(TreeItems()[15], "15:0:35:XabcX") << "the tree still shows a value taken back";
    Command(IDM_UNDO);
    EXPECT_EQ(Table(), kTestTable);
    Command(IDM_SAVE);
    EXPECT_TRUE(ReadFile(path) == TestFile()) << "the saved file is not the file as it was read";
}

// Go To shows the selection's path selected, refuses a path that names nothing with the reason and stays open, and
// selects the chunk a path names, opening the nodes on its way.
TEST_F(FindReplace, GoToSelectsThePathTypedAndRefusesOneThatNamesNothing) {
    GoToAnswers answers;
    answers.paths = {"alpha/nothing", "alpha/beta/2"};
    SetTimer(window, reinterpret_cast<UINT_PTR>(&answers), 10, AnswerGoTo);
    Select(6);
    Command(IDM_GO_TO);
    EXPECT_EQ(answers.shown, std::vector<std::string>({"alpha/beta/1/0 (selected)", "alpha/nothing"}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"There is no chunk at \"alpha/nothing\"."}));
    EXPECT_EQ(user.boxes[0].owner, answers.dialog) << "the refusal is not the dialog's own";
    EXPECT_EQ(SelectedChunk(), 7);
    RECT tree;
    GetWindowRect(Control(IDC_CHUNK_TREE), &tree);
    EXPECT_GE(std::stoi(answers.places[0]), tree.right) << "Go To hides the chunk views: " << answers.places[0];

    // A chunk by its number, as dtbtool list prints it; the dialog opens where the user last left it.
    answers.paths = {"#12"};
    answers.moveTo = {20, 30};
    Command(IDM_GO_TO);
    EXPECT_EQ(SelectedChunk(), 12);
    Command(IDM_GO_TO);  // moved, and cancelled
    answers.moveTo = {-1, -1};
    Command(IDM_GO_TO);
    KillTimer(window, reinterpret_cast<UINT_PTR>(&answers));
    EXPECT_EQ(answers.shown.back(), "4 (selected)");
    EXPECT_EQ(answers.places.back().substr(0, 6), "20,30 ");
}

// The dialog's messages (a refused value, which changes nothing; a bad pattern) are its own; after them, after
// Replace All selects its chunk in the main window and after a search, the keys are still the dialog's, on the
// control the user left: Delete and Alt+A typed there never reach the document or the main window's menu. A
// Replace All too large to undo is asked about before it is made.
TEST_F(FindReplace, KeysAndMessagesStayWithTheDialog) {
    int abouts = 0;
    SetTimer(window, reinterpret_cast<UINT_PTR>(&abouts), 10, CloseAbout);
    Select(0);
    Command(IDM_FIND_REPLACE);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == e.FindDialog; }));
    Tick(IDC_LOOK_TEXTS, false), Tick(IDC_LOOK_NAMES, false), Tick(IDC_LOOK_INTEGERS, true);
    Put(IDC_FIND_WHAT, "42");
    Put(IDC_REPLACE_WITH, "x");
    EXPECT_TRUE(Pressed(IDC_REPLACE_ALL)) << "a refusal took the keys away";
    Put(IDC_REPLACE_WITH, "43");
    EXPECT_TRUE(Pressed(IDC_REPLACE_ALL)) << "Replace All took the keys away";
    EXPECT_EQ(Status(), "1 value replaced.");
    EXPECT_EQ(SelectedChunk(), 0);
    const std::string replaced = Table();
    PressKeys({VK_DELETE});
    PressKeys({VK_MENU, 'A'});  // the dialog's Find All
    PumpUntil([&] { return !Status().empty(); });
    EXPECT_EQ(Table(), replaced) << "a key typed in the dialog acted on the document";
    EXPECT_EQ(Status(), "0 matches.");
    Tick(IDC_REGULAR_EXPRESSION, true), Tick(IDC_LOOK_TEXTS, true);
    Put(IDC_FIND_WHAT, "(a");
    EXPECT_TRUE(Pressed(IDC_FIND_NEXT));
    EXPECT_EQ(WindowText(In(IDC_FIND_WHAT)), "(a") << "the pattern was not kept to be mended";

    e.Doc.History.Limit = 200;  // one value's change fits, six do not
    Tick(IDC_REGULAR_EXPRESSION, false), Tick(IDC_LOOK_NAMES, true), Tick(IDC_LOOK_INTEGERS, false);
    Put(IDC_FIND_WHAT, "a");
    Put(IDC_REPLACE_WITH, "b");
    user.answers.insert(user.answers.end(), {IDNO, IDYES});
    EXPECT_TRUE(Pressed(IDC_REPLACE_ALL));
    EXPECT_EQ(Table(), replaced) << "No still replaced";
    EXPECT_EQ(Status(), "Nothing was replaced.");
    EXPECT_FALSE(Grayed(IDM_UNDO)) << "the history went with the No";
    EXPECT_TRUE(Pressed(IDC_REPLACE_ALL));
    EXPECT_EQ(Status(), "6 values replaced.");
    EXPECT_TRUE(Grayed(IDM_UNDO));
    const std::string question = "This change cannot be undone afterwards (6 values). Make it anyway?";
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Nothing was replaced: the chunk at alpha/1 refuses it: \"x\" is "
                                                    "not a whole number from -2147483648 to 2147483647.",
                                                    "The pattern is not valid at position 2: a '(' has no ')' to "
                                                    "close it.",
                                                    question, question}));
    for (const Box& box : user.boxes) EXPECT_EQ(box.owner, e.FindDialog) << box.text;
    EXPECT_EQ(user.boxes[1].flags, UINT(MB_OK | MB_ICONERROR));
    KillTimer(window, reinterpret_cast<UINT_PTR>(&abouts));
    EXPECT_EQ(abouts, 0) << "Alt+A in the dialog opened the About box";
    Command(IDM_SAVE);
    EXPECT_EQ(FileRows(path)[1], "5:'blphb'");
    EXPECT_EQ(FileRows(path)[2], "0:2B 00 00 00");
    OpenFile(WriteFile("other.dtb", TestFile()));
    EXPECT_EQ(Status(), "") << "the status tells of another document";
}

// The dialog opens beside the chunk views and, closed and opened again, is as the user left it, where it was left;
// the texts used last are offered again, newest first. F3 and Shift+F3 in the main window repeat the search that
// ran last: the dialog's, open or closed, or the search box's.
TEST_F(FindReplace, TheDialogOpensAsItWasLeftAndF3RepeatsTheLastSearch) {
    Select(0);
    Command(IDM_FIND_REPLACE);
    RECT tree;
    GetWindowRect(Control(IDC_CHUNK_TREE), &tree);
    EXPECT_GE(std::stoi(Place(e.FindDialog)), tree.right) << "the dialog hides the chunk views";
    Put(IDC_FIND_WHAT, "beta");
    Press(IDC_FIND_NEXT);
    Put(IDC_FIND_WHAT, "LAST");
    Put(IDC_REPLACE_WITH, "first");
    Tick(IDC_WHOLE_VALUE, true), Tick(IDC_LOOK_NAMES, false);
    SendMessageA(In(IDC_SCOPE_SUBTREE), BM_CLICK, 0, 0);
    SendMessageA(In(IDC_FIND_TYPE), CB_SETCURSEL, 3, 0);
    Press(IDC_FIND_NEXT);
    SetWindowPos(e.FindDialog, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Key(In(IDC_FIND_WHAT), VK_ESCAPE);
    EXPECT_EQ(Joined(IsWindowVisible(e.FindDialog), GetActiveWindow() == window), "0 1");
    EXPECT_EQ(Status(), "");

    Command(IDM_FIND_REPLACE);
    EXPECT_EQ(
        Joined(WindowText(In(IDC_FIND_WHAT)), WindowText(In(IDC_REPLACE_WITH)),
               IsDlgButtonChecked(e.FindDialog, IDC_WHOLE_VALUE), IsDlgButtonChecked(e.FindDialog, IDC_LOOK_NAMES),
               IsDlgButtonChecked(e.FindDialog, IDC_SCOPE_SUBTREE),
               SendMessageA(In(IDC_FIND_TYPE), CB_GETCURSEL, 0, 0)),
        "LAST first 1 0 1 3");
    EXPECT_EQ(Place(e.FindDialog).substr(0, 6), "30,40 ");
    EXPECT_EQ(Offered(IDC_FIND_WHAT), "LAST|beta|");
    Put(IDC_FIND_WHAT, "beta");
    Tick(IDC_WHOLE_VALUE, false), Tick(IDC_LOOK_NAMES, true);
    SendMessageA(In(IDC_SCOPE_DOCUMENT), BM_CLICK, 0, 0);
    SendMessageA(In(IDC_FIND_TYPE), CB_SETCURSEL, 0, 0);
    Press(IDC_FIND_ALL);
    EXPECT_EQ(Offered(IDC_FIND_WHAT), "beta|LAST|");
    Key(In(IDC_FIND_WHAT), VK_ESCAPE);

    // The dialog's search, closed: F3 goes on from the selection, as Find Next does.
    SetFocus(Control(IDC_CHUNK_TREE));
    Select(0);
    PressKeys({VK_F3});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 4; })) << SelectedChunk();
    // The search box's Find, then F3 and Shift+F3 forwards and back from the selection.
    SetWindowTextA(Control(IDC_FIND_BOX), "a");
    Select(0);
    Command(IDM_FIND);
    EXPECT_EQ(SelectedChunk(), 1);
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_F3});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 4; })) << SelectedChunk();
    PressKeys({VK_SHIFT, VK_F3});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 1; })) << SelectedChunk();
    EXPECT_FALSE(IsWindowVisible(e.FindDialog));
}

}  // namespace
