// The file layer on POSIX systems: a file is a descriptor.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "../file_layer.h"
#include "temporary_name.h"

namespace {

int Fd(NativeHandle file) { return static_cast<int>(file); }

bool PosixRead(void*, NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    errno = 0;  // the end of the file is no failure, and reports code 0
    *got = 0;
    while (*got < count) {
        ssize_t n = read(Fd(file), static_cast<char*>(buffer) + *got, static_cast<size_t>(count - *got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += static_cast<int32_t>(n);
    }
    return true;
}

bool PosixWrite(void*, NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    *written = 0;
    while (*written < count) {
        ssize_t n = write(Fd(file), static_cast<const char*>(buffer) + *written, static_cast<size_t>(count - *written));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;  // no progress and no reason: the disk is full
        if (n <= 0) return false;
        *written += static_cast<int32_t>(n);
    }
    return true;
}

bool PosixSeekStart(void*, NativeHandle file) { return lseek(Fd(file), 0, SEEK_SET) == 0; }

bool PosixSetEnd(void*, NativeHandle file) {
    off_t at = lseek(Fd(file), 0, SEEK_CUR);
    return at >= 0 && ftruncate(Fd(file), at) == 0;
}

bool PosixReserve(void*, NativeHandle file, int64_t size) {
    int error = size > 0 ? posix_fallocate(Fd(file), 0, static_cast<off_t>(size)) : 0;
    if (error != 0) errno = error;
    return error == 0 && PosixSeekStart(nullptr, file);
}

int64_t PosixLength(void*, NativeHandle file) {
    struct stat info;
    return fstat(Fd(file), &info) == 0 && S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : -1;
}

bool PosixFlush(void*, NativeHandle file) { return fsync(Fd(file)) == 0; }

bool PosixClose(void*, NativeHandle file) { return close(Fd(file)) == 0; }

int32_t PosixLastError(void*) { return errno; }

char* Copy(const char* text, size_t length) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// folder (the first folderLength bytes of a path) joined with name.
char* Join(const char* folder, size_t folderLength, const char* name) {
    size_t nameLength = std::strlen(name);
    char* path = static_cast<char*>(std::malloc(folderLength + nameLength + 1));
    if (!path) return nullptr;
    std::memcpy(path, folder, folderLength);
    std::memcpy(path + folderLength, name, nameLength + 1);
    return path;
}

SaveTargetKind PosixInspectSaveTarget(void*, const char* path, char** target) {
    *target = Copy(path, std::strlen(path));
    for (int hops = 0; *target; ++hops) {
        struct stat info;
        if (lstat(*target, &info) != 0) return errno == ENOENT ? TargetMissing : TargetUnreachable;
        if (S_ISREG(info.st_mode)) {
            // Read-only is what the user set, not what root may override.
            if (access(*target, W_OK) != 0) return TargetReadOnly;
            if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
                errno = EACCES;
                return TargetReadOnly;
            }
            return TargetFile;
        }
        if (!S_ISLNK(info.st_mode)) return TargetNotFile;
        if (hops == 40) {
            errno = ELOOP;
            return TargetUnreachable;
        }
        char link[4096];
        ssize_t n = readlink(*target, link, sizeof link - 1);
        if (n < 0) return TargetUnreachable;
        link[n] = '\0';
        // A relative link is relative to the folder that holds it.
        char* next = link[0] == '/' ? Copy(link, static_cast<size_t>(n)) : Join(*target, FolderLength(*target), link);
        std::free(*target);
        *target = next;
    }
    errno = ENOMEM;
    return TargetUnreachable;
}

NativeHandle PosixCreateTemporary(void*, const char* target, char** temporary) {
    char prefix[kTemporaryPrefixSize];
    TemporaryPrefix(target, false, prefix);
    size_t folder = FolderLength(target);
    struct stat existing;
    bool exists = stat(target, &existing) == 0;
    unsigned unique = static_cast<unsigned>(getpid()) * 2654435761u ^ static_cast<unsigned>(std::time(nullptr));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[kTemporaryPrefixSize + 16];
        std::snprintf(name, sizeof name, "%s%04x%s", prefix, (unique + static_cast<unsigned>(attempt)) & 0xFFFFu,
                      kTemporarySuffix);
        *temporary = Join(target, folder, name);
        if (!*temporary) {
            errno = ENOMEM;
            return kNoFile;
        }
        int fd = open(*temporary, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (exists) {
                // The file keeps its owner where that is allowed, and always its mode.
                if (fchown(fd, existing.st_uid, existing.st_gid) != 0) { /* not ours to change: keep ours */
                }
                fchmod(fd, existing.st_mode & 07777);
            }
            flock(fd, LOCK_EX);  // held until closed: stale-temporary removal passes it by
            return fd;
        }
        int error = errno;
        std::free(*temporary);
        *temporary = nullptr;
        if (error != EEXIST) {
            errno = error;
            return kNoFile;
        }
    }
    errno = EEXIST;
    return kNoFile;
}

// Makes a rename that already happened survive a crash, as far as the file
// system allows; a folder that cannot be synced costs nothing more.
void SyncFolder(const char* path) {
    size_t folder = FolderLength(path);
    char* name = folder ? Copy(path, folder) : Copy(".", 1);
    int fd = name ? open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    std::free(name);
}

ReplaceOutcome PosixReplaceWith(void*, const char* temporary, const char* target) {
    if (std::rename(temporary, target) == 0) {
        SyncFolder(target);
        return Replaced;
    }
    return errno == EBUSY || errno == ETXTBSY ? ReplaceInUse : ReplaceFailed;
}

NativeHandle PosixOpenForRewrite(void*, const char* target) {
    int fd = open(target, O_RDWR | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
}

bool PosixDelete(void*, const char* path) { return unlink(path) == 0; }

void PosixRemoveStaleTemporaries(void*, const char* target) {
    char prefix[kTemporaryPrefixSize];
    TemporaryPrefix(target, false, prefix);
    size_t folder = FolderLength(target);
    char* folderName = folder ? Copy(target, folder) : Copy(".", 1);
    DIR* listing = folderName ? opendir(folderName) : nullptr;
    std::free(folderName);
    if (!listing) return;
    const size_t prefixLength = std::strlen(prefix);
    const size_t suffixLength = std::strlen(kTemporarySuffix);
    while (const dirent* entry = readdir(listing)) {
        size_t length = std::strlen(entry->d_name);
        if (length < prefixLength + suffixLength || std::strncmp(entry->d_name, prefix, prefixLength) != 0 ||
            std::strcmp(entry->d_name + length - suffixLength, kTemporarySuffix) != 0)
            continue;
        char* path = Join(target, folder, entry->d_name);
        int fd = path ? open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
        struct stat info;
        // A save in progress holds its lock; only a file nobody holds is stale.
        if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlink(path);
        if (fd >= 0) close(fd);
        std::free(path);
    }
    closedir(listing);
}

const FileLayer kPosix = {PosixRead,
                          PosixWrite,
                          PosixSeekStart,
                          PosixSetEnd,
                          PosixReserve,
                          PosixFlush,
                          PosixClose,
                          PosixLastError,
                          PosixLength,
                          PosixInspectSaveTarget,
                          PosixCreateTemporary,
                          PosixReplaceWith,
                          PosixOpenForRewrite,
                          PosixDelete,
                          PosixRemoveStaleTemporaries,
                          nullptr};

}  // namespace

const FileLayer* PlatformFileLayer() { return &kPosix; }

NativeHandle FileOpenRead(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
}

NativeHandle FileCreateNew(const char* path) {
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd < 0 ? kNoFile : fd;
}
