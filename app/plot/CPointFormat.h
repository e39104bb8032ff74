#pragma once
// CPointFormat: how a marker looks (size, colour, marker kind), with its keyed
// encoding.
#include <cstdint>
#include <optional>

#include "app/plot/Color.h"
#include "platform/KeyedArchive.h"

class CPointFormat : public platform::KeyedEncodable {
public:
    CPointFormat() = default;
    CPointFormat(const CPointFormat&) = default;
    CPointFormat& operator=(const CPointFormat&) = default;

    std::int32_t size() const { return mSize; }
    void setSize(std::int32_t s) { mSize = s; }
    const std::optional<Color>& color() const { return mColor; }
    void setColor(std::optional<Color> c) { mColor = c; }
    std::int32_t selector() const { return mSelector; }
    void setSelector(std::int32_t s) { mSelector = s; }

    std::string archiveClassName() const override { return "CPointFormat"; }
    // "size", "color", "selector".
    void encodeWithCoder(platform::KeyedArchiver& coder) const override;
    void initWithCoder(platform::KeyedUnarchiver& coder);

private:
    std::int32_t mSize = 3;
    std::optional<Color> mColor = Color::redColor();
    std::int32_t mSelector = 3;
};
