#include <cstring>

#include "flow/update.h"

bool ComposePath(char *buffer, const char *folder, const char *tail) {
    const size_t folderLength = std::strlen(folder);
    const size_t tailLength = std::strlen(tail);
    if (folderLength + tailLength >= size_t(PathBufferSize)) return false;
    std::memmove(buffer, folder, folderLength);
    std::memcpy(buffer + folderLength, tail, tailLength + 1);
    return true;
}
