#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <cstring>
#include <algorithm>
#include <sstream>

#include "platform/DataFiles.h"
#include "platform/PropertyList.h"
#include "platform/Utf8.h"
#include "platform/tests/Fixtures.h"

using platform::PlistFormat;
using platform::PropertyList;

namespace {

// The first and the last second of the years 1 to 9999 in seconds from
// 2001-01-01T00:00:00Z (Python: datetime(1, 1, 1) - datetime(2001, 1, 1), and
// datetime(9999, 12, 31, 23, 59, 59) - datetime(2001, 1, 1), in UTC).
constexpr double kFirstXMLDate = -63113904000.0;
constexpr double kLastXMLDate = 252423993599.0;

PropertyList sample() {
    PropertyList d = PropertyList::dictionary();
    d.set("name", PropertyList::string("Etna"));
    d.set("unicode", PropertyList::string("\xC2\xB0" "C \xF0\x9F\x8C\x8B"));  // degree sign, a volcano
    d.set("long", PropertyList::string(std::string(300, 'x')));
    d.set("P0", PropertyList::real(1572.0));
    d.set("tiny", PropertyList::real(6.8e-08));
    d.set("fluid", PropertyList::integer(3));
    d.set("neg", PropertyList::integer(-5));
    d.set("big", PropertyList::integer(INT64_MAX));
    d.set("min", PropertyList::integer(INT64_MIN));
    d.set("flag", PropertyList::boolean(true));
    d.set("blob", PropertyList::data(std::string("\0\1\2\xff", 4)));
    d.set("when", PropertyList::date(86400.0));
    d.set("ref", PropertyList::uid(300));
    PropertyList many = PropertyList::array();
    for (int i = 0; i < 400; ++i) many.append(PropertyList::real(i * 0.5));  // > 255 objects: 2-byte references
    d.set("many", many);
    PropertyList nested = PropertyList::array();
    nested.append(PropertyList::array());
    nested.append(PropertyList::dictionary());
    d.set("nested", nested);
    return d;
}

// --- the value type --------------------------------------------------------

TEST(PropertyList, DictionaryKeepsKeysSortedAndUnique) {
    PropertyList d;
    d.set("b", PropertyList::integer(1));
    d.set("a", PropertyList::integer(2));
    d.set("b", PropertyList::integer(3));
    ASSERT_TRUE(d.isDictionary());
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(d.find("b")->integerValue(), 3);
    EXPECT_EQ(d.find("c"), nullptr);
    EXPECT_TRUE(d.remove("a"));
    EXPECT_FALSE(d.remove("a"));
    EXPECT_EQ(d.size(), 1u);
    // Accessors of the wrong type give neutral values.
    EXPECT_EQ(PropertyList::string("7").integerValue(), 0);
    EXPECT_EQ(PropertyList::real(NAN).integerValue(), 0);
    EXPECT_EQ(PropertyList::real(1e300).integerValue(), INT64_MAX);
    EXPECT_TRUE(PropertyList::integer(1).at(3).isNull());
}

// --- binary and XML round trips ---------------------------------------------

TEST(PropertyList, BinaryRoundTripKeepsEveryType) {
    PropertyList d = sample();
    std::string bytes = platform::writeBinaryPropertyList(d);
    ASSERT_EQ(bytes.substr(0, 8), "bplist00");
    PropertyList back;
    auto r = platform::readBinaryPropertyList(bytes, back);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(back, d);
    EXPECT_TRUE(back.find("fluid")->isInteger());
    EXPECT_TRUE(back.find("P0")->isReal());
}

TEST(PropertyList, XMLRoundTripKeepsEveryType) {
    PropertyList d = sample();
    std::string xml = platform::writeXMLPropertyList(d);
    PropertyList back;
    PlistFormat f = PlistFormat::Binary;
    auto r = platform::readPropertyList(xml, back, &f);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(f, PlistFormat::XML);
    EXPECT_EQ(back, d);
    // Markup characters in strings survive.
    PropertyList s = PropertyList::string("a<b & c>d \"q\"");
    ASSERT_TRUE(platform::readXMLPropertyList(platform::writeXMLPropertyList(s), back).ok);
    EXPECT_EQ(back, s);
}

// --- files written independently by Python's plistlib ------------------------

TEST(PropertyList, ReadsPlistlibFixturesBinaryAndXML) {
    PropertyList bin, xml;
    auto rb = platform::readPropertyList(fixture("plain.bplist"), bin);
    auto rx = platform::readPropertyList(fixture("plain.xml"), xml);
    ASSERT_TRUE(rb.ok) << rb.error;
    ASSERT_TRUE(rx.ok) << rx.error;
    EXPECT_EQ(bin, xml);
    EXPECT_EQ(bin.find("string")->stringValue(), "plain ascii");
    EXPECT_EQ(bin.find("unicode")->stringValue(), "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x8B");
    const PropertyList& ints = *bin.find("ints");
    std::vector<int64_t> want{0, 1, 255, 256, 65535, 65536, int64_t(1) << 32, -1, INT64_MIN, INT64_MAX};
    ASSERT_EQ(ints.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(ints.at(i).integerValue(), want[i]) << i;
    EXPECT_DOUBLE_EQ(bin.find("reals")->at(3).realValue(), 6.8e-08);
    EXPECT_EQ(bin.find("data")->stringValue().size(), 40u);
    EXPECT_EQ(bin.find("data")->stringValue()[39], '\x27');
    // 2001-01-02T03:04:05Z is one day, 3 h 4 min 5 s after the reference date.
    EXPECT_TRUE(bin.find("date")->isDate());
    EXPECT_DOUBLE_EQ(bin.find("date")->realValue(), 86400 + 3 * 3600 + 4 * 60 + 5);
    EXPECT_EQ(bin.find("nested")->find("b")->stringValue(), std::string(20, 'x'));
}

// --- defensive reading -------------------------------------------------------

// A hand-made binary property list: objects given as raw bytes, one-byte offsets and references.
std::string handMade(const std::vector<std::string>& objects, uint8_t top = 0) {
    std::string b = "bplist00";
    std::vector<uint8_t> offsets;
    for (const std::string& o : objects) {
        offsets.push_back(static_cast<uint8_t>(b.size()));
        b += o;
    }
    size_t table = b.size();
    for (uint8_t o : offsets) b += static_cast<char>(o);
    b.append(6, '\0');
    b += '\x01';
    b += '\x01';
    for (int i = 0; i < 7; ++i) b += '\0';
    b += static_cast<char>(objects.size());
    for (int i = 0; i < 7; ++i) b += '\0';
    b += static_cast<char>(top);
    for (int i = 0; i < 7; ++i) b += '\0';
    b += static_cast<char>(table);
    return b;
}

TEST(PropertyList, RefusesCyclesDeepNestingAndExpansion) {
    PropertyList out;
    // An array that contains itself.
    auto r = platform::readBinaryPropertyList(handMade({std::string("\xA1\x00", 2)}), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("contains itself"), std::string::npos) << r.error;
    // Two arrays that contain each other.
    r = platform::readBinaryPropertyList(handMade({"\xA1\x01", std::string("\xA1\x00", 2)}), out);
    EXPECT_FALSE(r.ok);
    // A shared chain: each array holds the next one twice; 60 levels would expand to 2^60 values.
    std::vector<std::string> chain;
    for (int i = 0; i < 60; ++i) chain.push_back(std::string("\xA2") + char(i + 1) + char(i + 1));
    chain.push_back("\x10\x07");
    r = platform::readBinaryPropertyList(handMade(chain), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("expand"), std::string::npos) << r.error;
    // A reference out of range, a dictionary key that is not a string, an unknown marker.
    EXPECT_FALSE(platform::readBinaryPropertyList(handMade({"\xA1\x05"}), out).ok);
    EXPECT_FALSE(platform::readBinaryPropertyList(handMade({"\xD1\x01\x01", "\x10\x01"}), out).ok);
    EXPECT_FALSE(platform::readBinaryPropertyList(handMade({"\x90"}), out).ok);
    // A count far beyond the file.
    EXPECT_FALSE(platform::readBinaryPropertyList(handMade({std::string("\xAF\x13\x00\x00\x00\x00\xFF\xFF\xFF\xFF", 10)}), out).ok);
    // A top object outside the table.
    EXPECT_FALSE(platform::readBinaryPropertyList(handMade({"\x10\x01"}, 3), out).ok);
    // Deep XML nesting.
    std::string deep = "<plist>";
    for (int i = 0; i < 2000; ++i) deep += "<array>";
    EXPECT_FALSE(platform::readXMLPropertyList(deep, out).ok);
    // The value given is left alone when reading fails.
    out = PropertyList::string("kept");
    EXPECT_FALSE(platform::readPropertyList("not a plist", out).ok);
    EXPECT_EQ(out.stringValue(), "kept");
}

TEST(PropertyList, EveryTruncationAndCorruptionIsHandled) {
    const std::string good = platform::writeBinaryPropertyList(sample());
    PropertyList out;
    for (size_t n = 0; n < good.size(); ++n) {
        auto r = platform::readPropertyList(std::string_view(good).substr(0, n), out);
        EXPECT_FALSE(r.ok) << "prefix " << n;
        EXPECT_FALSE(r.error.empty());
    }
    // Random byte changes either read or are refused; neither crashes (the sanitizers watch).
    std::mt19937 rng(12345);
    for (int k = 0; k < 3000; ++k) {
        std::string bad = good;
        int changes = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < changes; ++c) bad[rng() % bad.size()] = static_cast<char>(rng() & 0xFF);
        (void)platform::readPropertyList(bad, out);
    }
    const std::string xml = platform::writeXMLPropertyList(sample());
    for (size_t n = 0; n + 1 < xml.size(); n += 7) {
        auto r = platform::readPropertyList(std::string_view(xml).substr(0, n), out);
        EXPECT_FALSE(r.ok) << "prefix " << n;
    }
    for (int k = 0; k < 1000; ++k) {
        std::string bad = xml;
        bad[rng() % bad.size()] = "<>&/;x0 \n"[rng() % 9];
        (void)platform::readPropertyList(bad, out);
    }
}

TEST(PropertyList, XMLReaderRefusesMalformedValues) {
    PropertyList out;
    const char* bad[] = {
        "<plist><integer>12a</integer></plist>",
        "<plist><integer>99999999999999999999</integer></plist>",
        "<plist><real>1.5.2</real></plist>",
        "<plist><date>2001-13-01T00:00:00Z</date></plist>",
        "<plist><data>@@@@</data></plist>",
        "<plist><dict><string>a</string></dict></plist>",
        "<plist><dict><key>a</key></dict></plist>",
        "<plist><string>a &bogus; b</string></plist>",
        "<plist><string>unterminated</plist>",
        "<plist><unknown/></plist>",
        "<plist><true/><false/></plist>",
    };
    for (const char* s : bad) EXPECT_FALSE(platform::readXMLPropertyList(s, out).ok) << s;
    ASSERT_TRUE(platform::readXMLPropertyList("<?xml version=\"1.0\"?><!-- c --><plist version=\"1.0\"><dict>"
                                              "<key>a&amp;b</key><string><![CDATA[<x>]]>&#xB0;</string>"
                                              "<key>n</key><integer> -0x10 </integer></dict></plist>",
                                              out)
                    .ok);
    EXPECT_EQ(out.find("a&b")->stringValue(), "<x>\xC2\xB0");
    EXPECT_EQ(out.find("n")->integerValue(), -16);
}

// --- random round trips and what cannot be written ---------------------------

// A random tree of every type with the values writers find hardest: dates far
// in the past and future with fractions of a second, UIDs over the whole 32
// bits, strings of every length of UTF-8 sequence (with the code points at the
// edges of each), reals of every class, nesting down to the readers' limit.
class RandomTree {
public:
    RandomTree(uint32_t seed, PlistFormat format) : rng_(seed), xml_(format == PlistFormat::XML) {}

