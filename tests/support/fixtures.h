// Files the build makes for the tests: the two records and the programs.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
