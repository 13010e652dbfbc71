// The update flow: from the program's entry to the last message.
#pragma once

#include <cstdint>

#include "payload/extract.h"
#include "platform/platform.h"

constexpr int32_t PathBufferSize = 260;

// The install folder as the registry value delivers it: at most 259 bytes and a zero, empty when
// no folder is known. LocateTarget trims one trailing backslash from it, in place, for the rest
// of the run.
extern char DataDir[PathBufferSize];

// The one target path composed at a time; ExtractPayload writes the file that it names.
extern char TargetPath[PathBufferSize];

// "Olvan update": the caption of every box but ExtractPayload's.
extern const char AppCaption[];

// The voice files to write, by base name: eight characters at most.
constexpr int32_t VoiceFileCount = 1;
extern const char VoiceFileTable[VoiceFileCount][9];

// The executable's path below the install folder, and the name of its payload.
constexpr char ExecutableTail[] = "\\olvan.exe";
constexpr char ExecutablePayloadName[] = "olvan.pck";

// Fills DataDir from the value "DataDir" of the key "Software\Brenmo\Olvan" of the current user,
// or leaves it empty.
void ReadDataDir();

// Trims one trailing backslash from folder, composes the executable's path in pathBuffer and
// tells whether something (a file or a folder) is there: 1, else 0.
int32_t LocateTarget(char *pathBuffer, char *folder);

// Writes the executable, then refreshes the voice files; returns the first status other than
// ExtractOk, or ExtractOk.
ExtractStatus RunUpdate();

// Whether the last RunUpdate replaced the executable before it returned.
extern bool ExecutableReplaced;

// The voice phase: writes each entry of VoiceFileTable where the voice data is installed.
ExtractStatus RefreshVoiceFiles();

// Copies folder and then tail into buffer, a path buffer of PathBufferSize bytes. Fails, changing
// nothing, when the two and a zero do not fit.
bool ComposePath(char *buffer, const char *folder, const char *tail);

// The program: reads none of its arguments and always returns 0.
extern "C" int PLATFORM_ENTRY WinMain(void *instance, void *previousInstance, char *commandLine,
                                      int showCommand);