    PropertyList tree(int depth = 0) {
        const int kind = static_cast<int>(rng_() % (depth < 4 ? 12 : 9));
        if (kind >= 9) {
            PropertyList c = kind == 9 ? PropertyList::array() : PropertyList::dictionary();
            const int n = static_cast<int>(rng_() % 5);
            for (int i = 0; i < n; ++i) {
                if (c.isArray()) c.append(tree(depth + 1));
                else c.set(text(), tree(depth + 1));
            }
            return c;
        }
        return scalar(kind);
    }

    PropertyList scalar(int kind) {
        switch (kind) {
        case 0: return PropertyList::boolean(rng_() & 1);
        case 1: {
            const int64_t edges[] = {0, -1, 255, 256, 65535, 65536, 4294967295ll, 4294967296ll, INT64_MIN, INT64_MAX};
            return PropertyList::integer(rng_() % 3 == 0 ? edges[rng_() % 10] : static_cast<int64_t>(rng_()));
        }
        case 2: {
            const double edges[] = {0.0, -0.0, NAN, INFINITY, -INFINITY, 5e-324, 1.7976931348623157e308, 0.1, -6.8e-08};
            if (rng_() % 3 == 0) return PropertyList::real(edges[rng_() % 9]);
            uint64_t bits = rng_();
            double v;
            std::memcpy(&v, &bits, 8);
            return PropertyList::real(v);
        }
        case 3: return PropertyList::string(text());
        case 4: {
            std::string bytes(rng_() % 40, '\0');
            for (char& c : bytes) c = static_cast<char>(rng_());
            return PropertyList::data(bytes);
        }
        case 5: return PropertyList::date(date());
        case 6: {
            const uint64_t edges[] = {0, 1, 255, 256, 65535, 65536, 0xFFFFFFFFull};
            return PropertyList::uid(rng_() % 2 ? edges[rng_() % 7] : rng_() & 0xFFFFFFFFull);
        }
        case 7: return xml_ ? PropertyList::string("") : PropertyList();
        default: {
            const double t = std::ldexp(static_cast<double>(rng_() % 1000), -10);  // fractions near 2001
            return PropertyList::date(t);
        }
        }
    }

