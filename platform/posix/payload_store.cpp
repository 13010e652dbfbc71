// The payload records, embedded in the program's image by the build.
#include "platform/platform.h"
#include "platform/posix/ascii_case.h"

struct StoredPayload {
    const char *name;
    const uint8_t *begin;
    const uint8_t *end;
};

// Made by the build, from the records it packs.
extern "C" const StoredPayload PayloadStoreEntries[];
extern "C" const uint32_t PayloadStoreCount;

const uint8_t *PlatformFindPayload(const char *name, uint32_t *storedSize) {
    for (uint32_t i = 0; i < PayloadStoreCount; i++) {
        const StoredPayload &payload = PayloadStoreEntries[i];
        if (SameIgnoringAsciiCase(payload.name, name)) {
            *storedSize = uint32_t(payload.end - payload.begin);
            return payload.begin;
        }
    }
    return nullptr;
}
