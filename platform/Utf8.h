#pragma once
// UTF-8 encoding of single code points, shared by the readers that turn
// escapes (RTF \uN and \'hh, XML character references, UTF-16 and Latin-1
// property-list strings) into the UTF-8 text the rest of the system uses.
#include <string>

namespace platform {

// Appends the UTF-8 form of code point `cp` to `out`.  Values that are not
// Unicode scalar values (surrogates, anything above U+10FFFF) are written as
// U+FFFD REPLACEMENT CHARACTER, so the result is always valid UTF-8.
inline void appendUtf8(std::string& out, unsigned long cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace platform
