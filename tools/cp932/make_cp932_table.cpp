// olvan-cp932-table: writes the code page 932 tables of the native program, taken at build time
// from the C library's CP932 converter, which follows the Windows code page.
//
//   olvan-cp932-table OUTPUT.inc
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr uint16_t NoChar = 0xFFFF;

bool IsLead(unsigned byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Converts bytes with one iconv descriptor; false when the converter refuses them.
bool Convert(iconv_t cd, const char *in, size_t inLength, unsigned char *out, size_t *outLength) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *from = const_cast<char *>(in);
    char *to = reinterpret_cast<char *>(out);
    size_t left = inLength, room = *outLength;
    if (iconv(cd, &from, &left, &to, &room) == size_t(-1) || left != 0) return false;
    *outLength = *outLength - room;
    return true;
}

uint16_t ToUnicode(iconv_t cd, const char *bytes, size_t length) {
    unsigned char out[8];
    size_t outLength = sizeof out;
    if (!Convert(cd, bytes, length, out, &outLength) || outLength != 2) return NoChar;
    return uint16_t(out[0] | out[1] << 8);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: olvan-cp932-table OUTPUT.inc\n", stderr);
        return 2;
    }
    iconv_t toUnicode = iconv_open("UTF-16LE", "CP932");
    iconv_t fromUnicode = iconv_open("CP932", "UTF-16LE");
    if (toUnicode == iconv_t(-1) || fromUnicode == iconv_t(-1)) {
        std::fputs("olvan-cp932-table: the C library has no CP932 converter\n", stderr);
        return 1;
    }

    std::vector<uint16_t> single(256, NoChar);
    for (unsigned byte = 0; byte < 256; byte++) {
        const char b = char(byte);
        if (!IsLead(byte)) single[byte] = ToUnicode(toUnicode, &b, 1);
    }
    std::vector<uint16_t> doubles;
    for (unsigned lead = 0x81; lead <= 0xFC; lead++) {
        if (!IsLead(lead)) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; trail++) {
            const char pair[2] = {char(lead), char(trail)};
            doubles.push_back(ToUnicode(toUnicode, pair, 2));
        }
    }
    std::vector<std::pair<uint16_t, uint16_t>> fromTable;
    for (unsigned unit = 0; unit < 0x10000; unit++) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const char in[2] = {char(unit & 0xFF), char(unit >> 8)};
        unsigned char out[4];
        size_t outLength = sizeof out;
        if (!Convert(fromUnicode, in, 2, out, &outLength)) continue;
        fromTable.push_back(
            {uint16_t(unit), uint16_t(outLength == 1 ? out[0] : out[0] << 8 | out[1])});
    }

    std::FILE *file = std::fopen(argv[1], "w");
    if (!file) {
        std::fprintf(stderr, "olvan-cp932-table: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fputs(
        "// Generated at build time by olvan-cp932-table from the C library's CP932 converter.\n"
        "const uint16_t Cp932SingleByte[256] = {",
        file);
    for (size_t i = 0; i < single.size(); i++)
        std::fprintf(file, "%s0x%04X,", i % 12 ? "" : "\n", single[i]);
    std::fputs("\n};\nconst uint16_t Cp932DoubleByte[Cp932LeadCount * Cp932TrailCount] = {", file);
    for (size_t i = 0; i < doubles.size(); i++)
        std::fprintf(file, "%s0x%04X,", i % 12 ? "" : "\n", doubles[i]);
    std::fprintf(file, "\n};\nconst Cp932Mapping Cp932FromUnicode[%zu] = {", fromTable.size());
    for (size_t i = 0; i < fromTable.size(); i++)
        std::fprintf(file, "%s{0x%04X,0x%04X},", i % 6 ? "" : "\n", fromTable[i].first,
                     fromTable[i].second);
    std::fputs("\n};\n", file);
    const bool closed = std::fclose(file) == 0;
    return closed ? 0 : 1;
}
