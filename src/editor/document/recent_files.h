// The recent files: the last eight files opened or saved, newest first, kept
// per user under HKEY_CURRENT_USER and shown at the foot of the File menu
// with the access keys 1 to 8.
#pragma once

#include <cstdint>

#include "base/editor.h"

// Reads the list from the registry and adds it to the File menu; the menu's
// items as they are now stay its fixed part.
void LoadRecentFiles(Editor* e);
// path becomes the first; one that was further down moves up, the ninth goes.
void AddRecentFile(Editor* e, const char* path);
// Takes entry k off the list.
void RemoveRecentFile(Editor* e, int32_t k);
