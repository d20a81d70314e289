// Where windows go on the screen, and where the keys go: helpers any part
// of the window layer may use without the shell's own declarations.
#pragma once

#include <windows.h>

// Centres window on the desktop.
void CentreOnDesktop(HWND window);

// Places window, at its present size, on the work area of owner's screen:
// beside owner where it hides nothing of avoid (the chunk views, screen
// coordinates), else where it hides least of keep (the selection), then
// least of avoid.
void PlaceBeside(HWND window, HWND owner, const RECT& avoid, const RECT& keep);

// A window the user may move within the run: put back where it was left
// (place not empty; a resizable one at its size too), true; false when it
// has no place yet.
bool PutBack(HWND window, const RECT& place, bool sized);
// Where window is now, for the next PutBack.
void RememberPlace(HWND window, RECT* place);

// A dialog's action may select chunks in the main window, and selecting
// one there focuses it. While it lives, this keeps the keys where the user
// was: when the dialog was the active window, it is active again afterwards
// with the focus on the control it had, so that no key meant for the
// dialog acts on the document.
class KeepKeys {
public:
    explicit KeepKeys(HWND dialog);
    ~KeepKeys();
    KeepKeys(const KeepKeys&) = delete;
    KeepKeys& operator=(const KeepKeys&) = delete;

private:
    HWND dialog_;
    HWND focus_;
};
