// The token stream of a payload record, shared by the decoder and the packer.
//
// A stream is a sequence of groups: one flag byte, then up to eight tokens. Bit 0 of the flag byte
// tells the first token's kind, bit 7 the eighth's: 1 is a literal (one byte, copied as it is),
// 0 a back-reference (length, distance): that many bytes, each equal to the byte the distance
// before it in the output. A back-reference has one of five forms, told apart by its first byte.
//
//   form     first byte                  further bytes            length     distance
//   MidRef   11LLLLDD                    distance bits 7-0        4-19       0-1,023
//   NearRef  10LDDDDD, DDDDD not 0       none                     2-3        1-31
//   ByteRef  10L00000                    distance                 2-3        0-255
//   LongRef  0x7F                        length-2, distance (16)  2-65,537   0-65,535
//   FarRef   0x00-0x7E (= length-4)      distance (16)            4-130      0-65,535
//
// 16-bit fields are little-endian. A valid stream also keeps every distance between 1 and the
// number of bytes produced before the reference, and ends with the last byte of its last token.
#pragma once

#include <cstdint>

constexpr int32_t GroupTokens = 8;

enum RefForm : uint8_t { MidRef, NearRef, ByteRef, LongRef, FarRef };

constexpr uint8_t LongRefByte = 0x7F;

constexpr int32_t MaxDistance = 65535;

constexpr int32_t ShortRefMinLength = 2; // NearRef, ByteRef
constexpr int32_t ShortRefMaxLength = 3;
constexpr int32_t NearRefMaxDistance = 31;
constexpr int32_t ByteRefMaxDistance = 255;
constexpr int32_t MidRefMinLength = 4;
constexpr int32_t MidRefMaxLength = 19;
constexpr int32_t MidRefMaxDistance = 1023;
constexpr int32_t FarRefMinLength = 4;
constexpr int32_t FarRefMaxLength = 130;
constexpr int32_t LongRefMinLength = 2;
constexpr int32_t LongRefMaxLength = 65537;

constexpr RefForm ClassifyRef(uint8_t first) {
    if (first >= 0xC0) return MidRef;
    if (first >= 0x80) return (first & 0x1F) ? NearRef : ByteRef;
    return first == LongRefByte ? LongRef : FarRef;
}

// Bytes of a back-reference in each form, the first byte included.
constexpr int32_t RefSize(RefForm form) {
    return form == NearRef ? 1 : form == LongRef ? 5 : form == FarRef ? 3 : 2;
}

// The form with the fewest bytes that holds (length, distance), for 2 <= length <= 65,537 and
// 1 <= distance <= 65,535. It is unique for every pair.
constexpr RefForm ShortestForm(int32_t length, int32_t distance) {
    if (length <= ShortRefMaxLength) {
        if (distance <= NearRefMaxDistance) return NearRef;
        return distance <= ByteRefMaxDistance ? ByteRef : LongRef;
    }
    if (length <= MidRefMaxLength && distance <= MidRefMaxDistance) return MidRef;
    return length <= FarRefMaxLength ? FarRef : LongRef;
}

struct RefFields {
    RefForm form;
    int32_t size;
    int32_t length;
    int32_t distance;
};

// Reads the back-reference whose first byte is token[0]; RefSize(ClassifyRef(token[0])) bytes
// must be readable.
constexpr RefFields ReadRef(const uint8_t *token) {
    const uint8_t first = token[0];
    const RefForm form = ClassifyRef(first);
    switch (form) {
    case MidRef:
        return {form, 2, ((first >> 2) & 0x0F) + MidRefMinLength, (first & 0x03) << 8 | token[1]};
    case NearRef:
        return {form, 1, ((first >> 5) & 1) + ShortRefMinLength, first & 0x1F};
    case ByteRef:
        return {form, 2, ((first >> 5) & 1) + ShortRefMinLength, token[1]};
    case LongRef:
        return {form, 5, (token[1] | token[2] << 8) + LongRefMinLength, token[3] | token[4] << 8};
    case FarRef:
        break;
    }
    return {form, 3, first + FarRefMinLength, token[1] | token[2] << 8};
}

// Writes (length, distance) in form, which must hold the pair, and returns the bytes written.
inline int32_t WriteRef(RefForm form, int32_t length, int32_t distance, uint8_t *out) {
    switch (form) {
    case MidRef:
        out[0] = uint8_t(0xC0 | (length - MidRefMinLength) << 2 | distance >> 8);
        out[1] = uint8_t(distance);
        break;
    case NearRef:
        out[0] = uint8_t(0x80 | (length - ShortRefMinLength) << 5 | distance);
        break;
    case ByteRef:
        out[0] = uint8_t(0x80 | (length - ShortRefMinLength) << 5);
        out[1] = uint8_t(distance);
        break;
    case LongRef:
        out[0] = LongRefByte;
        out[1] = uint8_t(length - LongRefMinLength);
        out[2] = uint8_t((length - LongRefMinLength) >> 8);
        out[3] = uint8_t(distance);
        out[4] = uint8_t(distance >> 8);
        break;
    case FarRef:
        out[0] = uint8_t(length - FarRefMinLength);
        out[1] = uint8_t(distance);
        out[2] = uint8_t(distance >> 8);
        break;
    }
    return RefSize(form);
}
