#include <windows.h>

#include "platform/platform.h"

static_assert(RegSz == REG_SZ, "the seam's values are Windows' own");

namespace {

// The key path is opened from a buffer of its own.
char KeyPath[260];

HKEY Handle(RegistryKey *key) {
    return reinterpret_cast<HKEY>(key);
}

} // namespace

int32_t PlatformOpenUserKey(const char *path, RegistryKey **key) {
    lstrcpyA(KeyPath, path);
    HKEY handle = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_READ, &handle);
    *key = reinterpret_cast<RegistryKey *>(handle);
    return result;
}

int32_t PlatformQueryValue(RegistryKey *key, const char *name, uint32_t *type, uint8_t *data,
                           uint32_t *size) {
    DWORD valueType = *type, valueSize = *size;
    const LONG result = RegQueryValueExA(Handle(key), name, nullptr, &valueType, data, &valueSize);
    *type = valueType;
    *size = valueSize;
    return result;
}

void PlatformCloseKey(RegistryKey *key) {
    RegCloseKey(Handle(key));
}
