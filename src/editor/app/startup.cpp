// Start and end of the editor: its record, its document and memory, the shortcut hook, the clipboard format.
#include "shell.h"

#include "commands.h"

#include "document.h"
#include "views/views.h"

bool StartEditor(Editor* e, HINSTANCE instance, const UserSeams& user, const BlockAllocator* memory) {
    InitCommonControls();
    *e = Editor();
    InitDocument(&e->Doc);
    e->Doc.Memory = memory;
    e->User = user;
    e->Instance = instance;
    e->Doc.Reporter = ReportToUser;
    e->Doc.ReporterContext = e;
    e->Doc.Confirm = ConfirmWithUser;
    e->Doc.ConfirmContext = e;
    e->AfterChange = AfterChange;
    e->OpenPath = CommandOpenPath;
    e->CurrentChunk = e->PaneChunk = -1;
    // Its message has been shown (no main window owns it yet); every part of
    // the editor takes the table and the pool as given, so the run ends here.
    if (AllocateDocument(&e->Doc) != 0) return false;
    e->ShowAsTree = true;
    e->ShowIdentifiers = true;
    BuildCaseFold(CP_ACP, &e->Fold);
    e->Accelerators = LoadAcceleratorsA(instance, "AppAccels");
    e->MessageHook = SetWindowsHookExA(WH_GETMESSAGE, ShortcutHook, nullptr, GetCurrentThreadId());
    e->ClipboardFormat = RegisterClipboardFormatA("KLVDTB");
    e->Recent.Key = "Software\\KLV\\DTB Editor\\Recent Files";
    return true;
}

void EndEditor(Editor* e) {
    UnhookWindowsHookEx(e->MessageHook);
    e->MessageHook = nullptr;
    FreeDocument(&e->Doc);
    FreeTreeModel(&e->Tree);
}
