#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "platform/platform.h"

static_assert(InvalidFileAttributes == INVALID_FILE_ATTRIBUTES,
              "the seam's values are Windows' own");
static_assert((_O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY) == 0x8301 &&
                  (_S_IREAD | _S_IWRITE) == 0x180 && (_O_RDWR | _O_BINARY) == 0x8002,
              "the runtime's flags");

uint32_t PlatformPathAttributes(const char *path) {
    return GetFileAttributesA(path);
}

int32_t PlatformOpenForWriting(const char *path) {
    // CreateFileA with GENERIC_WRITE, read and write sharing, CREATE_ALWAYS and
    // FILE_ATTRIBUTE_NORMAL: a read-only, hidden or system file refuses it.
    return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

int32_t PlatformWrite(int32_t file, const void *data, uint32_t size) {
    return _write(file, data, size);
}

void PlatformClose(int32_t file) {
    _close(file);
}

namespace {

// 100-nanosecond steps since 1601-01-01 00:00:00 UTC.
FILETIME ToFileTime(int32_t seconds) {
    const ULONGLONG steps = (ULONGLONG(seconds) + 11644473600ull) * 10000000ull;
    FILETIME time;
    time.dwLowDateTime = DWORD(steps);
    time.dwHighDateTime = DWORD(steps >> 32);
    return time;
}

} // namespace

int32_t PlatformSetFileTimes(const char *path, const FileTimes *times) {
    // As _utime does: open the file again for reading and writing, set the last-access and
    // last-write times and leave the creation time, close it; a negative time sets nothing. The
    // instant goes to SetFileTime as it is: no trip through local time, which would shift it by
    // an hour where the stamp and the run lie on two sides of a daylight-saving change.
    if (times->accessTime < 0 || times->modificationTime < 0) return -1;
    const int file = _open(path, _O_RDWR | _O_BINARY);
    if (file == -1) return -1;
    const FILETIME access = ToFileTime(times->accessTime);
    const FILETIME write = ToFileTime(times->modificationTime);
    const BOOL set =
        SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(file)), nullptr, &access, &write);
    _close(file);
    return set ? 0 : -1;
}

int32_t PlatformMakeFolder(const char *path) {
    return _mkdir(path);
}
