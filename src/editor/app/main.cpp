// The program entry: start-up, the main window as a modal dialog, teardown.
// The command line is not read.
#include "editor.h"
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static EditorState state;  // lives for the whole run; the hook refers to it
    if (StartEditor(&state, instance) != 0) return 1;
    DialogBoxParamA(instance, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&state));
    EndEditor(&state);
    return 0;
}
