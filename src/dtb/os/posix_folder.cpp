// A folder's entries on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "../folder_walk.h"

const char kPathSeparator = '/';

int32_t ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    DIR* listing = opendir(folder.c_str());
    if (!listing) return errno;
    int fd = dirfd(listing);
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
        struct stat own, target;
        if (fstatat(fd, entry->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
        bool link = S_ISLNK(own.st_mode);
        if (link && fstatat(fd, entry->d_name, &target, 0) != 0) continue;  // a link to nothing
        const struct stat& what = link ? target : own;
        if (S_ISDIR(what.st_mode) && link) continue;
        if (!S_ISDIR(what.st_mode) && !S_ISREG(what.st_mode)) continue;
        entries->push_back({entry->d_name, S_ISDIR(what.st_mode)});
        errno = 0;
    }
    int error = errno;
    closedir(listing);
    return error;
}
