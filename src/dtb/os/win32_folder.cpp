// A folder's entries on Windows, by their 8-bit names.
#include <windows.h>

#include "../folder_walk.h"

const char kPathSeparator = '\\';

int32_t ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int32_t>(error);  // an empty drive's root
    }
    do {
        const char* name = found.cFileName;
        if (!strcmp(name, ".") || !strcmp(name, "..")) continue;
        bool folderEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A junction or a link to a folder may lead back up the tree.
        if (folderEntry && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        entries->push_back({name, folderEntry});
    } while (FindNextFileA(search, &found));
    DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? 0 : static_cast<int32_t>(error);
}
