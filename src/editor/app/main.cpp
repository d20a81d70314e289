// The program entry: start-up, the main window as a modal dialog, teardown.
// A file named on the command line (in quotes when it holds blanks; a
// relative path from the current folder) is opened as Open opens it.
#include <cstdlib>

#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static Editor editor;  // lives for the whole run; the main window refers to it
    if (!StartEditor(&editor, instance, PlatformSeams())) return 1;
    if (__argc > 1) editor.StartFile = __argv[1];
    DialogBoxParamA(instance, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&editor));
    EndEditor(&editor);
    return 0;
}
