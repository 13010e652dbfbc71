// Texts written in the tests as UTF-8 and compared as code page 932 bytes, converted by the C
// library, apart from the program's own tables.
#pragma once

#include <iconv.h>

#include <cstdlib>
#include <string>

inline std::string Convert(const std::string &text, const char *to, const char *from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) std::abort();
    std::string out(text.size() * 4 + 4, '\0');
    char *in = const_cast<char *>(text.data());
    char *at = out.data();
    size_t left = text.size(), room = out.size();
    if (iconv(cd, &in, &left, &at, &room) == size_t(-1)) std::abort();
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

inline std::string Cp932(const std::string &utf8) {
    return Convert(utf8, "CP932", "UTF-8");
}
inline std::string Utf8(const std::string &cp932) {
    return Convert(cp932, "UTF-8", "CP932");
}

// A code page 932 string as Wine writes it in a registry file, between the quotes: every
// character past ASCII as \x and its UTF-16 unit, backslashes and quotes escaped.
inline std::string WineRegString(const std::string &cp932) {
    const std::string units = Convert(cp932, "UTF-16LE", "CP932");
    std::string out;
    char hex[8];
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
        const unsigned unit = uint8_t(units[i]) | uint8_t(units[i + 1]) << 8;
        if (unit > 127) {
            std::snprintf(hex, sizeof hex, "\\x%04x", unit);
            out += hex;
        } else {
            if (unit == '\\' || unit == '"') out += '\\';
            out += char(unit);
        }
    }
    return out;
}
