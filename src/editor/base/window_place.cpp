#include "window_place.h"

#include <climits>

namespace {

long long Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) ? static_cast<long long>(both.right - both.left) * (both.bottom - both.top) : 0;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return monitor.rcWork;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return desktop;
}

// A w x h rectangle at x, y moved into area as far as it fits.
RECT Within(const RECT& area, int x, int y, int w, int h) {
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    return {x, y, x + w, y + h};
}

}  // namespace

void CentreOnDesktop(HWND window) {
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    MoveWindow(window, (desktop.right - width) / 2, (desktop.bottom - height) / 2, width, height, TRUE);
}

void PlaceBeside(HWND window, HWND owner, const RECT& avoid, const RECT& keep) {
    RECT own, main;
    GetWindowRect(window, &own);
    GetWindowRect(owner, &main);
    const int w = own.right - own.left, h = own.bottom - own.top;
    const RECT area = WorkAreaOf(owner);
    // In the order they are preferred: right of the window, left of it,
    // right of the chunk views (over the detail pane), below, above; then
    // the corners of the screen, for when none of those hides nothing.
    const RECT places[] = {
        Within(area, main.right, main.top, w, h),       Within(area, main.left - w, main.top, w, h),
        Within(area, avoid.right, main.top, w, h),      Within(area, main.left, main.bottom, w, h),
        Within(area, main.left, main.top - h, w, h),    Within(area, area.right - w, area.top, w, h),
        Within(area, area.left, area.top, w, h),        Within(area, area.right - w, area.bottom - h, w, h),
        Within(area, area.left, area.bottom - h, w, h),
    };
    const RECT* best = &places[0];
    long long bestKeep = LLONG_MAX, bestAvoid = LLONG_MAX;
    for (const RECT& place : places) {
        long long hidden = Overlap(place, avoid), kept = Overlap(place, keep);
        if (hidden == 0) {
            best = &place;
            break;
        }
        if (kept < bestKeep || (kept == bestKeep && hidden < bestAvoid)) {
            best = &place;
            bestKeep = kept;
            bestAvoid = hidden;
        }
    }
    SetWindowPos(window, nullptr, best->left, best->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PutBack(HWND window, const RECT& place, bool sized) {
    if (IsRectEmpty(&place)) return false;
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE));
    return true;
}

void RememberPlace(HWND window, RECT* place) { GetWindowRect(window, place); }

KeepKeys::KeepKeys(HWND dialog) : dialog_(GetActiveWindow() == dialog ? dialog : nullptr), focus_(GetFocus()) {}

KeepKeys::~KeepKeys() {
    if (!dialog_ || !IsWindow(dialog_) || !IsWindowVisible(dialog_)) return;
    if (GetActiveWindow() != dialog_) SetActiveWindow(dialog_);
    if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_) && IsWindowEnabled(focus_) && GetFocus() != focus_)
        SetFocus(focus_);
}
