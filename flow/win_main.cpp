#include "flow/messages.h"
#include "flow/update.h"

const char AppCaption[] = "Olvan update";

namespace {

void Tell(const char *text) {
    PlatformMessageBox(text, AppCaption, MbOk);
}

} // namespace

extern "C" int PLATFORM_ENTRY WinMain(void *, void *, char *, int) {
    ReadDataDir();
    if (DataDir[0] == 0) {
        Tell(NotInstalledText);
        return 0;
    }
    if (!LocateTarget(TargetPath, DataDir)) {
        Tell(NotFoundText);
        return 0;
    }
    if (PlatformMessageBox(ConfirmText, AppCaption, MbOkCancel | MbIconQuestion) != IdOk) return 0;

    switch (RunUpdate()) {
    case ExtractOk:
        Tell(FinishedText);
        break;
    case ExtractOpenFailed:
        // After a failed voice file the executable has been replaced: saying that it cannot be
        // written would tell the player something false.
        if (!ExecutableReplaced) Tell(CannotWriteText);
        break;
    case ExtractShortWrite:
        Tell(DiskFullText);
        break;
    case ExtractNoPayload:
        break; // ExtractPayload has said so
    }
    return 0;
}
