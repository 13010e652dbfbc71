#include "platform/posix/user_reg.h"

#include <cstring>

#include "platform/posix/ascii_case.h"
#include "platform/posix/cp932.h"

namespace {

constexpr char Header[] = "WINE REGISTRY Version 2";

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Line {
    const char *begin;
    const char *end;
};

class LineReader {
  public:
    LineReader(const char *text, size_t size) : at_(text), end_(text + size) {}

    bool Next(Line *line) {
        if (at_ >= end_) return false;
        const char *newline = static_cast<const char *>(std::memchr(at_, '\n', size_t(end_ - at_)));
        line->begin = at_;
        line->end = newline ? newline : end_;
        if (newline && line->end > line->begin && line->end[-1] == '\r') line->end--;
        // Wine reads its lines as C strings: a zero byte ends the line's text.
        if (const void *zero = std::memchr(line->begin, 0, size_t(line->end - line->begin)))
            line->end = static_cast<const char *>(zero);
        at_ = newline ? newline + 1 : end_;
        return true;
    }

  private:
    const char *at_;
    const char *end_;
};

const char *SkipSpaces(const char *p, const char *end) {
    while (p < end && IsSpace(*p)) p++;
    return p;
}

// Walks an escaped string up to endChar and hands each UTF-16 unit to emit. Returns the position
// after endChar, or null when the line ends first.
template <typename Emit>
const char *ParseString(const char *p, const char *end, char endChar, Emit emit) {
    while (p < end && *p != endChar) {
        uint16_t unit;
        if (*p != '\\') {
            unit = uint16_t(int16_t(int8_t(*p++))); // Wine widens a byte as a signed char
        } else if (++p == end) {
            return nullptr;
        } else {
            switch (*p) {
            case 'a':
                unit = '\a', p++;
                break;
            case 'b':
                unit = '\b', p++;
                break;
            case 'e':
                unit = 0x1B, p++;
                break;
            case 'f':
                unit = '\f', p++;
                break;
            case 'n':
                unit = '\n', p++;
                break;
            case 'r':
                unit = '\r', p++;
                break;
            case 't':
                unit = '\t', p++;
                break;
            case 'v':
                unit = '\v', p++;
                break;
            case 'x':
                unit = 'x';
                if (++p < end && HexValue(*p) >= 0) {
                    unit = 0;
                    for (int digits = 0; digits < 4 && p < end && HexValue(*p) >= 0; digits++)
                        unit = uint16_t(unit * 16 + HexValue(*p++));
                }
                break;
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
                unit = 0;
                for (int digits = 0; digits < 3 && p < end && *p >= '0' && *p <= '7'; digits++)
                    unit = uint16_t(unit * 8 + (*p++ - '0'));
                break;
            default:
                unit = uint16_t(int16_t(int8_t(*p++)));
                break;
            }
        }
        emit(unit);
    }
    return p < end ? p + 1 : nullptr;
}

// Compares a stream of UTF-16 units with an ASCII name, without regard to ASCII letter case.
class NameMatch {
  public:
    explicit NameMatch(const char *name) : name_(name) {}

    void operator()(uint16_t unit) {
        if (!alike_) return;
        if (name_[at_] == 0) {
            // Longer than the name: still a key below it if a backslash comes first.
            below_ = below_ || (unit == '\\' && !extra_);
            extra_ = true;
            return;
        }
        alike_ = unit < 0x80 && AsciiLower(char(unit)) == AsciiLower(name_[at_]);
        at_++;
    }

    bool Same() const { return alike_ && name_[at_] == 0 && !extra_; }
    bool SameOrBelow() const { return alike_ && name_[at_] == 0 && (!extra_ || below_); }

  private:
    const char *name_;
    size_t at_ = 0;
    bool alike_ = true;
    bool extra_ = false;
    bool below_ = false;
};

// Where a value's data go: the bytes as RegQueryValueExA hands them out, counted, and written
// only when there is a buffer with room for them.
class Delivery {
  public:
    Delivery(uint8_t *data, uint32_t room) : data_(data), room_(room) {}

