// Turns one stored payload into one file: find, expand, write, stamp.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum ExtractStatus : int32_t {
    ExtractNoPayload = -1, // no record of that name, or one that cannot be loaded
    ExtractOk = 0,
    ExtractOpenFailed = 1, // the target cannot be opened for writing; it is unchanged
    ExtractShortWrite = 2, // the write stored less than the whole payload
};

// The times given to every file written, both set to the record's stamp before each use.
extern FileTimes StampTimes;

// Expands the payload stored under payloadName (matched without regard to case) and writes it over
// the file at targetPath, creating or truncating it, then sets its last-access and last-write
// times to the record's stamp. A failure shows its one message box, captioned with payloadName as
// passed, before it returns. Neither argument is changed.
ExtractStatus ExtractPayload(const char *targetPath, const char *payloadName);
