// A real small disk: a tmpfs of a few kilobytes, mounted for the life of the object. Mounting
// needs root; where it is not permitted, Mounted() is false and the test says so and skips.
#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>

class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path &at, const std::string &size) : at_(at) {
        std::filesystem::create_directories(at);
        mounted_ = mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool Mounted() const { return mounted_; }

  private:
    std::filesystem::path at_;
    bool mounted_ = false;
};

#define SKIP_UNLESS_MOUNTED(disk)                                                                  \
    if (!(disk).Mounted()) GTEST_SKIP() << "a small tmpfs cannot be mounted here (root is needed)"
