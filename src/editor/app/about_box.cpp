// The About box.
#include <cctype>
#include <cstring>

#include "shell.h"
#include "base/window_place.h"

bool DonatePagePath(const char* programPath, char* path, size_t size) {
    static const char kPage[] = "donate.htm";
    // The folder is everything up to the last separator, whatever the
    // program file is called.
    size_t folder = 0;
    for (size_t i = 0; programPath[i]; ++i)
        if (programPath[i] == '\\' || programPath[i] == '/') folder = i + 1;
    bool absolute = (std::isalpha(static_cast<unsigned char>(programPath[0])) && programPath[1] == ':' &&
                     (programPath[2] == '\\' || programPath[2] == '/')) ||
                    (programPath[0] == '\\' && programPath[1] == '\\');
    if (!absolute || folder + sizeof kPage > size) return false;  // never a relative or cut-short path
    std::memcpy(path, programPath, folder);
    std::memcpy(path + folder, kPage, sizeof kPage);
    return true;
}

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CentreOnDesktop(window);
        // The first button is Donate!, where Enter would open the page: the
        // focus starts on OK, so that Enter closes the box.
        SetFocus(GetDlgItem(window, IDOK));
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(window, static_cast<INT_PTR>(wParam));
        return TRUE;
    case IDC_DONATE: {
        char program[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
        if (length >= sizeof program) length = 0;  // cut short: not a path to trust
        program[length] = '\0';
        char page[MAX_PATH];
        // The About box belongs to the main window, whose editor says how to open it.
        Editor* e = EditorOf(GetWindow(window, GW_OWNER));
        if (e && DonatePagePath(program, page, sizeof page))
            e->User.ShellOpen(e->User.Context, nullptr, "open", page, nullptr, nullptr, SW_SHOWDEFAULT);
        return TRUE;
    }
    default:
        return FALSE;  // Esc included: only OK or Enter closes the box
    }
}
