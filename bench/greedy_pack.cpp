#include "bench/greedy_pack.h"

#include "payload/format.h"
#include "tools/pack/encode.h"

namespace {

constexpr int32_t Window = 4096;
constexpr int32_t ChainLimit = 256; // positions tried per hash chain, as such packers did

} // namespace

std::vector<uint8_t> GreedyPack(const std::vector<uint8_t> &input) {
    const int32_t size = int32_t(input.size());
    std::vector<int32_t> head(1 << 16, -1), previous(size_t(size), -1);
    auto hash = [&](int32_t i) {
        return (input[size_t(i)] << 8 ^ input[size_t(i) + 1] * 31 ^ input[size_t(i) + 2] * 7) &
               0xFFFF;
    };
    auto insert = [&](int32_t i) {
        if (i + 2 >= size) return;
        const int h = hash(i);
        previous[size_t(i)] = head[size_t(h)];
        head[size_t(h)] = i;
    };
    std::vector<Token> tokens;
    for (int32_t i = 0; i < size;) {
        int32_t bestLength = 1, bestDistance = 0;
        if (i + 2 < size) {
            int chain = 0;
            for (int32_t j = head[size_t(hash(i))]; j >= 0 && i - j <= Window && chain < ChainLimit;
                 j = previous[size_t(j)], chain++) {
                int32_t n = 0;
                while (i + n < size && n < LongRefMaxLength &&
                       input[size_t(j + n)] == input[size_t(i + n)])
                    n++;
                if (n > bestLength) bestLength = n, bestDistance = i - j;
            }
        }
        // Two bytes are worth a NearRef or a ByteRef close by; further back they cost more than
        // literals.
        if (bestLength < 2 || (bestLength < 4 && bestDistance > ByteRefMaxDistance))
            bestLength = 1, bestDistance = 0;
        if (bestLength == 1 && i >= 1 && i + 1 < size) {
            for (int32_t d = 1; d <= 255 && d <= i; d++) {
                if (input[size_t(i - d)] == input[size_t(i)] &&
                    input[size_t(i - d + 1)] == input[size_t(i + 1)]) {
                    bestLength = 2, bestDistance = d;
                    break;
                }
            }
        }
        tokens.push_back({bestLength, bestDistance});
        for (int32_t k = 0; k < bestLength; k++) insert(i + k);
        i += bestLength;
    }
    return EncodeTokens(input.data(), tokens);
}
