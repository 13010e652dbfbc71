#include "tools/pack/match_finder.h"

#include <algorithm>
#include <cstring>
#include <divsufsort.h>

#include "payload/format.h"

// The longest match of a position within a window is its longest common prefix with one of the
// window's suffixes, and among a set of suffixes in sorted order it is reached at the nearest one
// below or above the position's own suffix. So the finder sorts all suffixes once, keeps for each
// window the set of sorted ranks of the positions inside it, and asks each set for the two ranks
// next to the position's.

namespace {

// A set of ranks with predecessor and successor queries: a tree of 64-bit words in which each bit
// of an upper word tells whether the word below it holds any bit.
class RankSet {
  public:
    explicit RankSet(int32_t size) {
        uint64_t bitsAtLevel = uint64_t(size);
        do {
            const uint64_t words = (bitsAtLevel + 63) / 64;
            levels_.emplace_back(words, 0);
            bitsAtLevel = words;
        } while (bitsAtLevel > 1);
    }

    void Insert(uint32_t rank) {
        uint64_t bit = rank;
        for (auto &words : levels_) {
            words[bit >> 6] |= uint64_t(1) << (bit & 63);
            bit >>= 6;
        }
    }

    void Erase(uint32_t rank) {
        uint64_t bit = rank;
        for (auto &words : levels_) {
            uint64_t &word = words[bit >> 6];
            word &= ~(uint64_t(1) << (bit & 63));
            if (word) return;
            bit >>= 6;
        }
    }

    // The largest rank in the set below rank, or -1.
    int64_t Predecessor(uint32_t rank) const {
        uint64_t bit = rank;
        for (size_t level = 0; level < levels_.size(); level++) {
            const uint64_t below = levels_[level][bit >> 6] & ((uint64_t(1) << (bit & 63)) - 1);
            if (below) {
                bit = (bit & ~uint64_t(63)) | uint64_t(63 - __builtin_clzll(below));
                while (level-- > 0)
                    bit = bit << 6 | uint64_t(63 - __builtin_clzll(levels_[level][bit]));
                return int64_t(bit);
            }
            bit >>= 6;
        }
        return -1;
    }

    // The smallest rank in the set above rank, or -1.
    int64_t Successor(uint32_t rank) const {
        uint64_t bit = rank;
        for (size_t level = 0; level < levels_.size(); level++) {
            const uint64_t above = levels_[level][bit >> 6] & ~((uint64_t(2) << (bit & 63)) - 1);
            if (above) {
                bit = (bit & ~uint64_t(63)) | uint64_t(__builtin_ctzll(above));
                while (level-- > 0) bit = bit << 6 | uint64_t(__builtin_ctzll(levels_[level][bit]));
                return int64_t(bit);
            }
            bit >>= 6;
        }
        return -1;
    }

  private:
    std::vector<std::vector<uint64_t>> levels_;
};

// Minimum of a range of the common-prefix array, in constant time.
class RangeMinimum {
  public:
    explicit RangeMinimum(const std::vector<int32_t> &values) {
        table_.push_back(values);
        for (size_t span = 1; 2 * span <= values.size(); span *= 2) {
            const std::vector<int32_t> &below = table_.back();
            std::vector<int32_t> level(values.size() - 2 * span + 1);
            for (size_t i = 0; i < level.size(); i++)
                level[i] = std::min(below[i], below[i + span]);
            table_.push_back(std::move(level));
        }
    }

    // The minimum of values[first..last], first <= last.
    int32_t Of(int32_t first, int32_t last) const {
        const int level = 31 - __builtin_clz(uint32_t(last - first + 1));
        const std::vector<int32_t> &row = table_[size_t(level)];
        return std::min(row[size_t(first)], row[size_t(last - (1 << level) + 1)]);
    }

  private:
    std::vector<std::vector<int32_t>> table_;
};

int32_t CommonPrefix(const uint8_t *a, const uint8_t *b, int32_t limit) {
    int32_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) {
            while (a[n] == b[n]) n++;
            return n;
        }
    }
    while (n < limit && a[n] == b[n]) n++;
    return n;
}

// Above this many equal bytes, the finder stops comparing and asks the common-prefix array.
constexpr int32_t DirectCompareLimit = 32;

} // namespace

std::vector<PositionMatches> FindMatches(const uint8_t *data, int32_t size) {
    std::vector<PositionMatches> matches(size_t(size), PositionMatches{});
    if (size < 2) return matches;

    std::vector<int32_t> suffixes(static_cast<size_t>(size));
    divsufsort(data, suffixes.data(), size);
    std::vector<int32_t> rankOf(static_cast<size_t>(size));
    for (int32_t r = 0; r < size; r++) rankOf[size_t(suffixes[size_t(r)])] = r;

    // commonWithPrevious[r]: the common prefix of the suffixes of ranks r - 1 and r (Kasai).
    std::vector<int32_t> commonWithPrevious(size_t(size), 0);
    for (int32_t i = 0, h = 0; i < size; i++) {
        const int32_t r = rankOf[size_t(i)];
        if (r == 0) {
            h = 0;
            continue;
        }
        const int32_t j = suffixes[size_t(r - 1)];
        while (i + h < size && j + h < size && data[i + h] == data[j + h]) h++;
        commonWithPrevious[size_t(r)] = h;
        if (h > 0) h--;
    }
    const RangeMinimum common(commonWithPrevious);

    std::vector<RankSet> windows(WindowCount, RankSet(size));
    for (int32_t i = 0; i < size; i++) {
        const int32_t rank = rankOf[size_t(i)];
        const int32_t limit = std::min(size - i, LongRefMaxLength);
        auto matchWith = [&](int64_t otherRank) {
            const int32_t other = int32_t(otherRank);
            const int32_t direct = CommonPrefix(data + i, data + suffixes[size_t(other)],
                                                std::min(limit, DirectCompareLimit));
            if (direct < DirectCompareLimit || direct == limit) return direct;
            return std::min(limit, common.Of(std::min(rank, other) + 1, std::max(rank, other)));
        };
        for (int w = 0; w < WindowCount; w++) {
            RankSet &window = windows[size_t(w)];
            const int32_t leaving = i - WindowReach[w] - 1;
            if (leaving >= 0) window.Erase(uint32_t(rankOf[size_t(leaving)]));
            int32_t bestLength = 0, bestDistance = 0;
            for (int64_t other :
                 {window.Predecessor(uint32_t(rank)), window.Successor(uint32_t(rank))}) {
                if (other < 0) continue;
                const int32_t length = matchWith(other);
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = i - suffixes[size_t(other)];
                }
            }
            matches[size_t(i)].length[w] = bestLength;
            matches[size_t(i)].distance[w] = bestDistance;
            window.Insert(uint32_t(rank));
        }
    }
    return matches;
}
