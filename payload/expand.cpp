#include "payload/expand.h"

#include <cstring>

#include "payload/format.h"

uint8_t ExpandBuffer[ExpandBufferSize];

namespace {

// How a back-reference's length and distance are read from its first eight bytes, taken as one
// little-endian word w:
//   length   = ((w >> lengthShift) & lengthMask) + lengthBase
//   distance = ((w >> distanceShift) & distanceMask) | (w & highDistanceMask) << 8
// One table entry per first byte turns the five forms into one branch-free decode.
struct RefLayout {
    uint8_t size;
    uint8_t lengthShift;
    uint16_t lengthMask;
    uint8_t lengthBase;
    uint8_t distanceShift;
    uint16_t distanceMask;
    uint8_t highDistanceMask;
};

constexpr RefLayout LayoutOf(RefForm form) {
    switch (form) {
    case MidRef:
        return {2, 2, 0x0F, MidRefMinLength, 8, 0xFF, 0x03};
    case NearRef:
        return {1, 5, 0x01, ShortRefMinLength, 0, 0x1F, 0};
    case ByteRef:
        return {2, 5, 0x01, ShortRefMinLength, 8, 0xFF, 0};
    case LongRef:
        return {5, 8, 0xFFFF, LongRefMinLength, 24, 0xFFFF, 0};
    case FarRef:
        break;
    }
    return {3, 0, 0xFF, FarRefMinLength, 8, 0xFFFF, 0};
}

struct RefTable {
    RefLayout byFirstByte[256];
};

constexpr RefTable MakeRefTable() {
    RefTable table{};
    for (int first = 0; first < 256; first++)
        table.byFirstByte[first] = LayoutOf(ClassifyRef(uint8_t(first)));
    return table;
}

constexpr RefTable Refs = MakeRefTable();

struct Ref {
    uint32_t size;
    uint32_t length;
    uint32_t distance;
};

inline Ref DecodeRef(uint64_t w) {
    const RefLayout &layout = Refs.byFirstByte[w & 0xFF];
    return {layout.size,
            uint32_t((w >> layout.lengthShift) & layout.lengthMask) + layout.lengthBase,
            uint32_t((w >> layout.distanceShift) & layout.distanceMask) |
                uint32_t(w & layout.highDistanceMask) << 8};
}

inline uint64_t LoadLe64(const uint8_t *p) {
    uint64_t value;
    std::memcpy(&value, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    value = __builtin_bswap64(value);
#endif
    return value;
}

// Loads and stores go through a register, so a source that runs into the destination is read
// whole before anything is written.
inline void Copy8(uint8_t *to, const uint8_t *from) {
    uint64_t v;
    std::memcpy(&v, from, 8);
    std::memcpy(to, &v, 8);
}

inline void Copy16(uint8_t *to, const uint8_t *from) {
    uint8_t v[16];
    std::memcpy(v, from, 16);
    std::memcpy(to, v, 16);
}

// Copies a back-reference in wide steps. It may write up to 15 bytes past out + length: the
// caller leaves room for them, and the tokens that follow write over them. Every step reads only
// bytes that are already final, so a reference that overlaps its own output repeats its last
// distance bytes exactly as a copy of one byte at a time does.
inline void CopyRefWide(uint8_t *out, uint32_t distance, uint32_t length) {
    const uint8_t *from = out - distance;
    if (length <= 16 && length <= distance) {
        Copy16(out, from);
        return;
    }
    if (distance >= 16) {
        for (uint32_t i = 0; i < length; i += 16) Copy16(out + i, from + i);
        return;
    }
    if (distance == 1) {
        std::memset(out, *from, length);
        return;
    }
    // A short period repeats with any multiple of itself too: write the first multiple of at
    // least eight bytes one at a time, then go on eight bytes a step.
    uint32_t step = distance;
    uint32_t i = 0;
    if (distance < 8) {
        step = distance * ((7 + distance) / distance);
        for (; i < step && i < length; i++) out[i] = from[i];
    }
    for (; i < length; i += 8) Copy8(out + i, out + i - step);
}

// Whole groups go the wide way while this much input is left: a group takes at most 41 bytes, a
// wide load reads 8 bytes past a token, and the rest is the part of a valid stream that must follow
// the group. At 5 bytes for the shortest output of a token (a LongRef of length 2) and a flag byte
// per eight tokens, 56 bytes expand to more than the 15 bytes that a wide copy may write past its
// end, so the tokens that follow write over them.
constexpr int32_t WideInputMargin = 41 + 8 + 56;
// Room for a wide literal copy, and for what a wide reference copy writes past its end.
constexpr int32_t WideOutputMargin = 16;

} // namespace

int32_t ExpandPayload(uint8_t *output, const uint8_t *input, int32_t count, ExpandFault *fault) {
    *fault = ExpandClean;
    if (count <= 0) return 0;

    const uint8_t *in = input;
    const uint8_t *const inEnd = input + count;
    uint8_t *out = output;
    uint8_t *const outEnd = output + ExpandBufferSize;
    uint32_t flags = 0; // the group's flag bits not used yet, the next token's in bit 0
    int32_t tokens = 0; // tokens left in the group

    // The wide way: no test of the input's end inside a group, literal runs in one eight-byte
    // copy, references in wide steps. A token that needs any care (a bad distance, or a copy that
    // reaches near the output's end) is left, undecoded, to the careful way below.
    while (tokens == 0 && inEnd - in >= WideInputMargin && outEnd - out >= WideOutputMargin) {
        flags = *in++;
        tokens = GroupTokens;
        for (;;) {
            // The literals up to the next reference or the group's end, maybe none: the bits
            // above the group's last token are 0, so the run stops there.
            const int32_t run = __builtin_ctz(~flags);
            Copy8(out, in);
            out += run;
            in += run;
            flags >>= run;
            tokens -= run;
            if (tokens == 0) break;
            const Ref ref = DecodeRef(LoadLe64(in));
            if (ref.distance - 1 >= uint32_t(out - output) ||
                int32_t(ref.length) > int32_t(outEnd - out) - WideOutputMargin)
                break;
            CopyRefWide(out, ref.distance, ref.length);
            in += ref.size;
            out += ref.length;
            flags >>= 1;
            if (--tokens == 0) break;
        }
    }

    // The careful way, a token at a time, every rule tested.
    for (;;) {
        if (tokens == 0) {
            if (in == inEnd) break;
            flags = *in++;
            tokens = GroupTokens;
            if (in == inEnd) break; // a last flag byte that no token follows
        }
        if (flags & 1) {
            if (out == outEnd) {
                *fault = ExpandOverflow;
                break;
            }
            *out++ = *in++;
        } else {
            if (RefSize(ClassifyRef(*in)) > int32_t(inEnd - in)) {
                *fault = ExpandCutToken;
                break;
            }
            const RefFields ref = ReadRef(in);
            if (ref.distance == 0 || ref.distance > out - output) {
                *fault = ExpandBadDistance;
                break;
            }
            if (ref.length > outEnd - out) {
                *fault = ExpandOverflow;
                break;
            }
            in += ref.size;
            const uint8_t *from = out - ref.distance;
            for (int32_t i = 0; i < ref.length; i++) out[i] = from[i];
            out += ref.length;
        }
        flags >>= 1;
        tokens--;
        if (in == inEnd) break;
    }
    return int32_t(out - output);
}

int32_t ExpandPayload(uint8_t *output, const uint8_t *input, int32_t count) {
    ExpandFault ignored;
    return ExpandPayload(output, input, count, &ignored);
}
