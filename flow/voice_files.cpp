// The C header before any C++ one: a libstdc++ header switches MinGW's stdio to MinGW's own
// printf, and the Windows program formats its names with the runtime's sprintf.
#include <stdio.h>

#include <cstring>

#include "flow/messages.h"
#include "flow/update.h"

const char VoiceFileTable[VoiceFileCount][9] = {"12QAAS03"};

namespace {

// The presence check names one fixed file, whatever the table holds.
constexpr char PresenceTail[] = "\\voice\\kelo\\10226a_a\\12QAAS03.PCM";
constexpr char VoiceFolderTail[] = "\\voice\\kelo\\10226a_a";
constexpr char FileNameFormat[] = "\\%s.pcm";
constexpr char PayloadNameFormat[] = "%s.pck";

// A base name of eight characters makes a path as long as the presence check's, so where that
// one fits, every voice path fits.
static_assert(sizeof VoiceFolderTail - 1 + sizeof FileNameFormat - 1 - 2 + 8 ==
                  sizeof PresenceTail - 1,
              "voice paths are no longer than the presence check's");

char PresencePath[PathBufferSize];
char NameBuffer[80];

} // namespace

ExtractStatus RefreshVoiceFiles() {
    // A folder too long for the voice paths cannot hold the voice data.
    if (!ComposePath(PresencePath, DataDir, PresenceTail)) return ExtractOk;
    if (PlatformPathAttributes(PresencePath) == InvalidFileAttributes) return ExtractOk;

    for (const char *baseName : VoiceFileTable) {
        ComposePath(TargetPath, DataDir, VoiceFolderTail);
        // Only the last folder is ever made, and its result does not matter: after a passed
        // presence check it exists already.
        PlatformMakeFolder(TargetPath);
        sprintf(NameBuffer, FileNameFormat, baseName);
        std::strcat(TargetPath, NameBuffer);
        sprintf(NameBuffer, PayloadNameFormat, baseName);
        const ExtractStatus status = ExtractPayload(TargetPath, NameBuffer);
        if (status != ExtractOk) {
            PlatformMessageBox(VoiceCannotWriteText, AppCaption, MbOk);
            return status;
        }
    }
    return ExtractOk;
}
