// A throwaway Wine prefix: dosdevices/c: linked to drive_c, a user.reg, and the game's files.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/cp932_text.h"
#include "tests/support/temp_dir.h"

class TestPrefix {
  public:
    TestPrefix() {
        std::filesystem::create_directories(dir_ / "dosdevices");
        std::filesystem::create_directories(dir_ / "drive_c");
        std::filesystem::create_directory_symlink("../drive_c", dir_ / "dosdevices" / "c:");
    }

    std::filesystem::path Root() const { return dir_.Path(); }
    std::filesystem::path DriveC() const { return dir_ / "drive_c"; }

    // A user.reg whose key holds the given lines ("name"=data), as Wine writes it.
    void WriteKey(const std::string &valueLines,
                  const std::string &key = "Software\\\\Brenmo\\\\Olvan") {
        WriteUserReg(
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
            "#arch=win32\n\n[Software\\\\Wine] "
            "1700000000\n#time=1da0000000000\n\"Version\"=\"win7\"\n\n[" +
            key + "] 1700000000\n#time=1da0000000000\n" + valueLines + "\n");
    }

    // A DataDir string value: the folder in code page 932.
    void SetDataDir(const std::string &cp932Folder) {
        WriteKey("\"DataDir\"=\"" + WineRegString(cp932Folder) + "\"");
    }

    void WriteUserReg(const std::string &text) const {
        std::ofstream(dir_ / "user.reg", std::ios::binary) << text;
    }

    // Makes a file (and its folders) below drive_c, with the given contents.
    std::filesystem::path AddFile(const std::string &below, const std::string &contents) const {
        const std::filesystem::path path = DriveC() / below;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

  private:
    TempDir dir_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const std::string &value) : name_(name) {
        if (const char *old = std::getenv(name)) had_ = true, old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char *name_;
    bool had_ = false;
    std::string old_;
};

inline struct stat StatOf(const std::filesystem::path &path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st;
}
