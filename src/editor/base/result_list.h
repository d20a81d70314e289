// The results lists of the windows that list chunks (Find All, Compare,
// Check Structure): a list view of no data of its own, each cell made by
// its owner when it is drawn, so a million lines cost a million indices
// and nothing more.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

// Columns sized as percents of the list's template width.
void AddResultColumns(HWND dialog, HWND list, int widthUnits, const char* const* names, const int* percents, int count);
// Each column as wide as its title and its longest cell among the first
// lines, but no wider than two fifths of the list.
void FitResultColumns(HWND list, int columns, int32_t lines, void (*fill)(const void* owner, LVITEMA* item),
                      const void* owner);
// The list's notices: a cell asked for is filled by fill; a double-click or
// an activation gives its line, anything else -1.
int32_t ResultListNotice(const NMHDR* header, void (*fill)(const void* owner, LVITEMA* item), const void* owner);
int32_t SelectedResultLine(HWND list);  // -1 for none
