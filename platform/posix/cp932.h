// Code page 932, the ANSI code page of the Japanese systems the program's texts are written for.
// Wine keeps registry strings as UTF-16 and file names as UTF-8; the program works in code page
// 932, as a Windows program on such a system does.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int Cp932LeadCount = 60;   // 0x81-0x9F and 0xE0-0xFC
constexpr int Cp932TrailCount = 189; // 0x40-0xFC

struct Cp932Mapping {
    uint16_t unicode;
    uint16_t code; // a single byte, or lead << 8 | trail
};

bool Cp932IsLeadByte(uint8_t byte);

// The code page 932 form of one UTF-16 unit in out, 1 or 2 bytes (their count is returned). A unit
// that the code page cannot hold becomes '?', as the Windows conversion makes it.
int Cp932FromUtf16(uint16_t unit, uint8_t out[2]);

// Converts length bytes of code page 932 text to zero-terminated UTF-8 in out. Fails when out has
// no room; a sequence that is no character fails too when strict, and becomes U+FFFD otherwise.
bool Cp932ToUtf8(const char *text, size_t length, char *out, size_t room, bool strict);
