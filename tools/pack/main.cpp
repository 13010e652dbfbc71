// olvan-pack: makes and reads payload records at build time.
//
//   olvan-pack pack INPUT OUTPUT --time SECONDS   pack INPUT into the record OUTPUT
//   olvan-pack expand RECORD OUTPUT               expand RECORD with the patcher's decoder
//   olvan-pack stats RECORD                       print the figures of RECORD's stream
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/expand.h"
#include "payload/record.h"
#include "tools/pack/files.h"
#include "tools/pack/pack.h"
#include "tools/pack/stats.h"

namespace {

int Usage() {
    std::fputs("usage: olvan-pack pack INPUT OUTPUT --time SECONDS\n"
               "       olvan-pack expand RECORD OUTPUT\n"
               "       olvan-pack stats RECORD\n",
               stderr);
    return 2;
}

int Fail(const std::string &message) {
    std::fprintf(stderr, "olvan-pack: %s\n", message.c_str());
    return 1;
}

bool ParseTimeStamp(const char *text, int32_t *stamp) {
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return false;
    *stamp = int32_t(value);
    return true;
}

const char *FaultText(ExpandFault fault) {
    switch (fault) {
    case ExpandCutToken:
        return "a back-reference runs past the end of the stream";
    case ExpandBadDistance:
        return "a back-reference has a distance of 0 or reaches before the start of the output";
    case ExpandOverflow:
        return "the stream expands beyond 1,400,000 bytes";
    case ExpandClean:
        break;
    }
    return "no fault";
}

// Reads a record and expands it into ExpandBuffer; on success *record and *expanded describe it.
bool LoadRecord(const std::string &path, std::vector<uint8_t> *bytes, PayloadRecord *record,
                int32_t *expanded, std::string *error) {
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (bytes->size() > UINT32_MAX ||
        !ReadPayloadRecord(bytes->data(), uint32_t(bytes->size()), record)) {
        *error = path + ": " +
                 (bytes->size() < PayloadHeaderSize
                      ? "too short for a record header"
                      : "compressedLength " + std::to_string(ReadLe32(bytes->data())) +
                            " runs past the " + std::to_string(bytes->size() - PayloadHeaderSize) +
                            " bytes of stream in the file");
        return false;
    }
    ExpandFault fault;
    // A compressedLength of 2^31 or more was refused above: no file here is that long.
    *expanded = ExpandPayload(ExpandBuffer, record->compressedBytes,
                              int32_t(record->compressedLength), &fault);
    if (fault != ExpandClean) {
        *error = path + ": malformed stream: " + FaultText(fault) + " (after " +
                 std::to_string(*expanded) + " expanded bytes)";
        return false;
    }
    return true;
}

int Pack(const std::string &input, const std::string &output, const char *time) {
    int32_t stamp;
    if (!ParseTimeStamp(time, &stamp)) return Fail(std::string("not a 32-bit time stamp: ") + time);
    std::vector<uint8_t> data, record;
    std::string error;
    if (!ReadWholeFile(input, &data, &error)) return Fail(error);
    if (!PackPayload(data, stamp, &record, &error)) return Fail(input + ": " + error);
    if (!WriteWholeFile(output, record, &error)) return Fail(error);
    return 0;
}

int Expand(const std::string &path, const std::string &output) {
    std::vector<uint8_t> bytes;
    PayloadRecord record;
    int32_t expanded;
    std::string error;
    if (!LoadRecord(path, &bytes, &record, &expanded, &error)) return Fail(error);
    if (!WriteWholeFile(output, std::vector<uint8_t>(ExpandBuffer, ExpandBuffer + expanded),
                        &error))
        return Fail(error);
    return 0;
}

int Stats(const std::string &path) {
    std::vector<uint8_t> bytes;
    PayloadRecord record;
    int32_t expanded;
    std::string error;
    if (!LoadRecord(path, &bytes, &record, &expanded, &error)) return Fail(error);
    std::printf("compressedLength          %u\ntimeStamp                 %d\n",
                record.compressedLength, record.timeStamp);
    std::fputs(FormatFigures(CountTokens(record.compressedBytes, int32_t(record.compressedLength)))
                   .c_str(),
               stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 6 && std::strcmp(argv[1], "pack") == 0 && std::strcmp(argv[4], "--time") == 0)
        return Pack(argv[2], argv[3], argv[5]);
    if (argc == 4 && std::strcmp(argv[1], "expand") == 0) return Expand(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "stats") == 0) return Stats(argv[2]);
    return Usage();
}
