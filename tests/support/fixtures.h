// Files the build makes for the tests: the two records and the programs.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/reference_expand.h"

inline std::string ExecutableRecordPath() {
    return OLVAN_RECORD_DIR "/OLVAN.PCK";
}
inline std::string VoiceRecordPath() {
    return OLVAN_RECORD_DIR "/12QAAS03.PCK";
}

inline std::vector<uint8_t> ReadFixture(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string Contents(const std::string &path) {
    const std::vector<uint8_t> bytes = ReadFixture(path);
    return std::string(bytes.begin(), bytes.end());
}

// What a record expands to, by the byte-at-a-time decoder of the tests.
inline std::string ExpandedRecord(const std::string &recordPath) {
    const std::vector<uint8_t> record = ReadFixture(recordPath);
    const ReferenceExpansion expanded =
        ReferenceExpand(std::vector<uint8_t>(record.begin() + 8, record.end()));
    return std::string(expanded.output.begin(), expanded.output.end());
}

// Whether the file holds exactly these bytes; a failure tells the sizes and the first difference.
inline ::testing::AssertionResult Holds(const std::string &path, const std::string &expected) {
    const std::string actual = Contents(path);
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) at++;
    return ::testing::AssertionFailure()
           << path << " holds " << actual.size() << " bytes where " << expected.size()
           << " were expected, differing from byte " << at
           << (actual.size() < 64 ? " (it holds \"" + actual + "\")" : "");
}
