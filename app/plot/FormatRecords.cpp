// Keyed encoding of the format records.
#include "app/plot/CCurveFormat.h"
#include "app/plot/CPlotFormat.h"
#include "app/plot/CPointFormat.h"
#include "app/plot/CTextFormat.h"
#include "app/plot/ColorCoding.h"

#include <cstdint>

namespace {
std::int32_t decodeInt32(platform::KeyedUnarchiver& coder, std::string_view key) {
    // Values outside the 32-bit range are clamped rather than wrapped.
    int64_t v = coder.decodeInt(key);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}
}  // namespace

void CTextFormat::encodeWithCoder(platform::KeyedArchiver& coder) const {
    coder.encodeInt("size", mSize);
    coder.encodeObject("fontName", platform::PropertyList::string(mFontName));
    coder.encodeInt("style", mStyle);
}

void CTextFormat::initWithCoder(platform::KeyedUnarchiver& coder) {
    mSize = decodeInt32(coder, "size");
    platform::PropertyList name;
    if (coder.decodeObject("fontName", name).ok && name.isString()) mFontName = name.stringValue();
    else mFontName.clear();
    mStyle = decodeInt32(coder, "style");
}

void CCurveFormat::encodeWithCoder(platform::KeyedArchiver& coder) const {
    coder.encodeInt("size", mSize);
    encodeColor(coder, "color", mColor);
}

void CCurveFormat::initWithCoder(platform::KeyedUnarchiver& coder) {
    mSize = decodeInt32(coder, "size");
    mColor = decodeColor(coder, "color");
}

void CPointFormat::encodeWithCoder(platform::KeyedArchiver& coder) const {
    coder.encodeInt("size", mSize);
    encodeColor(coder, "color", mColor);
    coder.encodeInt("selector", mSelector);
}

void CPointFormat::initWithCoder(platform::KeyedUnarchiver& coder) {
    mSize = decodeInt32(coder, "size");
    mColor = decodeColor(coder, "color");
    mSelector = decodeInt32(coder, "selector");
}

CPlotFormat::CPlotFormat()
    : mLegendFormat(std::make_shared<CTextFormat>()),
      mLabelsFormat(std::make_shared<CTextFormat>()),
      mTicksFormat(std::make_shared<CTextFormat>()) {}

void CPlotFormat::encodeWithCoder(platform::KeyedArchiver& coder) const {
    coder.encodeFloat("minX", mMinX);
    coder.encodeFloat("maxX", mMaxX);
    coder.encodeFloat("minY", mMinY);
    coder.encodeFloat("maxY", mMaxY);
    coder.encodeFloat("currentMinX", mCurrentMinX);
    coder.encodeFloat("currentMaxX", mCurrentMaxX);
    coder.encodeFloat("currentMinY", mCurrentMinY);
    coder.encodeFloat("currentMaxY", mCurrentMaxY);
    coder.encodeFloat("legendX", mLegendX);
    coder.encodeFloat("legendY", mLegendY);
    coder.encodeObject("legend", mLegendFormat.get());
    coder.encodeObject("labels", mLabelsFormat.get());
    coder.encodeObject("ticks", mTicksFormat.get());
}

void CPlotFormat::initWithCoder(platform::KeyedUnarchiver& coder) {
    mMinX = coder.decodeFloat("minX");
    mMaxX = coder.decodeFloat("maxX");
    mMinY = coder.decodeFloat("minY");
    mMaxY = coder.decodeFloat("maxY");
    mCurrentMinX = coder.decodeFloat("currentMinX");
    mCurrentMaxX = coder.decodeFloat("currentMaxX");
    mCurrentMinY = coder.decodeFloat("currentMinY");
    mCurrentMaxY = coder.decodeFloat("currentMaxY");
    mLegendX = coder.decodeFloat("legendX");
    mLegendY = coder.decodeFloat("legendY");
    auto readText = [&](std::string_view key) -> std::shared_ptr<CTextFormat> {
        auto f = std::make_shared<CTextFormat>();
        if (!coder.decodeObject(key, [&](platform::KeyedUnarchiver& c) { f->initWithCoder(c); })) return nullptr;
        return f;
    };
    mLegendFormat = readText("legend");
    mLabelsFormat = readText("labels");
    mTicksFormat = readText("ticks");
}
