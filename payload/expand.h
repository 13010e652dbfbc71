// The decoder of payload streams (the format is described in format.h).
#pragma once

#include <cstdint>

constexpr int32_t ExpandBufferSize = 1400000;

// Every payload is expanded here, from its first byte. Zero when the program starts and never
// cleared: after a shorter expansion, the bytes past its end still hold the longer one's.
extern uint8_t ExpandBuffer[ExpandBufferSize];

enum ExpandFault : int32_t {
    ExpandClean,       // the stream kept every rule of the format
    ExpandCutToken,    // a back-reference's bytes run past the end of the input
    ExpandBadDistance, // a distance of 0, or one that reaches before the start of the output
    ExpandOverflow,    // the output would pass ExpandBufferSize bytes
};

// Expands the count bytes of stream at input into output, which has room for ExpandBufferSize
// bytes, and returns how many bytes it wrote from output's start: the expanded size. A count of 0
// or less returns 0 and leaves output untouched. Decoding ends where the input ends between two
// tokens, a last flag byte that no token follows included.
//
// The decoder never reads outside the input or the bytes it has already produced, and never writes
// past output + ExpandBufferSize. At a fault it stops before the faulty token, and the result
// counts the bytes written before it; up to 15 bytes past those may have been overwritten.
// After a valid stream every byte past the result is as it was.
int32_t ExpandPayload(uint8_t *output, const uint8_t *input, int32_t count, ExpandFault *fault);

// As above, for a caller that trusts the stream.
int32_t ExpandPayload(uint8_t *output, const uint8_t *input, int32_t count);
