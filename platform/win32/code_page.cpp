#include <windows.h>

#include "platform/platform.h"

// The system's ANSI code page decides, as it does for every ANSI call the program makes.
bool PlatformIsLeadByte(uint8_t byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}
