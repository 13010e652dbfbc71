// The native program's message boxes: SDL's where a display can be had, else a text box on the
// terminal.
#include <cstdlib>
#include <initializer_list>

#include "platform/platform.h"
#include "platform/posix/sdl_box.h"
#include "platform/posix/terminal_box.h"

namespace {

bool DisplayNamed() {
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char *value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

} // namespace

int32_t PlatformMessageBox(const char *text, const char *caption, uint32_t style) {
    int32_t answer;
    if (DisplayNamed() && ShowSdlBox(text, caption, style, &answer)) return answer;
    return ShowTerminalBox(text, caption, style);
}
