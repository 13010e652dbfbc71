#include "platform/platform.h"
#include "platform/posix/cp932.h"

// The native program works in code page 932, as the game's Japanese Windows does.
bool PlatformIsLeadByte(uint8_t byte) {
    return Cp932IsLeadByte(byte);
}
