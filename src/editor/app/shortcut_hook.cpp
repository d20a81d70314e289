// The shortcuts are applied by a message hook rather than by the dialog's
// loop, which the dialog manager owns: every loop of the thread (the main
// window's, the About box's, message boxes', file dialogs') passes through
// it. It acts only while the main window is the active one: keys meant for
// a dialog or a message box over it stay theirs.
#include "commands.h"
#include "shell.h"

LRESULT CALLBACK ShortcutHook(int code, WPARAM wParam, LPARAM lParam) {
    HWND active = GetActiveWindow();
    bool main = active && GetWindowLongPtrA(active, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(MainDialogProc);
    Editor* e = main ? EditorOf(active) : nullptr;
    if (code == HC_ACTION && e) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
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
            // Ctrl+Y and Delete on the document only in the tree or the list.
            // Anywhere else they stay with the focused control, so an edit
            // box copies, cuts, undoes and deletes its own text. P is held
            // back as it always was: it has no shortcut, so that costs
            // nothing; Ctrl+V reaches Paste everywhere, which hands a paste
            // outside the tree to the focused box.
            WPARAM key = message->wParam;
            bool inTree = message->hwnd == ControlOf(e, IDC_CHUNK_TREE);
            bool inView = inTree || message->hwnd == ControlOf(e, IDC_CHUNK_LIST);
            bool offer = (key == 'C' || key == 'X' || key == 'P')                    ? inTree
                         : (key == 'Z' || key == 'Y' || key == VK_DELETE) ? inView
                                                                            : true;
            if (offer && TranslateAcceleratorA(e->Window, e->Accelerators, message)) {
                // The command has been sent; the key must not act a second
                // time in the control it was meant for.
                message->message = WM_NULL;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
