#include "flow/update.h"

char TargetPath[PathBufferSize];

namespace {

// The folder's last character, where it is a backslash. The string is walked a character at a
// time: in code page 932 the byte 0x5C is also the trail byte of some characters (表 is 0x95 0x5C,
// ソ is 0x83 0x5C), and a folder whose name ends in one keeps it.
char *TrailingBackslash(char *folder) {
    char *last = nullptr;
    bool lastIsSingleByte = false;
    for (char *p = folder; *p;) {
        const bool doubleByte = PlatformIsLeadByte(uint8_t(*p)) && p[1] != 0;
        last = p;
        lastIsSingleByte = !doubleByte;
        p += doubleByte ? 2 : 1;
    }
    return last && lastIsSingleByte && *last == '\\' ? last : nullptr;
}

} // namespace

int32_t LocateTarget(char *pathBuffer, char *folder) {
    if (char *backslash = TrailingBackslash(folder)) *backslash = 0;
    // A folder that leaves no room for the executable's name holds no executable: no ANSI path
    // that long can exist.
    if (!ComposePath(pathBuffer, folder, ExecutableTail)) return 0;
    return PlatformPathAttributes(pathBuffer) != InvalidFileAttributes ? 1 : 0;
}
