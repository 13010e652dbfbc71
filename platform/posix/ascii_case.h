// Names compared as Windows and Wine compare them: without regard to ASCII letter case.
#pragma once

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool SameIgnoringAsciiCase(const char *a, const char *b) {
    for (; AsciiLower(*a) == AsciiLower(*b); a++, b++)
        if (*a == 0) return true;
    return false;
}
