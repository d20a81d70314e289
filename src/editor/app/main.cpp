// The program entry: start-up, the main window as a modal dialog, teardown.
// The command line is not read.
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static Editor editor;  // lives for the whole run; the main window refers to it
    if (!StartEditor(&editor, instance, PlatformSeams())) return 1;
    DialogBoxParamA(instance, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&editor));
    EndEditor(&editor);
    return 0;
}
