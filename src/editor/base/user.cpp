// How the editor meets its user: the program title, the platform's own seams
// (message boxes, file dialogs, the shell, beeps and context menus), and the
// messages and questions, owned by the window the user is in.
#include "editor.h"

#include <shellapi.h>

#include "document.h"

const char kProgramTitle[] = "KLV DTB Editor v1.0d";

namespace {

int PlatformMessageBox(void*, HWND owner, const char* text, const char* caption, UINT flags) {
    return MessageBoxA(owner, text, caption, flags);
}

BOOL PlatformFileDialog(void*, OPENFILENAMEA* dialog, bool forSaving, DWORD* error) {
    BOOL chosen = forSaving ? GetSaveFileNameA(dialog) : GetOpenFileNameA(dialog);
    *error = chosen ? 0 : CommDlgExtendedError();
    return chosen;
}

HINSTANCE PlatformShellOpen(void*, HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* folder, int show) {
    return ShellExecuteA(owner, verb, file, parameters, folder, show);
}

BOOL PlatformBeep(void*, UINT type) { return MessageBeep(type); }

UINT PlatformTrackMenu(void*, HMENU menu, int x, int y, HWND owner) {
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
}

const UserSeams kPlatform = {nullptr,  // no context
                             PlatformMessageBox,
                             PlatformFileDialog,
                             PlatformShellOpen,
                             PlatformBeep,
                             PlatformTrackMenu};

}  // namespace

const UserSeams& PlatformSeams() { return kPlatform; }

HWND MessageOwner(const Editor* e) {
    HWND active = GetActiveWindow();
    for (HWND w = active; w && e->Window; w = GetWindow(w, GW_OWNER))
        if (w == e->Window) return active;
    return e->Window;
}

void TellUser(const Editor* e, const char* text, UINT icon) {
    e->User.MessageBox(e->User.Context, MessageOwner(e), text, kProgramTitle, MB_OK | icon);
}

int AskUser(const Editor* e, const char* question, UINT flags) {
    return e->User.MessageBox(e->User.Context, MessageOwner(e), question, kProgramTitle, flags);
}

void ReportToUser(void* context, const char* text, ReportKind kind) {
    static const UINT kIcons[] = {MB_ICONERROR, MB_ICONINFORMATION, MB_ICONWARNING, MB_ICONEXCLAMATION};
    TellUser(static_cast<const Editor*>(context), text, kIcons[kind]);
}

bool ConfirmWithUser(void* context, const char* question) {
    return AskUser(static_cast<const Editor*>(context), question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}
