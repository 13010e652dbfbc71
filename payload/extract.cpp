#include "payload/extract.h"

#include "payload/expand.h"
#include "payload/record.h"

FileTimes StampTimes;

namespace {

// リソースが見つかりません
constexpr char NoResourceText[] = "\x83\x8A\x83\x5C\x81\x5B\x83\x58\x82\xAA\x8C\xA9\x82\xC2\x82\xA9"
                                  "\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// ファイルがひらけません
constexpr char CannotOpenText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x82\xD0\x82\xE7\x82\xAF\x82\xDC\x82\xB9\x82\xF1";
// ファイルがおおきすぎます
constexpr char TooLargeText[] = "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x82\xA8\x82\xA8\x82\xAB"
                                "\x82\xB7\x82\xAC\x82\xDC\x82\xB7";

// Finds the record and expands it into ExpandBuffer. A record whose compressedLength runs past its
// stored bytes, or whose stream breaks the format, cannot be loaded: writing half a decoded
// executable over the game would be worse than writing nothing.
bool LoadPayload(const char *payloadName, PayloadRecord *record, int32_t *expanded) {
    uint32_t storedSize = 0;
    const uint8_t *stored = PlatformFindPayload(payloadName, &storedSize);
    if (!stored || !ReadPayloadRecord(stored, storedSize, record)) return false;
    ExpandFault fault;
    *expanded = ExpandPayload(ExpandBuffer, record->compressedBytes,
                              int32_t(record->compressedLength), &fault);
    return fault == ExpandClean;
}

} // namespace

ExtractStatus ExtractPayload(const char *targetPath, const char *payloadName) {
    PayloadRecord record;
    int32_t expanded = 0;
    if (!LoadPayload(payloadName, &record, &expanded)) {
        PlatformMessageBox(NoResourceText, payloadName, MbOk);
        return ExtractNoPayload;
    }

    const int32_t file = PlatformOpenForWriting(targetPath);
    if (file < 0) {
        PlatformMessageBox(CannotOpenText, payloadName, MbOk);
        return ExtractOpenFailed;
    }
    if (PlatformWrite(file, ExpandBuffer, uint32_t(expanded)) != expanded) {
        // The box comes while the file is still open; the part written stays as it is.
        PlatformMessageBox(TooLargeText, payloadName, MbOk);
        PlatformClose(file);
        return ExtractShortWrite;
    }
    PlatformClose(file);

    StampTimes.accessTime = record.timeStamp;
    StampTimes.modificationTime = record.timeStamp;
    PlatformSetFileTimes(targetPath, &StampTimes);
    return ExtractOk;
}
