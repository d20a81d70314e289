#include "temporary_name.h"

#include <cstdint>
#include <cstdio>

size_t FolderLength(const char* path) {
    size_t folder = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == '/' || path[i] == '\\') folder = i + 1;
    return folder;
}

void TemporaryPrefix(const char* target, bool foldCase, char* prefix) {
    if (!target[FolderLength(target)]) {  // a folder: the temporaries of every file in it
        std::snprintf(prefix, kTemporaryPrefixSize, "~dtb");
        return;
    }
    // FNV-1a of the file's own name: the same for every save of one file, and
    // short whatever the name's length, so the temporary always fits where
    // the file itself does.
    uint32_t hash = 2166136261u;
    for (const char* p = target + FolderLength(target); *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (foldCase && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        hash = (hash ^ c) * 16777619u;
    }
    std::snprintf(prefix, kTemporaryPrefixSize, "~dtb%08x-", static_cast<unsigned>(hash));
}
