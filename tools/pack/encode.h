// Writes a token sequence as a payload stream.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pack/optimal_parse.h"

// Each back-reference goes in the form with the fewest bytes for its pair, and the flag bits
// after the last token are 0.
std::vector<uint8_t> EncodeTokens(const uint8_t *data, const std::vector<Token> &tokens);
