#pragma once
// CTextFormat: a font as a plot format stores it (name, size in points, style
// bits 1 bold and 2 italic), with its keyed encoding.
#include <cstdint>
#include <string>

#include "platform/KeyedArchive.h"

class CTextFormat : public platform::KeyedEncodable {
public:
    CTextFormat() = default;
    CTextFormat(const CTextFormat&) = delete;
    CTextFormat& operator=(const CTextFormat&) = delete;

    const std::string& fontName() const { return mFontName; }
    void setFontName(const std::string& n) { mFontName = n; }
    std::int32_t size() const { return mSize; }
    void setSize(std::int32_t s) { mSize = s; }
    std::int32_t style() const { return mStyle; }
    bool isBold() const { return (mStyle & 1) != 0; }
    bool isItalic() const { return (mStyle & 2) != 0; }
    void setBold(bool b) { mStyle = b ? (mStyle | 1) : (mStyle & ~1); }
    void setItalic(bool i) { mStyle = i ? (mStyle | 2) : (mStyle & ~2); }

    std::string archiveClassName() const override { return "CTextFormat"; }
    // "size", "fontName", "style".
    void encodeWithCoder(platform::KeyedArchiver& coder) const override;
    // Reads the same keys; absent keys give 0 or an empty name.
    void initWithCoder(platform::KeyedUnarchiver& coder);

private:
    std::string mFontName = "Arial";
    std::int32_t mSize = 10;
    std::int32_t mStyle = 0;
};
