#include "platform/posix/sdl_box.h"

#include <SDL.h>
#include <dlfcn.h>

#include <clocale>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix/cp932.h"

namespace {

char Text[1024];
char Caption[512];

// SDL is loaded only when a box is to be drawn: a run in the terminal does not pay for loading it,
// and the program runs where SDL is not installed.
using ShowMessageBoxCall = int (*)(const SDL_MessageBoxData *, int *);

ShowMessageBoxCall ShowMessageBox;
bool SdlTried = false;

ShowMessageBoxCall LoadSdl() {
    if (!SdlTried) {
        SdlTried = true;
        // The player's locale, so that the box draws its Japanese text with the player's fonts.
        setlocale(LC_CTYPE, "");
        if (void *library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL))
            ShowMessageBox =
                reinterpret_cast<ShowMessageBoxCall>(dlsym(library, "SDL_ShowMessageBox"));
    }
    return ShowMessageBox;
}

} // namespace

bool ShowSdlBox(const char *text, const char *caption, uint32_t style, int32_t *answer) {
    const ShowMessageBoxCall showMessageBox = LoadSdl();
    if (!showMessageBox || !Cp932ToUtf8(text, std::strlen(text), Text, sizeof Text, false) ||
        !Cp932ToUtf8(caption, std::strlen(caption), Caption, sizeof Caption, false))
        return false;
    // The buttons of a Japanese Windows: OK and キャンセル.
    const SDL_MessageBoxButtonData okOnly[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IdOk,
         "OK"},
    };
    const SDL_MessageBoxButtonData okCancel[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IdOk, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IdCancel,
         "\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE3\x82\xBB\xE3\x83\xAB"},
    };
    const bool withCancel = (style & MbOkCancel) != 0;
    const SDL_MessageBoxData box = {
        (style & MbIconQuestion) ? uint32_t(SDL_MESSAGEBOX_INFORMATION) : 0u,
        nullptr,
        Caption,
        Text,
        withCancel ? 2 : 1,
        withCancel ? okCancel : okOnly,
        nullptr,
    };
    int button = -1;
    if (showMessageBox(&box, &button) < 0) return false;
    // The close box chooses no button: it cancels where there is a Cancel.
    *answer = button == IdOk || !withCancel ? IdOk : IdCancel;
    return true;
}