    // Seconds from 2001: in XML the years 1 to 9999 (the dates XML is
    // written with), in binary anything; fractional or not.
    double date() {
        if (xml_) {
            switch (rng_() % 3) {
            case 0: return std::uniform_real_distribution<double>(kFirstXMLDate, kLastXMLDate + 1)(rng_);
            case 1: return rng_() & 1 ? kFirstXMLDate : kLastXMLDate;
            default: return (rng_() & 1 ? 1 : -1) * std::ldexp(static_cast<double>(rng_() % (1u << 20)), -static_cast<int>(rng_() % 20));
            }
        }
        const double limit = 1e15;
        switch (rng_() % 5) {
        case 0: return (rng_() & 1 ? 1 : -1) * limit * std::uniform_real_distribution<double>(0, 1)(rng_);
        case 1: return std::floor((rng_() & 1 ? 1 : -1) * limit * std::uniform_real_distribution<double>(0, 1)(rng_));
        case 2: return (rng_() & 1 ? 1 : -1) * std::ldexp(static_cast<double>(rng_() % (1u << 20)), -static_cast<int>(rng_() % 40));
        case 3: return (rng_() & 1 ? limit : -limit);
        default: {
            const double odd[] = {NAN, INFINITY, -1e300, 1e300};
            return odd[rng_() % 4];
        }
        }
    }

