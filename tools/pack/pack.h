// Packs one payload file into a record, with the smallest stream the format allows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Fills record with the header and the stream, having expanded the stream again with the
// patcher's own decoder and compared it with the input. Fails, with the reason in error, for an
// input longer than the decoder's buffer, or if the check finds a fault.
bool PackPayload(const std::vector<uint8_t> &input, int32_t timeStamp, std::vector<uint8_t> *record,
                 std::string *error);
