// For every position of the input, the longest earlier match within each distance that makes a
// back-reference cheaper: 31 (NearRef), 255 (ByteRef), 1,023 (MidRef) and 65,535 (the farthest).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum MatchWindow { Window31, Window255, Window1023, Window65535, WindowCount };

constexpr int32_t WindowReach[WindowCount] = {31, 255, 1023, 65535};

struct PositionMatches {
    // The longest length of a match at a distance of at most WindowReach[w], capped at 65,537 and
    // at the bytes left; 0 or 1 where there is none. A match of that length at distance[w] holds
    // every shorter length as well.
    int32_t length[WindowCount];
    int32_t distance[WindowCount];
};

// For each window, the best length never drops by more than one from a position to the next:
// the same distance still matches one byte less. The optimal parse relies on this.
std::vector<PositionMatches> FindMatches(const uint8_t *data, int32_t size);
