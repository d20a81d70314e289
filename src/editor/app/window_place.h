// Where windows go on the screen: a helper any part of the window layer may
// use without the shell's own declarations.
#pragma once

#include <windows.h>

// Centres window on the desktop.
void CentreOnDesktop(HWND window);