    void SetType(uint32_t type) { string_ = type == 1 || type == 2 || type == 7; }

    // A raw byte of the value; a string's bytes pair into UTF-16 units.
    void Byte(uint8_t byte) {
        if (!string_) return Put(byte);
        if (pendingLow_ < 0) {
            pendingLow_ = byte;
        } else {
            Unit(uint16_t(pendingLow_ | byte << 8));
            pendingLow_ = -1;
        }
    }

    void Unit(uint16_t unit) {
        uint8_t ansi[2];
        const int n = Cp932FromUtf16(unit, ansi);
        for (int i = 0; i < n; i++) Put(ansi[i]);
    }

    uint64_t Size() const { return size_; }

  private:
    void Put(uint8_t byte) {
        if (data_ && size_ < room_) data_[size_] = byte;
        size_++;
    }

    uint8_t *data_;
    uint32_t room_;
    uint64_t size_ = 0;
    bool string_ = false;
    int pendingLow_ = -1;
};

bool StartsWith(const char *p, const char *end, const char *tag) {
    const size_t n = std::strlen(tag);
    return size_t(end - p) >= n && std::memcmp(p, tag, n) == 0;
}

// Hex digits as strtoul reads them: spaces, a sign and "0x" first; a value too large saturates.
uint64_t ParseUnsignedHex(const char **at, const char *end) {
    const char *p = SkipSpaces(*at, end);
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) p++;
    if (end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexValue(p[2]) >= 0) p += 2;
    uint64_t value = 0;
    bool digits = false;
    for (; p < end && HexValue(*p) >= 0; p++, digits = true)
        value = value > (UINT64_MAX >> 4) ? UINT64_MAX : value * 16 + uint64_t(HexValue(*p));
    if (digits) *at = p;
    return negative ? uint64_t(0) - value : value;
}

// Parses the data of a value (the text after '='), reading further lines for hex data that
// continue. False when they are malformed.
bool ParseValueData(const char *p, const char *end, LineReader &lines, Delivery &out,
                    uint32_t *type) {
    const struct {
        const char *tag;
        uint32_t type;
    } strings[] = {{"\"", 1}, {"str:\"", 1}, {"str(2):\"", 2}, {"str(7):\"", 7}};
    for (const auto &s : strings) {
        if (!StartsWith(p, end, s.tag)) continue;
        *type = s.type;
        out.SetType(s.type);
        if (!ParseString(p + std::strlen(s.tag), end, '"', [&](uint16_t unit) { out.Unit(unit); }))
            return false;
        out.Unit(0); // the terminating zero that Wine stores with every string
        return true;
    }
    if (StartsWith(p, end, "dword:")) {
        p += 6;
        *type = 4;
        out.SetType(4);
        const uint32_t value = uint32_t(ParseUnsignedHex(&p, end));
        for (int i = 0; i < 4; i++) out.Byte(uint8_t(value >> (8 * i)));
        return true;
    }
    if (StartsWith(p, end, "hex:")) {
        p += 4;
        *type = 3;
    } else if (StartsWith(p, end, "hex(")) {
        p += 4;
        *type = uint32_t(ParseUnsignedHex(&p, end));
        if (!StartsWith(p, end, "):")) return false;
        p += 2;
    } else {
        return false;
    }
    out.SetType(*type);
    for (;;) {
        while (p < end && HexValue(*p) >= 0) {
            const bool pair = end - p >= 2 && HexValue(p[1]) >= 0;
            out.Byte(uint8_t(pair ? HexValue(p[0]) * 16 + HexValue(p[1]) : HexValue(p[0])));
            p += end - p >= 2 ? 2 : 1;
            if (p < end && *p == ',') p++;
        }
        p = SkipSpaces(p, end);
        if (p == end) return true;
        if (*p != '\\') return false;
        Line next;
        if (!lines.Next(&next)) return false;
        p = SkipSpaces(next.begin, next.end);
        end = next.end;
    }
}

