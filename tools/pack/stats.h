// The figures of a stored stream: how many tokens of each form, and what they carry.
#pragma once

#include <cstdint>
#include <string>

#include "payload/format.h"

struct FormFigures {
    int64_t count = 0;
    int32_t minLength = 0, maxLength = 0;
    int32_t minDistance = 0, maxDistance = 0;
};

struct StreamFigures {
    int64_t flagBytes = 0;
    int64_t tokens = 0;
    int64_t literals = 0;
    FormFigures forms[5]; // by RefForm
    int32_t lastGroupTokens = 0;
    int64_t expandedSize = 0;
};

// Walks a stream that the decoder has accepted; it stops at a token cut short all the same.
StreamFigures CountTokens(const uint8_t *stream, int32_t count);

// One line a figure, in the order of the forms' table: flag bytes, tokens, literals, NearRef,
// ByteRef, MidRef, FarRef, LongRef, tokens in the last group, expanded size.
std::string FormatFigures(const StreamFigures &figures);
