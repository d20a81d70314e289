// The shortcuts are applied by a message hook rather than by the dialog's
// loop, which the dialog manager owns: every loop of the thread (the main
// window's, the About box's, message boxes', file dialogs') passes through it.
#include "editor.h"
#include "shell.h"

EditorState* HookState = nullptr;

LRESULT CALLBACK ShortcutHook(int code, WPARAM wParam, LPARAM lParam) {
    EditorState* state = HookState;
    if (code == HC_ACTION && state) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        HWND window = MainWindowOf(state);
        // Ctrl+C, Ctrl+X (and P, which has no shortcut) act on chunks only in
        // the tree; anywhere else they stay with the focused control, so an
        // edit box copies and cuts its own text.
        bool offer = window && message->hwnd == GetDlgItem(window, IDC_CHUNK_TREE);
        if (!offer) offer = message->wParam != 0x43 && message->wParam != 0x58 && message->wParam != 0x50;
        if (offer && window &&
            TranslateAcceleratorA(window, reinterpret_cast<HACCEL>(state->Accelerators), message) == 1) {
            // The command has been sent; the key must not act a second time
            // in the control it was meant for.
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(state ? reinterpret_cast<HHOOK>(state->MessageHook) : nullptr, code, wParam, lParam);
}
