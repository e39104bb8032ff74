#pragma once
// A font as the plotting kit names it: family, size in points, bold, italic.
// An empty family is the platform's default sans-serif face.
#include <string>

#include "app/plot/Color.h"

struct FontDescription {
    std::string family;
    float pointSize = 12.0f;
    bool bold = false;
    bool italic = false;

    bool operator==(const FontDescription&) const = default;

    // The font of axis titles (the system font at its usual size).
    static FontDescription systemFont() { return {"", 13.0f, false, false}; }
    // The font of tick labels and legends (the smaller label font).
    static FontDescription labelFont() { return {"", 10.0f, false, false}; }

    // The PostScript-style name a font of this family is looked up by:
    // "-Bold", "-BoldOblique" or "-Oblique" appended to the family.
    std::string postScriptName() const {
        std::string n = family;
        if (bold) n += "-Bold";
        if (bold && italic) n += "Oblique";
        else if (italic) n += "-Oblique";
        return n;
    }
};

// Text with its own font and colour (the kit's rich text: one run of
// attributes over the whole string).
struct RichText {
    std::string text;
    FontDescription font;
    Color color = Color::blackColor();
    bool operator==(const RichText&) const = default;
};