    // A string of ASCII (controls too, where the format holds them) and
    // 2-, 3- and 4-byte sequences, the code points at their edges among them.
    std::string text() {
        static const uint32_t edges[] = {0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF, 0xFEFF};
        std::string s;
        const int n = static_cast<int>(rng_() % 12);
        for (int i = 0; i < n; ++i) {
            uint32_t cp;
            switch (rng_() % 6) {
            case 0: cp = 0x20 + rng_() % 0x5F; break;
            case 1: cp = rng_() % 0x20; break;
            case 2: cp = 0x80 + rng_() % 0x780; break;
            case 3: cp = 0x800 + rng_() % 0xF800; break;
            case 4: cp = 0x10000 + rng_() % 0x100000; break;
            default: cp = edges[rng_() % 11]; break;
            }
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xE000;  // not a character
            if (xml_ && ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || cp == 0xFFFE || cp == 0xFFFF)) cp = '\r';
            platform::appendUtf8(s, cp);
        }
        return s;
    }

private:
    std::mt19937_64 rng_;
    bool xml_;
};

// Arrays nested n deep around one value.
PropertyList nested(int n, PropertyList inner) {
    for (int i = 0; i < n; ++i) inner = PropertyList::array({std::move(inner)});
    return inner;
}

TEST(PropertyList, WhatEachWriterWritesItsReaderReadsBackAsItWas) {
    for (PlistFormat format : {PlistFormat::Binary, PlistFormat::XML}) {
        const bool xml = format == PlistFormat::XML;
        SCOPED_TRACE(xml ? "XML" : "binary");
        auto roundTrip = [&](const PropertyList& v) {
            std::string error;
            const std::string bytes = xml ? platform::writeXMLPropertyList(v, &error) : platform::writeBinaryPropertyList(v, &error);
            ASSERT_FALSE(bytes.empty()) << error;
            PropertyList back;
            PlistFormat read = xml ? PlistFormat::Binary : PlistFormat::XML;
            auto r = platform::readPropertyList(bytes, back, &read);
            ASSERT_TRUE(r.ok) << r.error;
            EXPECT_EQ(read, format);
            EXPECT_EQ(back, v);
        };
        for (uint32_t seed = 1; seed <= 300; ++seed) {
            RandomTree random(seed, format);
            roundTrip(random.tree());
        }
        // The deepest nesting the readers take, around each kind of value.
        RandomTree random(7, format);
        for (int kind = 0; kind < 9; ++kind) roundTrip(nested(PropertyList::kMaxDepth, random.scalar(kind)));
        roundTrip(nested(PropertyList::kMaxDepth - 1, PropertyList::dictionary()));
    }
}

