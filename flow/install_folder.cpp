#include <cstring>

#include "flow/update.h"

char DataDir[PathBufferSize];

namespace {

constexpr char GameKeyPath[] = "Software\\Brenmo\\Olvan";

} // namespace

void ReadDataDir() {
    RegistryKey *key = nullptr;
    if (PlatformOpenUserKey(GameKeyPath, &key) != 0) {
        DataDir[0] = 0;
        return;
    }
    // The type is not looked at: the bytes of any value, up to their first zero, name the
    // folder. DataDir starts zero-filled and is read into only this once, so a shorter value
    // without a zero still ends in one.
    uint32_t type = RegSz;
    uint32_t size = PathBufferSize;
    if (PlatformQueryValue(key, "DataDir", &type, reinterpret_cast<uint8_t *>(DataDir), &size) != 0)
        DataDir[0] = 0;
    // A value of 260 bytes without a zero leaves no terminator: it can name no folder.
    else if (!std::memchr(DataDir, 0, PathBufferSize))
        DataDir[0] = 0;
    PlatformCloseKey(key);
}
