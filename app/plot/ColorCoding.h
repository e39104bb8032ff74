#pragma once
// Colours in keyed archives, stored as the platform's colour objects are:
// class "NSColor" with the colour space under "NSColorSpace" (1 calibrated
// RGB) and the components as text under "NSRGB" ("r g b", alpha added when
// it is not 1, ending with a NUL byte).  Grey colours ("NSWhite", spaces 3
// and 4) are read too.
#include <optional>
#include <string>
#include <string_view>

#include "app/plot/Color.h"
#include "platform/KeyedArchive.h"

class ArchivedColor : public platform::KeyedEncodable {
public:
    explicit ArchivedColor(const Color& c) : mColor(c) {}
    std::string archiveClassName() const override { return "NSColor"; }
    void encodeWithCoder(platform::KeyedArchiver& coder) const override;

private:
    Color mColor;
};

// Encodes the colour under key (nil when absent).
void encodeColor(platform::KeyedArchiver& coder, const std::string& key, const std::optional<Color>& color);
// The colour under key; nothing when absent, nil or unreadable.
std::optional<Color> decodeColor(platform::KeyedUnarchiver& coder, std::string_view key);
