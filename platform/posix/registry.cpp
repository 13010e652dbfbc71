// The current user's hive of the prefix: its user.reg, mapped read-only. The registry is never
// written.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix/user_reg.h"
#include "platform/posix/wine_prefix.h"

struct RegistryKey {
    const char *text;
    size_t size;
    char path[260];
};

namespace {

// The update opens one key at a time.
RegistryKey TheKey;
bool KeyInUse = false;

} // namespace

int32_t PlatformOpenUserKey(const char *path, RegistryKey **key) {
    *key = nullptr;
    const char *prefix = WinePrefix();
    char file[PATH_MAX];
    if (KeyInUse || !prefix || std::strlen(path) >= sizeof TheKey.path ||
        std::snprintf(file, sizeof file, "%s/user.reg", prefix) >= int(sizeof file))
        return RegistryNotFound;
    const int fd = open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return RegistryNotFound;
    struct stat st;
    void *text = nullptr;
    const bool mapped = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                        (st.st_size == 0 || (text = mmap(nullptr, size_t(st.st_size), PROT_READ,
                                                         MAP_PRIVATE, fd, 0)) != MAP_FAILED);
    close(fd);
    if (!mapped) return RegistryNotFound;
    const size_t size = size_t(st.st_size);
    if (!RegistryHasKey(static_cast<const char *>(text), size, path)) {
        if (size) munmap(text, size);
        return RegistryNotFound;
    }
    TheKey.text = static_cast<const char *>(text);
    TheKey.size = size;
    std::strcpy(TheKey.path, path);
    KeyInUse = true;
    *key = &TheKey;
    return RegistryOk;
}

int32_t PlatformQueryValue(RegistryKey *key, const char *name, uint32_t *type, uint8_t *data,
                           uint32_t *size) {
    return QueryRegistryValue(key->text, key->size, key->path, name, type, data, size);
}

void PlatformCloseKey(RegistryKey *key) {
    if (key->size) munmap(const_cast<char *>(key->text), key->size);
    KeyInUse = false;
}
