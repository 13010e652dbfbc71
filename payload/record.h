// A payload record as it is stored: compressedLength (32 bits), timeStamp (signed 32 bits, seconds
// since 1970-01-01 00:00:00 UTC), both little-endian, then compressedLength bytes of token stream.
// The record carries no expanded size, name or checksum.
#pragma once

#include <cstdint>

constexpr uint32_t PayloadHeaderSize = 8;

struct PayloadRecord {
    uint32_t compressedLength;
    int32_t timeStamp;
    const uint8_t *compressedBytes;
};

inline uint32_t ReadLe32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void WriteLe32(uint8_t *p, uint32_t value) {
    for (int i = 0; i < 4; i++) p[i] = uint8_t(value >> (8 * i));
}

// Reads the header of the record stored in storedSize bytes at stored. Fails when the header does
// not fit, or when compressedLength runs past the stored bytes.
inline bool ReadPayloadRecord(const uint8_t *stored, uint32_t storedSize, PayloadRecord *record) {
    if (storedSize < PayloadHeaderSize) return false;
    record->compressedLength = ReadLe32(stored);
    record->timeStamp = int32_t(ReadLe32(stored + 4));
    record->compressedBytes = stored + PayloadHeaderSize;
    return record->compressedLength <= storedSize - PayloadHeaderSize;
}
