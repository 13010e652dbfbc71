#include <windows.h>

#include "platform/platform.h"

// The records are resources of type "BIN" of the program's own image. FindResourceA compares
// string names without regard to case; its result goes to LoadResource untested, which gives
// null for a null search result.
const uint8_t *PlatformFindPayload(const char *name, uint32_t *storedSize) {
    HRSRC found = FindResourceA(nullptr, name, "BIN");
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return nullptr;
    // The stored size bounds the record, so that nothing past it is read.
    *storedSize = SizeofResource(nullptr, found);
    return static_cast<const uint8_t *>(static_cast<const void *>(loaded));
}
