// The names of a save's temporary files, shared by both platforms' file
// layers: "~dtb", eight hex digits of the target's file name, "-", a unique
// part, ".tmp". Every save of one file uses the same prefix, which is how a
// later save finds the temporaries an interrupted one left behind.
#pragma once

#include <cstddef>

const size_t kTemporaryPrefixSize = 14;  // "~dtb" + 8 digits + "-" + the zero
const char kTemporarySuffix[] = ".tmp";

// The length of the folder part of path, its last separator included.
size_t FolderLength(const char* path);
// Writes the prefix of target's temporaries (kTemporaryPrefixSize bytes);
// for a target that ends in a separator, the prefix all temporaries share.
void TemporaryPrefix(const char* target, bool foldCase, char* prefix);
