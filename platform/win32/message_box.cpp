#include <windows.h>

#include "platform/platform.h"

static_assert(MbOk == MB_OK && MbOkCancel == MB_OKCANCEL && MbIconQuestion == MB_ICONQUESTION &&
                  IdOk == IDOK && IdCancel == IDCANCEL,
              "the seam's values are Windows' own");

int32_t PlatformMessageBox(const char *text, const char *caption, uint32_t style) {
    return MessageBoxA(nullptr, text, caption, style);
}
