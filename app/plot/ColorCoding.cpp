#include "app/plot/ColorCoding.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

void ArchivedColor::encodeWithCoder(platform::KeyedArchiver& coder) const {
    coder.encodeInt("NSColorSpace", 1);
    char buf[128];
    int n = mColor.alpha == 1.0f
                ? std::snprintf(buf, sizeof buf, "%.9g %.9g %.9g", mColor.red, mColor.green, mColor.blue)
                : std::snprintf(buf, sizeof buf, "%.9g %.9g %.9g %.9g", mColor.red, mColor.green, mColor.blue,
                                mColor.alpha);
    std::string text(buf, n > 0 && static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : 0);
    text.push_back('\0');
    coder.encodeBytes("NSRGB", std::move(text));
}

void encodeColor(platform::KeyedArchiver& coder, const std::string& key, const std::optional<Color>& color) {
    if (!color) {
        coder.encodeObject(key, static_cast<const platform::KeyedEncodable*>(nullptr));
        return;
    }
    ArchivedColor archived(*color);
    coder.encodeObject(key, &archived);
}

namespace {
// Up to four numbers of a component text; stops at the first NUL or non-number.
std::vector<float> components(const std::string& bytes) {
    std::string text(bytes.c_str());  // up to the NUL
    std::vector<float> out;
    const char* p = text.c_str();
    while (out.size() < 4) {
        char* end = nullptr;
        float v = std::strtof(p, &end);
        if (end == p) break;
        if (!(v >= 0.0f)) v = 0.0f;  // NaN or negative
        if (v > 1.0f) v = 1.0f;
        out.push_back(v);
        p = end;
    }
    return out;
}
}  // namespace

std::optional<Color> decodeColor(platform::KeyedUnarchiver& coder, std::string_view key) {
    std::optional<Color> result;
    coder.decodeObject(key, [&](platform::KeyedUnarchiver& c) {
        if (c.containsValue("NSRGB")) {
            auto v = components(c.decodeBytes("NSRGB"));
            if (v.size() >= 3) result = Color{v[0], v[1], v[2], v.size() >= 4 ? v[3] : 1.0f};
        } else if (c.containsValue("NSWhite")) {
            auto v = components(c.decodeBytes("NSWhite"));
            if (!v.empty()) result = Color{v[0], v[0], v[0], v.size() >= 2 ? v[1] : 1.0f};
        }
    });
    return result;
}
