#include "message_box.h"

#include <shellapi.h>

#include "editor.h"
#include "report.h"

namespace {

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT flags) {
    return MessageBoxA(owner, text, caption, flags);
}

BOOL PlatformFileDialog(OPENFILENAMEA* dialog, int32_t forSaving, DWORD* error) {
    BOOL chosen = forSaving ? GetSaveFileNameA(dialog) : GetOpenFileNameA(dialog);
    *error = chosen ? 0 : CommDlgExtendedError();
    return chosen;
}

HINSTANCE PlatformShellOpen(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* folder, int show) {
    return ShellExecuteA(owner, verb, file, parameters, folder, show);
}

}  // namespace

MessageBoxSeam ShowMessageBox = PlatformMessageBox;
FileDialogSeam RunFileDialog = PlatformFileDialog;
ShellOpenSeam OpenWithShell = PlatformShellOpen;

void TellUser(const EditorState* state, const char* text, UINT icon) {
    ShowMessageBox(MainWindowOf(state), text, kProgramTitle, MB_OK | icon);
}

bool AskUser(const EditorState* state, const char* question) {
    return ShowMessageBox(MainWindowOf(state), question, kProgramTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ReportToUser(void* context, const char* text, ReportKind kind) {
    UINT icon = MB_ICONERROR;
    switch (kind) {
    case ReportError:
        icon = MB_ICONERROR;
        break;
    case ReportInformation:
        icon = MB_ICONINFORMATION;
        break;
    case ReportWarning:
        icon = MB_ICONWARNING;
        break;
    case ReportExclamation:
        icon = MB_ICONEXCLAMATION;
        break;
    }
    TellUser(static_cast<const EditorState*>(context), text, icon);
}
