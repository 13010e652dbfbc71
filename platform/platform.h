// What the update needs from the system it runs on, in the update's own terms. One implementation
// per platform is linked in: platform/win32 for the Windows program, platform/posix for a game
// installed in a Wine prefix. Strings are zero-terminated, in the system's ANSI code page (code
// page 932 on the Japanese systems the texts are written for); paths are Windows paths.
#pragma once

#include <cstdint>

// The Windows start-up code calls WinMain with the stdcall convention.
#if defined(_WIN32)
#define PLATFORM_ENTRY __stdcall
#else
#define PLATFORM_ENTRY
#endif

// Message boxes, always modal and without an owner window.
constexpr uint32_t MbOk = 0x00;
constexpr uint32_t MbOkCancel = 0x01;
constexpr uint32_t MbIconQuestion = 0x20;
constexpr int32_t IdOk = 1;
constexpr int32_t IdCancel = 2;

// Waits until the user dismisses the box; returns IdOk for OK, IdCancel for Cancel, Esc or the
// close box, and 0 when no box can be shown.
int32_t PlatformMessageBox(const char *text, const char *caption, uint32_t style);

// The per-user registry, read only.
struct RegistryKey;
constexpr uint32_t RegSz = 1;

// Opens the key at path below the current user's hive for reading. 0 and *key on success,
// non-zero when the key cannot be opened.
int32_t PlatformOpenUserKey(const char *path, RegistryKey **key);

// Reads a value as RegQueryValueExA does: *size holds the room in data on entry. Returns 0 when
// the value's data, strings converted to the ANSI code page, fit into that room and now stand in
// data (*type and *size then tell their type and length); non-zero when the value is missing,
// does not fit, or cannot be read.
int32_t PlatformQueryValue(RegistryKey *key, const char *name, uint32_t *type, uint8_t *data,
                           uint32_t *size);

void PlatformCloseKey(RegistryKey *key);

// The file system.
constexpr uint32_t InvalidFileAttributes = 0xFFFFFFFF;

// A path's attributes, or InvalidFileAttributes when nothing is found or nothing can be asked
// there.
uint32_t PlatformPathAttributes(const char *path);

// Opens a file for writing only, without any line-end translation: creates it where it is missing,
// readable and writable by its owner, and truncates it to length 0 where it exists. Returns -1
// where it cannot be opened for writing (a folder, a read-only file, one held by another program,
// a missing folder on the way); nothing is truncated then.
int32_t PlatformOpenForWriting(const char *path);

// One write of size bytes; returns how many it stored, or -1. A size of 0 writes nothing and
// returns 0.
int32_t PlatformWrite(int32_t file, const void *data, uint32_t size);

void PlatformClose(int32_t file);

// Seconds since 1970-01-01 00:00:00 UTC.
struct FileTimes {
    int32_t accessTime;
    int32_t modificationTime;
};

// Sets a file's last-access and last-write times, found again by its path, to those instants; the
// creation time stays. A negative time sets nothing. 0 on success, -1 otherwise.
int32_t PlatformSetFileTimes(const char *path, const FileTimes *times);

// Makes that one folder, not its parents: 0 on success, -1 when it exists already or its parent
// is missing.
int32_t PlatformMakeFolder(const char *path);

// The payload records stored in the program: the record whose name matches without regard to
// letter case, read where it is stored, with its stored size; null when there is none.
const uint8_t *PlatformFindPayload(const char *name, uint32_t *storedSize);

// Whether a byte starts a double-byte character in the system's ANSI code page.
bool PlatformIsLeadByte(uint8_t byte);
