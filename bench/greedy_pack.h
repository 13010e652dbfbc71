// The classic way such records were packed, as a baseline for the optimal packer: greedy matching
// in a window of 4 KiB, the longest match at each position taken at once.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> GreedyPack(const std::vector<uint8_t> &input);
