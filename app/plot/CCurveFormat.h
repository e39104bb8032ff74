#pragma once
// CCurveFormat: how a line looks (width and colour), with its keyed encoding.
#include <cstdint>
#include <optional>

#include "app/plot/Color.h"
#include "platform/KeyedArchive.h"

class CCurveFormat : public platform::KeyedEncodable {
public:
    CCurveFormat() = default;
    CCurveFormat(const CCurveFormat&) = default;
    CCurveFormat& operator=(const CCurveFormat&) = default;

    std::int32_t size() const { return mSize; }
    void setSize(std::int32_t s) { mSize = s; }
    const std::optional<Color>& color() const { return mColor; }
    void setColor(std::optional<Color> c) { mColor = c; }

    std::string archiveClassName() const override { return "CCurveFormat"; }
    // "size", "color".
    void encodeWithCoder(platform::KeyedArchiver& coder) const override;
    void initWithCoder(platform::KeyedUnarchiver& coder);

private:
    std::int32_t mSize = 1;
    std::optional<Color> mColor = Color::redColor();
};