TEST(PropertyList, XMLDatesKeepTheirFractionOfASecond) {
    // ISO 8601 in UTC, the fraction of the second in the fewest decimals that
    // read back as the same date; the first and the last seconds of the
    // years 1 to 9999 (their offsets from 2001 by Python's datetime:
    // -63113904000 s and 252423993599 s).  In the second before 2001 the
    // decimals are those of 1 - |t|.
    const std::vector<std::pair<double, std::string>> cases{
        {0.0, "2001-01-01T00:00:00Z"},
        {0.1, "2001-01-01T00:00:00.1Z"},
        {0.999, "2001-01-01T00:00:00.999Z"},
        {-0.5, "2000-12-31T23:59:59.5Z"},
        {-0.3, "2000-12-31T23:59:59.7Z"},
        {-1e-20, "2000-12-31T23:59:59.99999999999999999999Z"},
        {-1.25, "2000-12-31T23:59:58.75Z"},
        {86400.0 + 3 * 3600 + 4 * 60 + 5.75, "2001-01-02T03:04:05.75Z"},
        {kFirstXMLDate, "0001-01-01T00:00:00Z"},
        {kLastXMLDate + 0.5, "9999-12-31T23:59:59.5Z"},
        {std::ldexp(1.0, -30), "2001-01-01T00:00:00.0000000009313225746154785Z"},
    };
    PropertyList dates = PropertyList::array();
    for (const auto& [t, text] : cases) dates.append(PropertyList::date(t));
    std::string error;
    const std::string xml = platform::writeXMLPropertyList(dates, &error);
    ASSERT_FALSE(xml.empty()) << error;
    const std::regex date("<date>([^<]*)</date>");
    std::vector<std::string> written;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), date); it != std::sregex_iterator(); ++it)
        written.push_back((*it)[1]);
    ASSERT_EQ(written.size(), cases.size()) << xml;
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(written[i], cases[i].second) << cases[i].first;
    // Read back: each date to the bit.
    PropertyList back;
    ASSERT_TRUE(platform::readXMLPropertyList(xml, back).ok);
    ASSERT_EQ(back.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_TRUE(back.at(i).isDate());
        EXPECT_EQ(back.at(i).realValue(), cases[i].first) << cases[i].second;
    }
    // Random fractional dates over the years 1 to 9999 come back to the bit.
    std::mt19937_64 rng(11);
    PropertyList many = PropertyList::array();
    std::vector<double> ts;
    for (int k = 0; k < 2000; ++k) {
        const double t = k % 2 ? std::uniform_real_distribution<double>(kFirstXMLDate, kLastXMLDate)(rng)
                               : std::ldexp(std::uniform_real_distribution<double>(-1.0, 1.0)(rng), -(k % 60));
        ts.push_back(t);
        many.append(PropertyList::date(t));
    }
    PropertyList manyBack;
    ASSERT_TRUE(platform::readXMLPropertyList(platform::writeXMLPropertyList(many, &error), manyBack).ok) << error;
    ASSERT_EQ(manyBack.size(), ts.size());
    for (size_t i = 0; i < ts.size(); ++i) EXPECT_EQ(manyBack.at(i).realValue(), ts[i]) << i;
    // What other writers may write is still read: fractions (the second before
    // 2001 from its own decimals), years before 1 and beyond 9999.
    const std::vector<std::pair<std::string, double>> read{
        {"2000-12-31T23:59:59.7Z", -0.3},
        {"2001-01-01T00:00:00.25Z", 0.25},
        {"0000-01-01T00:00:00Z", -63145526400.0},
        {"-0001-01-01T00:00:00Z", -63177062400.0},
        {"10000-01-01T00:00:00Z", kLastXMLDate + 1},
    };
    for (const auto& [text, t] : read) {
        PropertyList v;
        const auto r = platform::readXMLPropertyList("<plist><date>" + text + "</date></plist>", v);
        ASSERT_TRUE(r.ok) << text << ": " << r.error;
        EXPECT_EQ(v.realValue(), t) << text;
    }
}

