#pragma once
// UTF-8 encoding of single code points, shared by the readers that turn
// escapes (RTF \uN and \'hh, XML character references, UTF-16 and Latin-1
// property-list strings) into the UTF-8 text the rest of the system uses,
// the check of well-formed UTF-8 that the property-list writers make, and
// the repair of text that is not well formed.
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

namespace utf8detail {
// What a first byte announces (Unicode's Table 3-7): the length of its
// sequence (0 when it starts none: a continuation byte, C0, C1, F5 to FF),
// the bits it carries and the bounds of the second byte, which exclude
// overlong forms, surrogates and code points above U+10FFFF.
struct Lead {
    size_t length = 0;
    uint32_t bits = 0;
    unsigned char lo = 0x80, hi = 0xBF;
};
inline Lead leadOf(unsigned char c) {
    Lead l;
    if (c < 0x80) l.length = 1, l.bits = c;
    else if (c >= 0xC2 && c <= 0xDF) l.length = 2, l.bits = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF) {
        l.length = 3, l.bits = c & 0x0Fu;
        if (c == 0xE0) l.lo = 0xA0;  // no overlong forms
        if (c == 0xED) l.hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        l.length = 4, l.bits = c & 0x07u;
        if (c == 0xF0) l.lo = 0x90;  // no overlong forms
        if (c == 0xF4) l.hi = 0x8F;  // nothing above U+10FFFF
    }
    return l;
}
// How many bytes from s[i] on follow the lead's rules: the whole sequence
// when it is well formed, else its longest well-formed start (at least the
// first byte), which Unicode calls a maximal subpart.
inline size_t wellFormedPrefix(std::string_view s, size_t i, const Lead& l, uint32_t* cp) {
    if (l.length == 0) return 1;
    uint32_t v = l.bits;
    size_t k = 1;
    for (; k < l.length && i + k < s.size(); ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (d < l.lo || d > l.hi) : (d & 0xC0) != 0x80) break;
        v = (v << 6) | (d & 0x3Fu);
    }
    if (cp) *cp = v;
    return k;
}
}  // namespace utf8detail

// The length of the well-formed UTF-8 sequence that starts at s[i] (1 to 4),
// or 0 when the bytes there are not one: a stray continuation byte, a
// truncated sequence, an overlong form, an encoded surrogate or a code point
// above U+10FFFF (the rules of Unicode's Table 3-7).  The code point goes to
// *cp when given.
inline size_t utf8SequenceLength(std::string_view s, size_t i, uint32_t* cp = nullptr) {
    if (i >= s.size()) return 0;
    const utf8detail::Lead l = utf8detail::leadOf(static_cast<unsigned char>(s[i]));
    uint32_t v = 0;
    if (l.length == 0 || utf8detail::wellFormedPrefix(s, i, l, &v) != l.length) return 0;
    if (cp) *cp = v;
    return l.length;
}

// The bytes as well-formed UTF-8: each ill-formed sequence (a maximal
// subpart of a sequence, or a byte that starts none) becomes one U+FFFD
// REPLACEMENT CHARACTER, as Unicode's chapter 3 recommends; well-formed text
// comes back as it was.  The number of replacements goes to *replaced.
inline std::string repairedUtf8(std::string_view s, size_t* replaced = nullptr) {
    std::string out;
    out.reserve(s.size());
    size_t count = 0;
    for (size_t i = 0; i < s.size();) {
        const utf8detail::Lead l = utf8detail::leadOf(static_cast<unsigned char>(s[i]));
        const size_t n = utf8detail::wellFormedPrefix(s, i, l, nullptr);
        if (l.length != 0 && n == l.length) {
            out.append(s.substr(i, n));
        } else {
            appendUtf8(out, 0xFFFD);
            ++count;
        }
        i += n;
    }
    if (replaced) *replaced = count;
    return out;
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
