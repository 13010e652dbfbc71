// The token sequence with the smallest stream for an input, flag bytes included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/pack/match_finder.h"

struct Token {
    int32_t length;   // 1 for a literal
    int32_t distance; // 0 for a literal
};

struct Parse {
    std::vector<Token> tokens;
    int64_t streamSize; // token bytes and flag bytes, each token in its shortest form
};

Parse ParseOptimal(const std::vector<PositionMatches> &matches);
