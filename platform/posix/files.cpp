// Files of the prefix, through the paths that Wine would use for them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/platform.h"
#include "platform/posix/wine_paths.h"
#include "platform/posix/wine_prefix.h"

namespace {

constexpr uint32_t AttributeReadOnly = 0x01;
constexpr uint32_t AttributeDirectory = 0x10;
constexpr uint32_t AttributeArchive = 0x20;

// A path that cannot be mapped counts as missing.
bool Map(const char *path, char (&unixPath)[PATH_MAX]) {
    const char *prefix = WinePrefix();
    return prefix && WinePathToUnix(prefix, path, unixPath, sizeof unixPath);
}

// Wine shows a file without any write bit as read-only.
bool ReadOnly(const struct stat &st) {
    return (st.st_mode & 0222) == 0;
}

} // namespace

uint32_t PlatformPathAttributes(const char *path) {
    char unixPath[PATH_MAX];
    struct stat st;
    if (!Map(path, unixPath) || stat(unixPath, &st) != 0) return InvalidFileAttributes;
    return (S_ISDIR(st.st_mode) ? AttributeDirectory : AttributeArchive) |
           (ReadOnly(st) ? AttributeReadOnly : 0);
}

int32_t PlatformOpenForWriting(const char *path) {
    char unixPath[PATH_MAX];
    if (!Map(path, unixPath)) return -1;
    // Opened without truncating first, so that a file that turns out read-only or not a plain
    // file is left as it was; root could write to it, but Windows refuses a read-only file to
    // everyone. O_NONBLOCK keeps a FIFO from holding the open; a plain file ignores it.
    const int fd = open(unixPath, O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ReadOnly(st) || ftruncate(fd, 0) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int32_t PlatformWrite(int32_t file, const void *data, uint32_t size) {
    if (size == 0) return 0;
    const ssize_t written = write(file, data, size);
    return written < 0 ? -1 : int32_t(written);
}

void PlatformClose(int32_t file) {
    close(file);
}

int32_t PlatformSetFileTimes(const char *path, const FileTimes *times) {
    char unixPath[PATH_MAX];
    if (times->accessTime < 0 || times->modificationTime < 0 || !Map(path, unixPath)) return -1;
    const struct timespec instants[2] = {{times->accessTime, 0}, {times->modificationTime, 0}};
    return utimensat(AT_FDCWD, unixPath, instants, 0) == 0 ? 0 : -1;
}

int32_t PlatformMakeFolder(const char *path) {
    char unixPath[PATH_MAX];
    return Map(path, unixPath) && mkdir(unixPath, 0777) == 0 ? 0 : -1;
}