TEST(PropertyList, TextThatIsNotUtf8IsRepairedWithOneReplacementPerMaximalSubpart) {
    // The example of the Unicode Standard, chapter 3.9 ("U+FFFD Substitution of
    // Maximal Subparts"): 61 F1 80 80 E1 80 C2 62 80 63 80 BF 64 reads as
    // a, FFFD, FFFD, FFFD, b, FFFD, c, FFFD, FFFD, d.
    const std::string R = "\xEF\xBF\xBD";
    size_t n = 0;
    EXPECT_EQ(platform::repairedUtf8("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", &n),
              "a" + R + R + R + "b" + R + "c" + R + R + "d");
    EXPECT_EQ(n, 6u);
    // An overlong form and an encoded surrogate are one replacement per byte;
    // well-formed text, the edges of each length among it, stays as it is.
    EXPECT_EQ(platform::repairedUtf8("\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80", &n), R + R + "|" + R + R + R + "|" + R + R + R + R);
    EXPECT_EQ(n, 9u);
    const std::string good = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(platform::repairedUtf8(good, &n), good);
    EXPECT_EQ(n, 0u);
    // In a tree: strings and keys at any depth, numbers and data untouched.
    PropertyList tree = PropertyList::dictionary();
    tree.set("ok", PropertyList::array({PropertyList::string("Lac\xE9"), PropertyList::data("\xFF"), PropertyList::real(1)}));
    tree.set("k\xFF", PropertyList::string("x"));
    EXPECT_EQ(platform::repairUtf8(tree), 2u);
    EXPECT_EQ(tree.find("ok")->at(0).stringValue(), "Lac" + R);
    EXPECT_EQ(tree.find("ok")->at(1).stringValue(), "\xFF");
    EXPECT_EQ(tree.find("k" + R)->stringValue(), "x");
    EXPECT_FALSE(platform::writeBinaryPropertyList(tree).empty());
}

