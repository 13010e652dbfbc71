// olvan-test-records: writes the small records of the tests, sound and broken ones, into a folder.
//
//   olvan-test-records FOLDER
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "payload/record.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(uint32_t compressedLength, int32_t stamp, const Bytes &stream) {
    Bytes record(PayloadHeaderSize + stream.size());
    WriteLe32(record.data(), compressedLength);
    WriteLe32(record.data() + 4, uint32_t(stamp));
    std::copy(stream.begin(), stream.end(), record.begin() + PayloadHeaderSize);
    return record;
}

Bytes Record(int32_t stamp, const Bytes &stream) {
    return Record(uint32_t(stream.size()), stamp, stream);
}

// A literal, then LongRefs of 65,537 bytes at distance 1: 1 + 22 * 65,537 bytes, past the
// decoder's 1,400,000.
Bytes PastTheBuffer() {
    Bytes stream = {0x01, 0x41};
    for (int i = 0; i < 22; i++) {
        if ((i + 1) % 8 == 0) stream.push_back(0x00);
        stream.insert(stream.end(), {0x7F, 0xFF, 0xFF, 0x01, 0x00});
    }
    return stream;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: olvan-test-records FOLDER\n", stderr);
        return 2;
    }
    const struct {
        const char *name;
        Bytes record;
    } records[] = {
        // Sound ones.
        {"EMPTY.PCK", Record(971424710, {})},
        {"NEGSTAMP.PCK", Record(-1, {0x0F, 'A', '\n', 'B', '\n'})},
        {"LINES.PCK", Record(1000000000, {0x1F, 'a', '\r', '\n', 'b', '\n'})},
        // Broken ones: a LongRef cut short, a distance before the output's start, a
        // compressedLength past the record, a stream past 1,400,000 bytes, a record shorter than
        // its header.
        {"CUT.PCK", Record(971424710, {0x01, 0x41, 0x7F, 0xFF})},
        {"BEFORE.PCK", Record(971424710, {0x01, 0x41, 0x82})},
        {"PAST.PCK", Record(100, 971424710, {0x01, 0x41, 0x80, 0x01})},
        {"HUGE.PCK", Record(971424710, PastTheBuffer())},
        {"SHORT.PCK", {0x00, 0x00, 0x00, 0x00, 0x01}},
    };
    for (const auto &r : records) {
        const std::string path = std::string(argv[1]) + "/" + r.name;
        std::FILE *file = std::fopen(path.c_str(), "wb");
        bool written =
            file && std::fwrite(r.record.data(), 1, r.record.size(), file) == r.record.size();
        if (file) written = std::fclose(file) == 0 && written;
        if (!written) {
            std::fprintf(stderr, "olvan-test-records: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
