#pragma once
// UTF-8 encoding of single code points, shared by the readers that turn
// escapes (RTF \uN and \'hh, XML character references, UTF-16 and Latin-1
// property-list strings) into the UTF-8 text the rest of the system uses,
// and the check of well-formed UTF-8 that the property-list writers make.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The length of the well-formed UTF-8 sequence that starts at s[i] (1 to 4),
// or 0 when the bytes there are not one: a stray continuation byte, a
// truncated sequence, an overlong form, an encoded surrogate or a code point
// above U+10FFFF (the rules of Unicode's Table 3-7).  The code point goes to
// *cp when given.
inline size_t utf8SequenceLength(std::string_view s, size_t i, uint32_t* cp = nullptr) {
    if (i >= s.size()) return 0;
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = byte(0);
    if (c < 0x80) {
        if (cp) *cp = c;
        return 1;
    }
    size_t len;
    uint32_t v;
    unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) len = 2, v = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, v = c & 0x0Fu;
        if (c == 0xE0) lo = 0xA0;  // no overlong forms
        if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, v = c & 0x07u;
        if (c == 0xF0) lo = 0x90;  // no overlong forms
        if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char d = byte(k);
        if (k == 1 ? (d < lo || d > hi) : (d & 0xC0) != 0x80) return 0;
        v = (v << 6) | (d & 0x3Fu);
    }
    if (cp) *cp = v;
    return len;
}

// Whether the bytes are well-formed UTF-8; the offset of the first bad byte
// goes to *bad when they are not.
inline bool isValidUtf8(std::string_view s, size_t* bad = nullptr) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = utf8SequenceLength(s, i);
        if (n == 0) {
            if (bad) *bad = i;
            return false;
        }
        i += n;
    }
    return true;
}

}  // namespace platform