// Walks the file as Wine loads it. onSection(the text after '[', the line's end) returns whether
// the section line is well formed; only then do the value lines after it count. onValue(the
// line's start, its end, the reader) gets each value line that counts, and must read the lines on
// which hex data go on from the reader.
template <typename OnSection, typename OnValue>
void WalkRegistry(const char *text, size_t size, OnSection onSection, OnValue onValue) {
    LineReader lines(text, size);
    Line line;
    if (!lines.Next(&line) || size_t(line.end - line.begin) != sizeof Header - 1 ||
        std::memcmp(line.begin, Header, sizeof Header - 1) != 0)
        return;
    bool inKey = false; // values count only after a well-formed section line
    while (lines.Next(&line)) {
        const char *p = SkipSpaces(line.begin, line.end);
        if (p == line.end) continue;
        if (*p == '[') {
            inKey = onSection(p + 1, line.end);
        } else if ((*p == '"' || *p == '@') && inKey) {
            onValue(p, line.end, lines);
        }
    }
}

// Parses a value line's name and '='; returns the data's start, or null when malformed.
template <typename Emit> const char *ParseValueName(const char *p, const char *end, Emit emit) {
    if (*p == '@') {
        p++;
    } else if (!(p = ParseString(p + 1, end, '"', emit))) {
        return nullptr;
    }
    p = SkipSpaces(p, end);
    if (p == end || *p != '=') return nullptr;
    return SkipSpaces(p + 1, end);
}

} // namespace

bool RegistryHasKey(const char *text, size_t size, const char *keyPath) {
    bool found = false;
    WalkRegistry(
        text, size,
        [&](const char *p, const char *end) {
            NameMatch match(keyPath);
            const bool wellFormed = ParseString(p, end, ']', [&](uint16_t unit) { match(unit); });
            found = found || (wellFormed && match.SameOrBelow());
            return wellFormed;
        },
        [](const char *p, const char *end, LineReader &lines) {
            // Parsed only to pass over the lines on which hex data go on.
            const char *data = ParseValueName(p, end, [](uint16_t) {});
            Delivery nowhere(nullptr, 0);
            uint32_t type;
            if (data) ParseValueData(data, end, lines, nowhere, &type);
        });
    return found;
}

int32_t QueryRegistryValue(const char *text, size_t size, const char *keyPath,
                           const char *valueName, uint32_t *type, uint8_t *data,
                           uint32_t *dataSize) {
    // The last well-formed definition, where it starts and how its lines go on.
    struct Definition {
        const char *data;
        const char *end;
        LineReader lines;
        uint64_t size;
        uint32_t type;
    };
    Definition last{nullptr, nullptr, LineReader(text, 0), 0, 0};
    bool inKey = false;
    WalkRegistry(
        text, size,
        [&](const char *p, const char *end) {
            NameMatch match(keyPath);
            const bool wellFormed = ParseString(p, end, ']', [&](uint16_t unit) { match(unit); });
            inKey = wellFormed && match.Same();
            return wellFormed;
        },
        [&](const char *p, const char *end, LineReader &lines) {
            NameMatch match(valueName);
            const char *dataStart = ParseValueName(p, end, [&](uint16_t unit) { match(unit); });
            if (!dataStart) return;
            const LineReader atData = lines;
            Delivery measure(nullptr, 0);
            uint32_t valueType = 0;
            // Every value is parsed, so that the continuation lines of hex data are passed over.
            if (ParseValueData(dataStart, end, lines, measure, &valueType) && inKey && match.Same())
                last = {dataStart, end, atData, measure.Size(), valueType};
        });
    if (!last.data) return RegistryNotFound;
    if (last.size > *dataSize) return RegistryMoreData;
    Delivery deliver(data, *dataSize);
    ParseValueData(last.data, last.end, last.lines, deliver, type);
    // As Windows does, a string without a zero gets one where there is room.
    const bool string = *type == 1 || *type == 2 || *type == 7;
    if (string && last.size > 0 && last.size < *dataSize && data[last.size - 1] != 0)
        data[last.size] = 0;
    *dataSize = uint32_t(last.size);
    return RegistryOk;
}
