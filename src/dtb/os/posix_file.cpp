// The file layer on POSIX systems: a file is a descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "../file_layer.h"

namespace {

int Fd(NativeHandle file) { return static_cast<int>(file); }

bool PosixRead(NativeHandle file, void* buffer, int32_t count, int32_t* got) {
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

bool PosixWrite(NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    *written = 0;
    while (*written < count) {
        ssize_t n = write(Fd(file), static_cast<const char*>(buffer) + *written, static_cast<size_t>(count - *written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        *written += static_cast<int32_t>(n);
    }
    return true;
}

bool PosixSeekStart(NativeHandle file) { return lseek(Fd(file), 0, SEEK_SET) == 0; }

bool PosixSetEnd(NativeHandle file) {
    off_t at = lseek(Fd(file), 0, SEEK_CUR);
    return at >= 0 && ftruncate(Fd(file), at) == 0;
}

int32_t PosixLastError() { return errno; }

const FileLayer kPosix = {PosixRead, PosixWrite, PosixSeekStart, PosixSetEnd, PosixLastError};

}  // namespace

const FileLayer* PlatformFileLayer() { return &kPosix; }

NativeHandle FileOpenRead(const char* path) {
    int fd = open(path, O_RDONLY);
    return fd < 0 ? kNoFile : fd;
}

NativeHandle FileCreateNew(const char* path) {
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL, 0666);
    return fd < 0 ? kNoFile : fd;
}

bool FileClose(NativeHandle file) { return close(Fd(file)) == 0; }

bool FileReplace(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool FileDelete(const char* path) { return unlink(path) == 0; }
