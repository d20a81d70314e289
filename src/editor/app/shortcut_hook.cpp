// The shortcuts are applied by a message hook rather than by the dialog's
// loop, which the dialog manager owns: every loop of the thread (the main
// window's, the About box's, message boxes', file dialogs') passes through
// it. It acts only while the main window or one of the modeless windows is
// the active one, and on the document only while the main window is: keys
// meant for a dialog or a message box over it stay theirs.
#include "commands.h"
#include "editing/editing.h"
#include "shell.h"
#include "views/compare_window.h"
#include "views/find_dialog.h"

namespace {

bool IsF3(const MSG* message) {
    return message->message == WM_KEYDOWN && message->wParam == VK_F3 && GetKeyState(VK_CONTROL) >= 0;
}

// F3 and Shift+F3 in the Find and Replace dialog are its Find Next and Find Previous.
bool FindKey(HWND dialog, const MSG* message) {
    if (!IsF3(message)) return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetKeyState(VK_SHIFT) < 0 ? IDC_FIND_PREVIOUS : IDC_FIND_NEXT, 1), 0);
    return true;
}

// The modeless dialog has no loop of its own: its Tab, Enter and Esc are
// the dialog manager's only when the keys pass through it here.
void DialogKeys(HWND dialog, MSG* message) {
    bool key = message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST;
    if (key && (FindKey(dialog, message) || IsDialogMessageA(dialog, message))) message->message = WM_NULL;
}

}  // namespace

LRESULT CALLBACK ShortcutHook(int code, WPARAM wParam, LPARAM lParam) {
    HWND active = GetActiveWindow();
    bool main = active && GetWindowLongPtrA(active, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(MainDialogProc);
    Editor* e = main ? EditorOf(active) : nullptr;
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && !main && (FindDialogOf(active) || CompareWindowOf(active)))
        DialogKeys(active, message);
    if (code == HC_ACTION && e) {
        if (wParam == PM_REMOVE && TreeDragKey(e, message)) {
            message->message = WM_NULL;
        } else if (IsF3(message)) {
            CommandRepeatSearch(e, GetKeyState(VK_SHIFT) < 0);
            message->message = WM_NULL;
        } else if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
            // Esc would end the dialog that is the main window, edits and all;
            // only Exit and the close box end the program. In a box that
            // takes a value it drops what was typed there.
            CommandPutBack(e, message->hwnd);
            message->message = WM_NULL;
        } else if (message->message == WM_SYSKEYDOWN && message->wParam == VK_F4) {
            // Alt+F4 is the close box, whichever control has the focus: some
            // tree views keep every system key to themselves.
            PostMessageA(e->Window, WM_SYSCOMMAND, SC_CLOSE, 0);
            message->message = WM_NULL;
        } else {
            // Ctrl+C and Ctrl+X act on chunks only in the tree; Ctrl+Z,
            // Ctrl+Y, Delete, the moves (Alt+Up, Alt+Down), Duplicate
            // (Ctrl+D) and Copy Path (Ctrl+Shift+C) on the document only in
            // the tree or the list. Anywhere else they stay with the focused
            // control, so an edit box copies, cuts, undoes and deletes its
            // own text. P is held back as it always was: it has no shortcut,
            // so that costs nothing; Ctrl+V reaches Paste everywhere, which
            // hands a paste outside the tree to the focused box.
            WPARAM key = message->wParam;
            bool inTree = message->hwnd == ControlOf(e, IDC_CHUNK_TREE);
            bool inView = inTree || message->hwnd == ControlOf(e, IDC_CHUNK_LIST);
            bool shift = GetKeyState(VK_SHIFT) < 0;
            bool viewKey = key == 'Z' || key == 'Y' || key == 'D' || key == VK_DELETE || key == VK_UP ||
                           key == VK_DOWN || (key == 'C' && shift);
            bool offer = viewKey ? inView : key == 'C' || key == 'X' || key == 'P' ? inTree : true;
            // A grayed command's shortcut does nothing: its state must follow
            // the selection, which moves without a command. Only the chunk
            // commands' own keys (Alt+Up, Alt+Down, Ctrl+D, Ctrl+Shift+C) ask
            // for it, since finding a sibling walks the ones before it and a
            // held arrow key should not pay for that.
            bool chunkKey =
                message->message == WM_SYSKEYDOWN ||
                (message->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && (key == 'D' || key == 'C'));
            if (inView && chunkKey) UpdateChunkCommands(e, GetMenu(e->Window));
            if (offer && TranslateAcceleratorA(e->Window, e->Accelerators, message)) {
                // The command has been sent; the key must not act a second
                // time in the control it was meant for.
                message->message = WM_NULL;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