TEST(PropertyList, WhatAFormatCannotHoldIsRefusedAtWritingWithItsPlace) {
    auto refused = [](PlistFormat format, const PropertyList& v, const std::string& message) {
        std::string error;
        const std::string bytes = format == PlistFormat::XML ? platform::writeXMLPropertyList(v, &error)
                                                             : platform::writeBinaryPropertyList(v, &error);
        EXPECT_TRUE(bytes.empty()) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    };
    auto underKey = [](PropertyList v) {
        PropertyList d = PropertyList::dictionary();
        d.set("list", PropertyList::array({PropertyList::integer(1), std::move(v)}));
        return d;
    };
    // Bytes that are not UTF-8, in strings and in keys, in both formats.
    const char* badUtf8[] = {"\x80", "a\xC3", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF"};
    for (PlistFormat f : {PlistFormat::Binary, PlistFormat::XML}) {
        for (const char* b : badUtf8) {
            refused(f, underKey(PropertyList::string(b)), "the string at /list/1 is not valid UTF-8");
            PropertyList d = PropertyList::dictionary();
            d.set(std::string("k") + b, PropertyList::integer(1));
            refused(f, d, "is not valid UTF-8");
        }
        refused(f, underKey(PropertyList::uid(uint64_t(1) << 32)), "the UID 4294967296 at /list/1 is larger than 32 bits");
        refused(f, nested(PropertyList::kMaxDepth + 1, PropertyList::integer(0)), "nested more than 512 levels");
    }
    // What XML has no form for.
    refused(PlistFormat::XML, underKey(PropertyList()), "the null value at /list/1");
    refused(PlistFormat::XML, underKey(PropertyList::string("a\x01")), "U+0001");
    refused(PlistFormat::XML, underKey(PropertyList::string("\xEF\xBF\xBE")), "U+FFFE");
    refused(PlistFormat::XML, underKey(PropertyList::date(1.5e15)), "the date at /list/1");
    refused(PlistFormat::XML, underKey(PropertyList::date(kFirstXMLDate - 0.5)), "not within the years 1 to 9999");
    refused(PlistFormat::XML, underKey(PropertyList::date(kLastXMLDate + 1)), "not within the years 1 to 9999");
    refused(PlistFormat::XML, underKey(PropertyList::date(NAN)), "the date at /list/1");
    PropertyList uidLike = PropertyList::dictionary();
    uidLike.set("CF$UID", PropertyList::integer(5));
    refused(PlistFormat::XML, underKey(uidLike), "reads back as a UID");
    // ... which the binary format holds.
    for (const PropertyList& v : {PropertyList(), PropertyList::string("a\x01\xEF\xBF\xBE"), PropertyList::date(1e300), uidLike}) {
        PropertyList back;
        ASSERT_TRUE(platform::readPropertyList(platform::writeBinaryPropertyList(underKey(v)), back).ok);
        EXPECT_EQ(back, underKey(v));
    }
    // Readers refuse what no writer writes: XML that is not UTF-8, UIDs beyond 32 bits.
    PropertyList out;
    auto r = platform::readXMLPropertyList("<plist>\n<string>caf\xE9</string></plist>", out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("not UTF-8 text (line 2)"), std::string::npos) << r.error;
    r = platform::readBinaryPropertyList(handMade({std::string("\x84\x01\x00\x00\x00\x00", 6)}), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("larger than 32 bits"), std::string::npos) << r.error;
    // A dictionary {"CF$UID": n} beyond 32 bits stays a dictionary.
    ASSERT_TRUE(platform::readXMLPropertyList("<plist><dict><key>CF$UID</key><integer>4294967296</integer></dict></plist>", out).ok);
    EXPECT_TRUE(out.isDictionary());
}

// --- saving files ------------------------------------------------------------

namespace fs = std::filesystem;

std::string fileText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Files a save left in a folder beyond the ones named.
std::vector<std::string> leftovers(const fs::path& folder, std::vector<std::string> expected) {
    std::vector<std::string> extra;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
    }
    return extra;
}

TEST(AtomicSave, ALinkPlantedAtAnyTemporaryNameIsNeverWrittenThrough) {
    fs::remove_all("plant");
    fs::create_directories("plant");
    writeText("plant/victim", "victim");
    writeText("plant/doc.plist", "old");
    // An attacker who guesses every name the save tries: links to a file, links
    // to where a file would be created, plain files.
    std::vector<std::string> tried;
    std::string err;
    ASSERT_TRUE(platform::writeFileAtomically("plant/doc.plist", "new", err, [&](const std::string& tmp) {
        const int k = static_cast<int>(tried.size());
        tried.push_back(tmp);
        std::error_code ec;
        if (k < 3) fs::create_symlink(fs::absolute("plant/victim"), tmp, ec);
        else if (k < 6) fs::create_symlink(fs::absolute("plant/created-through-link"), tmp, ec);
        else if (k < 8) writeText(tmp, "planted");
        ASSERT_FALSE(ec) << ec.message();
    })) << err;
    ASSERT_EQ(tried.size(), 9u);
    EXPECT_EQ(fileText("plant/doc.plist"), "new");
    EXPECT_EQ(fileText("plant/victim"), "victim");
    EXPECT_FALSE(fs::exists("plant/created-through-link"));
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(fs::path(tried[k]).parent_path(), fs::path("plant"));  // beside the document
        EXPECT_EQ(k < 6, fs::is_symlink(tried[k])) << tried[k];
        if (k >= 6) {
            EXPECT_EQ(fileText(tried[k]), "planted");
        }
    }
    EXPECT_EQ(std::set<std::string>(tried.begin(), tried.end()).size(), tried.size());  // every name new
    EXPECT_FALSE(fs::exists(tried.back()));

    // Every name taken: the save gives up, and nothing is written anywhere.
    err.clear();
    EXPECT_FALSE(platform::writeFileAtomically("plant/doc.plist", "newer", err, [](const std::string& tmp) {
        fs::create_symlink(fs::absolute("plant/victim"), tmp);
    }));
    EXPECT_NE(err.find("no free name"), std::string::npos) << err;
    EXPECT_EQ(fileText("plant/doc.plist"), "new");
    EXPECT_EQ(fileText("plant/victim"), "victim");
}

