// Reading a Wine registry file (user.reg, the current user's hive) as Wine loads it: sections
// "[Key\\Path] stamp", then lines "name"=data, where data is "string", str:"...", str(2):"...",
// str(7):"...", dword:hex, hex:bytes or hex(type):bytes (hex data continue over lines that end in a
// backslash). Strings escape with \\, \", \xHHHH (up to four hex digits: one UTF-16 unit), octal
// \NNN and the C escapes. Names of keys and values compare without regard to ASCII letter case,
// and the last well-formed definition of a value wins. The text is read in place; nothing is
// allocated.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t RegistryOk = 0;
constexpr int32_t RegistryNotFound = 2;   // ERROR_FILE_NOT_FOUND
constexpr int32_t RegistryMoreData = 234; // ERROR_MORE_DATA

// Whether the text holds the key at keyPath: a section of that key or of a key below it.
bool RegistryHasKey(const char *text, size_t size, const char *keyPath);

// Delivers the value valueName of the key at keyPath as RegQueryValueExA does on a code page 932
// system: a string (types 1, 2 and 7) converted from UTF-16 to code page 932, anything else as its
// raw bytes. On entry *size is the room in data. RegistryOk when the data fit: they stand in data,
// with *type and *size set. RegistryMoreData when they do not fit, RegistryNotFound when there is
// no such value; nothing is written to data then.
int32_t QueryRegistryValue(const char *text, size_t size, const char *keyPath,
                           const char *valueName, uint32_t *type, uint8_t *data,
                           uint32_t *dataSize);
