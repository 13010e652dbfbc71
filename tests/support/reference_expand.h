// A decoder written straight from the format's steps, one byte at a time, as the tests' oracle:
// the 16-bit flag word, the remaining count, and a stop at the first token that breaks a rule.
#pragma once

#include <cstdint>
#include <vector>

#include "payload/expand.h"

struct ReferenceExpansion {
    std::vector<uint8_t> output;
    ExpandFault fault = ExpandClean;
};

inline ReferenceExpansion ReferenceExpand(const std::vector<uint8_t> &input) {
    ReferenceExpansion result;
    std::vector<uint8_t> &out = result.output;
    int64_t remaining = int64_t(input.size());
    size_t at = 0;
    uint32_t flagWord = 0;
    auto take = [&] {
        remaining--;
        return input[at++];
    };
    while (remaining > 0) {
        flagWord >>= 1;
        if (!(flagWord & 0x100)) flagWord = 0xFF00 | take();
        if (remaining == 0) break;
        if (flagWord & 1) {
            if (out.size() == size_t(ExpandBufferSize)) {
                result.fault = ExpandOverflow;
                break;
            }
            out.push_back(take());
            continue;
        }
        const uint8_t b = input[at];
        const int64_t size = b >= 0xC0 ? 2 : b >= 0x80 ? ((b & 0x1F) ? 1 : 2) : b == 0x7F ? 5 : 3;
        if (size > remaining) {
            result.fault = ExpandCutToken;
            break;
        }
        take();
        uint32_t length, distance;
        if (b >= 0xC0) {
            length = ((b >> 2) & 15) + 4;
            distance = (b & 3) << 8 | take();
        } else if (b >= 0x80) {
            length = ((b >> 5) & 1) + 2;
            distance = (b & 0x1F) ? (b & 0x1F) : take();
        } else if (b == 0x7F) {
            length = take();
            length = (length | take() << 8) + 2;
            distance = take();
            distance |= take() << 8;
        } else {
            length = b + 4u;
            distance = take();
            distance |= take() << 8;
        }
        if (distance == 0 || distance > out.size()) {
            result.fault = ExpandBadDistance;
            break;
        }
        if (out.size() + length > size_t(ExpandBufferSize)) {
            result.fault = ExpandOverflow;
            break;
        }
        for (uint32_t i = 0; i < length; i++) out.push_back(out[out.size() - distance]);
    }
    return result;
}
