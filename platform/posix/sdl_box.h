// A message box drawn by SDL.
#pragma once

#include <cstdint>

// Shows the box and sets *answer as the platform's message box answers; false when SDL cannot
// show one.
bool ShowSdlBox(const char *text, const char *caption, uint32_t style, int32_t *answer);
