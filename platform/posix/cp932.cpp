#include "platform/posix/cp932.h"

namespace {

#include "cp932_table.inc"

constexpr uint16_t NoChar = 0xFFFF;

uint16_t DoubleByteToUnicode(uint8_t lead, uint8_t trail) {
    if (trail < 0x40 || trail > 0xFC) return NoChar;
    const int leadIndex = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    return Cp932DoubleByte[leadIndex * Cp932TrailCount + (trail - 0x40)];
}

// Appends one code point as UTF-8; false when there is no room for it and a final zero.
bool PutUtf8(uint32_t point, char *out, size_t room, size_t *at) {
    char bytes[3];
    size_t n;
    if (point < 0x80) {
        bytes[0] = char(point), n = 1;
    } else if (point < 0x800) {
        bytes[0] = char(0xC0 | point >> 6), bytes[1] = char(0x80 | (point & 0x3F)), n = 2;
    } else {
        bytes[0] = char(0xE0 | point >> 12), bytes[1] = char(0x80 | ((point >> 6) & 0x3F));
        bytes[2] = char(0x80 | (point & 0x3F)), n = 3;
    }
    if (*at + n >= room) return false;
    for (size_t i = 0; i < n; i++) out[(*at)++] = bytes[i];
    return true;
}

} // namespace

bool Cp932IsLeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int Cp932FromUtf16(uint16_t unit, uint8_t out[2]) {
    size_t low = 0, high = sizeof Cp932FromUnicode / sizeof Cp932FromUnicode[0];
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (Cp932FromUnicode[middle].unicode < unit)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == sizeof Cp932FromUnicode / sizeof Cp932FromUnicode[0] ||
        Cp932FromUnicode[low].unicode != unit) {
        out[0] = '?';
        return 1;
    }
    const uint16_t code = Cp932FromUnicode[low].code;
    if (code < 0x100) {
        out[0] = uint8_t(code);
        return 1;
    }
    out[0] = uint8_t(code >> 8);
    out[1] = uint8_t(code);
    return 2;
}

bool Cp932ToUtf8(const char *text, size_t length, char *out, size_t room, bool strict) {
    if (room == 0) return false;
    size_t at = 0;
    for (size_t i = 0; i < length;) {
        const uint8_t byte = uint8_t(text[i]);
        uint16_t unicode;
        if (Cp932IsLeadByte(byte)) {
            unicode = i + 1 < length ? DoubleByteToUnicode(byte, uint8_t(text[i + 1])) : NoChar;
            i += unicode == NoChar ? 1 : 2;
        } else {
            unicode = Cp932SingleByte[byte];
            i++;
        }
        if (unicode == NoChar) {
            if (strict) return false;
            unicode = 0xFFFD;
        }
        if (!PutUtf8(unicode, out, room, &at)) return false;
    }
    out[at] = 0;
    return true;
}
