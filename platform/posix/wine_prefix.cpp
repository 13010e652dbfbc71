#include "platform/posix/wine_prefix.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

const char *WinePrefix() {
    static char prefix[PATH_MAX];
    const char *named = std::getenv("WINEPREFIX");
    const char *home = std::getenv("HOME");
    int length;
    if (named && *named)
        length = std::snprintf(prefix, sizeof prefix, "%s", named);
    else if (home && *home)
        length = std::snprintf(prefix, sizeof prefix, "%s/.wine", home);
    else
        return nullptr;
    return length > 0 && length < int(sizeof prefix) ? prefix : nullptr;
}
