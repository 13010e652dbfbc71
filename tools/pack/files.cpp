#include "tools/pack/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool ReadWholeFile(const std::string &path, std::vector<uint8_t> *data, std::string *error) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    data->clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data->insert(data->end(), chunk, chunk + got);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed) *error = "cannot read " + path;
    return !failed;
}

bool WriteWholeFile(const std::string &path, const std::vector<uint8_t> &data, std::string *error) {
    const std::string partial = path + ".partial";
    std::FILE *file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + partial + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(partial.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
