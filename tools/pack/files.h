// Whole-file reads and writes for the packer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool ReadWholeFile(const std::string &path, std::vector<uint8_t> *data, std::string *error);

// Writes beside the target first and renames into place, so that a failed write leaves no file.
bool WriteWholeFile(const std::string &path, const std::vector<uint8_t> &data, std::string *error);
