#pragma once
// Reads the RTF that the log window receives into runs of formatted text.
//
// The subset understood is what the system writes: the font table (\f<n> with
// a name; "-Bold"/"-Italic" suffixes of PostScript names make the run bold or
// italic), the colour table (\red \green \blue), \f, \fs (half-points), \cf,
// \b, \i, \ul/\ulnone, \plain, \par, \line, \tab, \~ and the escapes \\ \{ \}
// \'hh (Windows-1252) and \uN.  Other control words are skipped; the text
// around them is kept with the formatting in force.  Destination groups
// (\*, \info, \stylesheet, \pict, ...) are dropped.  Input that is not RTF at
// all is reported so that the caller can show it as plain text.
#include <string>
#include <string_view>
#include <vector>

struct RtfColor {
    bool automatic = true;  // the text's default colour
    int red = 0, green = 0, blue = 0;
    bool operator==(const RtfColor&) const = default;
};

struct RtfRun {
    std::string text;  // UTF-8
    std::string font;  // family name; empty when the document names none
    double pointSize = 12.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    RtfColor color;
};

struct RtfDocument {
    bool isRTF = false;  // false: the input does not start with "{\rtf"
    std::vector<RtfRun> runs;
    std::string plainText() const;
};

RtfDocument readRTF(std::string_view rtf);
