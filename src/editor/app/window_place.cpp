#include "window_place.h"

void CentreOnDesktop(HWND window) {
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    MoveWindow(window, (desktop.right - width) / 2, (desktop.bottom - height) / 2, width, height, TRUE);
}
