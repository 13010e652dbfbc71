#include "platform/posix/wine_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/ascii_case.h"
#include "platform/posix/cp932.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The Unix path under construction, with the start of each component kept for "..".
class UnixPath {
  public:
    UnixPath(char *buffer, size_t room) : buffer_(buffer), room_(room) {}

    // Starts the path at text, above whose first floor bytes ".." does not climb.
    bool Set(const char *text, size_t floor) {
        length_ = 0;
        depth_ = 0;
        floor_ = floor;
        return Append(text, std::strlen(text));
    }

    bool Push(const char *name) {
        if (depth_ == MaxDepth) return false;
        starts_[depth_++] = length_;
        return Append("/", 1) && Append(name, std::strlen(name));
    }
    void Pop() {
        if (depth_ > 0) {
            length_ = starts_[--depth_];
        } else {
            // Above the components pushed so far, as for a relative path's "..": cut at a slash.
            while (length_ > floor_ && buffer_[length_ - 1] != '/') length_--;
            if (length_ > floor_ && length_ > 1) length_--;
        }
        buffer_[length_] = 0;
    }
    const char *Text() const { return buffer_; }
    size_t Length() const { return length_; }

  private:
    bool Append(const char *text, size_t n) {
        if (length_ + n >= room_) return false;
        std::memcpy(buffer_ + length_, text, n);
        length_ += n;
        buffer_[length_] = 0;
        return true;
    }

    static constexpr size_t MaxDepth = 160; // a 260-byte path has at most 130 components
    char *buffer_;
    size_t room_;
    size_t length_ = 0;
    size_t floor_ = 0;
    size_t starts_[MaxDepth];
    size_t depth_ = 0;
};

bool EntryExists(const char *path) {
    struct stat st;
    return fstatat(AT_FDCWD, path, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The first entry of folder whose name matches name without regard to ASCII letter case, copied
// into found; false when there is none.
bool FindEntryIgnoringCase(const char *folder, const char *name, char *found, size_t room) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    alignas(dirent64) static char entries[16384];
    bool matched = false;
    for (ssize_t got; !matched && (got = getdents64(fd, entries, sizeof entries)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const dirent64 *entry = reinterpret_cast<const dirent64 *>(entries + at);
            at += entry->d_reclen;
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            if (SameIgnoringAsciiCase(entry->d_name, name) && std::strlen(entry->d_name) < room) {
                std::strcpy(found, entry->d_name);
                matched = true;
                break;
            }
        }
    }
    close(fd);
    return matched;
}

// The drive that holds the current folder, as Wine makes it the current drive.
bool CurrentDriveRoot(const char *prefix, UnixPath *path) {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return false;
    char best = 0;
    size_t bestLength = 0;
    for (char letter = 'a'; letter <= 'z'; letter++) {
        char link[PATH_MAX], target[PATH_MAX];
        if (std::snprintf(link, sizeof link, "%s/dosdevices/%c:", prefix, letter) >=
            int(sizeof link))
            return false;
        if (!realpath(link, target)) continue;
        const size_t n = std::strlen(target);
        const bool holds = std::strncmp(cwd, target, n) == 0 &&
                           (cwd[n] == '/' || cwd[n] == 0 || (n == 1 && target[0] == '/'));
        if (holds && (best == 0 || n > bestLength)) best = letter, bestLength = n;
    }
    if (!best) return false;
    char root[PATH_MAX];
    return std::snprintf(root, sizeof root, "%s/dosdevices/%c:", prefix, best) < int(sizeof root) &&
           path->Set(root, std::strlen(root));
}

// Where the path starts, with *rest at its first component: a drive's root, the root of the
// current drive, or the current folder. ".." climbs no higher than a root.
bool MapStart(const char *prefix, const char *windowsPath, UnixPath *path, const char **rest) {
    const char *p = windowsPath;
    const char drive = char(p[0] | 0x20);
    if (drive >= 'a' && drive <= 'z' && p[1] == ':') {
        char root[PATH_MAX];
        *rest = p + 2;
        return std::snprintf(root, sizeof root, "%s/dosdevices/%c:", prefix, drive) <
                   int(sizeof root) &&
               path->Set(root, std::strlen(root));
    }
    if (IsSeparator(p[0])) {
        *rest = p + 1;
        return !IsSeparator(p[1]) && CurrentDriveRoot(prefix, path); // not a network path
    }
    char cwd[PATH_MAX];
    *rest = p;
    return getcwd(cwd, sizeof cwd) && path->Set(cwd, 1);
}

} // namespace

bool WinePathToUnix(const char *prefix, const char *windowsPath, char *unixPath, size_t room) {
    UnixPath path(unixPath, room);
    const char *p;
    if (!MapStart(prefix, windowsPath, &path, &p)) return false;

    while (*p) {
        // One component, up to a separator; a trail byte of 0x5C is not a separator.
        const char *start = p;
        while (*p && !IsSeparator(*p)) p += Cp932IsLeadByte(uint8_t(*p)) && p[1] ? 2 : 1;
        const size_t length = size_t(p - start);
        const bool last = *p == 0 || [&] {
            const char *q = p;
            while (IsSeparator(*q)) q++;
            return *q == 0;
        }();
        while (IsSeparator(*p)) p++;

        if (length == 0 || (length == 1 && start[0] == '.')) continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            path.Pop();
            continue;
        }
        char name[NAME_MAX + 1];
        if (!Cp932ToUtf8(start, length, name, sizeof name, true)) return false;

        const size_t folderLength = path.Length();
        if (!path.Push(name)) return false;
        if (EntryExists(path.Text())) continue;
        char folder[PATH_MAX];
        std::memcpy(folder, path.Text(), folderLength);
        folder[folderLength] = 0;
        char stored[NAME_MAX + 1];
        if (FindEntryIgnoringCase(folder, name, stored, sizeof stored)) {
            path.Pop();
            if (!path.Push(stored)) return false;
        } else if (!last) {
            return false;
        }
    }
    return true;
}
