// Arbitrary registry files through the user.reg reader: it must never read past the file or write
// past the 260 bytes of the value's buffer, and what it delivers must fit that buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "platform/posix/user_reg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *text = reinterpret_cast<const char *>(data);
    RegistryHasKey(text, size, "Software\\Brenmo\\Olvan");
    for (uint32_t room : {260u, 3u, 0u}) {
        const std::unique_ptr<uint8_t[]> buffer(new uint8_t[room + 1]);
        uint32_t type = 1, got = room;
        const int32_t result = QueryRegistryValue(text, size, "Software\\Brenmo\\Olvan", "DataDir",
                                                  &type, buffer.get(), &got);
        if (result == RegistryOk && got > room) std::abort();
        if (result != RegistryOk && result != RegistryNotFound && result != RegistryMoreData)
            std::abort();
    }
    return 0;
}
