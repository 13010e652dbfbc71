// Arbitrary code page 932 paths through the path mapping, against a small prefix: it must never
// read past the path or write past the buffer, and a path it maps stays inside the prefix or
// starts from the current folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/posix/wine_paths.h"

namespace {

std::string Prefix;

void MakeTree() {
    char pattern[] = "/tmp/olvan-fuzz-XXXXXX";
    Prefix = mkdtemp(pattern);
    for (const char *folder : {"/dosdevices", "/drive_c", "/drive_c/Games", "/drive_c/Games/Olvan",
                               "/drive_c/Games/Olvan/VOICE", "/drive_c/\xE8\xA1\xA8"})
        mkdir((Prefix + folder).c_str(), 0755);
    symlink("../drive_c", (Prefix + "/dosdevices/c:").c_str());
    for (const char *file : {"/drive_c/Games/Olvan/OLVAN.EXE", "/drive_c/Games/Olvan/olvan.exe"})
        close(open((Prefix + file).c_str(), O_CREAT | O_WRONLY, 0644));
    chdir((Prefix + "/drive_c").c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    MakeTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 300) return 0;
    const std::unique_ptr<char[]> path(new char[size + 1]);
    std::memcpy(path.get(), data, size);
    path[size] = 0;
    for (size_t room : {size_t(PATH_MAX), size_t(40)}) {
        const std::unique_ptr<char[]> out(new char[room]);
        if (!WinePathToUnix(Prefix.c_str(), path.get(), out.get(), room)) continue;
        const size_t length = strnlen(out.get(), room);
        if (length == room) std::abort();
        if (std::strncmp(out.get(), Prefix.c_str(), Prefix.size()) != 0 && out[0] != '/')
            std::abort();
    }
    return 0;
}