TEST(AtomicSave, SavesGoThroughLinksToTheirFileAndKeepTheLinks) {
    fs::remove_all("links");
    fs::create_directories("links/real");
    writeText("links/real/doc.plist", "old");
    fs::permissions("links/real/doc.plist", fs::perms(0640));
    fs::create_symlink("real/doc.plist", "links/one");  // relative to the link's folder
    fs::create_symlink(fs::absolute("links/one"), "links/two");
    std::string err;
    std::vector<std::string> tmps;
    auto record = [&](const std::string& tmp) { tmps.push_back(tmp); };
    ASSERT_TRUE(platform::writeFileAtomically("links/two", "first", err, record)) << err;
    ASSERT_TRUE(platform::writeFileAtomically("links/two", "second", err, record)) << err;
    EXPECT_TRUE(fs::is_symlink("links/one"));
    EXPECT_TRUE(fs::is_symlink("links/two"));
    EXPECT_EQ(fs::read_symlink("links/one"), fs::path("real/doc.plist"));
    EXPECT_EQ(fileText("links/real/doc.plist"), "second");
    // Two saves in a row: each its own temporary file beside the real file,
    // none left, the permissions of the file kept.
    ASSERT_EQ(tmps.size(), 2u);
    EXPECT_NE(tmps[0], tmps[1]);
    EXPECT_EQ(fs::canonical(fs::path(tmps[0]).parent_path()), fs::canonical("links/real"));
    EXPECT_EQ(leftovers("links/real", {"doc.plist"}), std::vector<std::string>{});
    EXPECT_EQ(leftovers("links", {"real", "one", "two"}), std::vector<std::string>{});
    EXPECT_EQ(fs::status("links/real/doc.plist").permissions() & fs::perms::all, fs::perms(0640));
    // A link whose file is gone: the file is made where the link points.
    fs::create_symlink("real/new.plist", "links/dangling");
    ASSERT_TRUE(platform::writeFileAtomically("links/dangling", "made", err)) << err;
    EXPECT_TRUE(fs::is_symlink("links/dangling"));
    EXPECT_EQ(fileText("links/real/new.plist"), "made");
    // Links in a loop are refused.
    fs::create_symlink("loop-b", "links/loop-a");
    fs::create_symlink("loop-a", "links/loop-b");
    EXPECT_FALSE(platform::writeFileAtomically("links/loop-a", "x", err));
    EXPECT_NE(err.find("too many symbolic links"), std::string::npos) << err;
}

TEST(AtomicSave, RefusalsLeaveTheFileAndNoTemporaryFile) {
    namespace fs = std::filesystem;
    fs::remove_all("refuse");
    fs::create_directories("refuse/occupied/inner");
    std::string err;
    ASSERT_TRUE(platform::writeFileAtomically("refuse/atomic.plist", platform::writeBinaryPropertyList(sample()), err)) << err;
    PropertyList back;
    ASSERT_TRUE(platform::readPropertyListFile("refuse/atomic.plist", back).ok);
    EXPECT_EQ(back, sample());
    // A read-only file is kept as it is (also for a user who could replace it).
    fs::permissions("refuse/atomic.plist", fs::perms(0444));
    EXPECT_FALSE(platform::writeFileAtomically("refuse/atomic.plist", "abc", err));
    EXPECT_EQ(err, "the file is read-only");
    ASSERT_TRUE(platform::readPropertyListFile("refuse/atomic.plist", back).ok);
    EXPECT_EQ(back, sample());
    // A folder that does not exist, a folder in the file's place.
    EXPECT_FALSE(platform::writeFileAtomically("refuse/no-such-dir/x.plist", "abc", err));
    EXPECT_NE(err.find("folder cannot be written to"), std::string::npos) << err;
    EXPECT_FALSE(platform::writeFileAtomically("refuse/occupied", "abc", err));
    EXPECT_EQ(err, "it is a folder");
    EXPECT_TRUE(fs::exists("refuse/occupied/inner"));
    EXPECT_EQ(leftovers("refuse", {"atomic.plist", "occupied"}), std::vector<std::string>{});
    EXPECT_FALSE(platform::readPropertyListFile("refuse/missing.plist", back).ok);
    EXPECT_FALSE(platform::readPropertyListFile("refuse/atomic.plist", back, 10).ok);  // over the size limit
}

}  // namespace
