// The smallest stream for a short input, found by trying every token at every position: every
// literal and every (length, distance) pair that matches, each in its shortest form, with the flag
// byte that every eighth token brings. The tests' oracle for the packer's optimality.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

inline int64_t ExhaustiveSmallestStream(const std::vector<uint8_t> &data) {
    auto pairBytes = [](size_t length, size_t distance) -> int64_t {
        if (length <= 3) return distance <= 31 ? 1 : distance <= 255 ? 2 : 5;
        if (length <= 19 && distance <= 1023) return 2;
        return length <= 130 ? 3 : 5;
    };
    // best[position][phase]: the fewest bytes for the input from position on, when the tokens
    // before it number phase modulo 8.
    const size_t n = data.size();
    std::vector<std::array<int64_t, 8>> best(n + 1);
    best[n].fill(0);
    for (size_t position = n; position-- > 0;) {
        std::array<int64_t, 8> &here = best[position];
        auto consider = [&](size_t length, int64_t bytes) {
            for (int phase = 0; phase < 8; phase++) {
                const int64_t cost =
                    (phase == 0 ? 1 : 0) + bytes + best[position + length][(phase + 1) % 8];
                here[size_t(phase)] = std::min(here[size_t(phase)], cost);
            }
        };
        here.fill(INT64_MAX);
        consider(1, 1);
        for (size_t distance = 1; distance <= std::min<size_t>(position, 65535); distance++) {
            for (size_t length = 1; position + length <= n && length <= 65537; length++) {
                if (data[position + length - 1] != data[position + length - 1 - distance]) break;
                if (length >= 2) consider(length, pairBytes(length, distance));
            }
        }
    }
    return best[0][0];
}
