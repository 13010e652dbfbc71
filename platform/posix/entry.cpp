// The start-up of the native program: it hands the command line after the program's name to
// WinMain, which reads none of it, and exits with WinMain's result.
#include <cstring>

#include "flow/update.h"

namespace {

constexpr int ShowDefault = 10; // SW_SHOWDEFAULT
char CommandLine[1024];

} // namespace

int main(int argc, char **argv) {
    size_t at = 0;
    for (int i = 1; i < argc; i++) {
        const size_t length = std::strlen(argv[i]);
        if (at + length + 2 > sizeof CommandLine) break;
        if (at) CommandLine[at++] = ' ';
        std::memcpy(CommandLine + at, argv[i], length);
        at += length;
    }
    return WinMain(nullptr, nullptr, CommandLine, ShowDefault);
}
