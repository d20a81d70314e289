#include "document.h"
#include "editor.h"
#include "message_box.h"
#include "shell.h"

int32_t StartEditor(EditorState* state, HINSTANCE instance) {
    InitCommonControls();
    InitEditorState(state);
    state->Instance = reinterpret_cast<NativeHandle>(instance);
    state->Reporter = ReportToUser;
    state->ReporterContext = state;
    // Its message has been shown (no main window owns it yet); every part of
    // the editor takes the table and the pool as given, so the run ends here.
    if (AllocateDocument(state) != 0) {
        FreeDocument(state);
        return -1;
    }
    state->ShowAsTree = 1;
    state->ShowIdentifiers = 1;
    HookState = state;
    state->Accelerators = reinterpret_cast<NativeHandle>(LoadAcceleratorsA(instance, "AppAccels"));
    state->MessageHook = reinterpret_cast<NativeHandle>(
        SetWindowsHookExA(WH_GETMESSAGE, ShortcutHook, nullptr, GetCurrentThreadId()));
    state->ClipboardFormat = RegisterClipboardFormatA("KLVDTB");
    return 0;
}

void EndEditor(EditorState* state) {
    UnhookWindowsHookEx(reinterpret_cast<HHOOK>(state->MessageHook));
    state->MessageHook = 0;
    HookState = nullptr;
    FreeDocument(state);
}
