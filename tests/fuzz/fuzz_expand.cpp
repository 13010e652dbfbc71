// Arbitrary records through the checked decoder: it must never read past the record or write past
// ExpandBuffer (the sanitizers watch), it must agree with the byte-at-a-time decoder, and what it
// accepts must pass the packer's own round trip.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/expand.h"
#include "payload/record.h"
#include "tests/support/reference_expand.h"
#include "tools/pack/pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    PayloadRecord record;
    if (size > UINT32_MAX || !ReadPayloadRecord(data, uint32_t(size), &record)) return 0;
    const int32_t count = int32_t(record.compressedLength);
    ExpandFault fault;
    const int32_t written = ExpandPayload(ExpandBuffer, record.compressedBytes, count, &fault);

    const ReferenceExpansion expected = ReferenceExpand(
        std::vector<uint8_t>(record.compressedBytes, record.compressedBytes + std::max(count, 0)));
    if (fault != expected.fault || size_t(written) != expected.output.size() ||
        (written > 0 && std::memcmp(ExpandBuffer, expected.output.data(), size_t(written)) != 0))
        std::abort();

    // The packer's check expands its own stream again and compares; a large output would make
    // each run slow, so only the smaller ones go through it.
    if (fault == ExpandClean && written <= 1 << 14) {
        std::vector<uint8_t> packed;
        std::string error;
        if (!PackPayload(expected.output, record.timeStamp, &packed, &error)) std::abort();
    }
    return 0;
}
