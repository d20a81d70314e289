// File > Compare With...: the differences between the document and a second
// file, read once through the core reader and never written, listed in a
// modeless window whose lines select their place in the document.
#pragma once

#include <windows.h>

#include "base/editor.h"

// Compares the document with the file at path and shows the window (or
// refreshes the open one).
void OpenCompareWindow(Editor* e, const char* path);
// The window's record lives behind its window; nullptr for any other window.
bool CompareWindowOf(HWND window);
// After any command: once the chunks the lines name may have moved (or the
// document is another), the list is emptied rather than select a wrong chunk.
void ForgetStaleDifferences(Editor* e, bool documentReplaced);
