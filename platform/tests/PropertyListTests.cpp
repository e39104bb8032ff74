#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/DataFiles.h"
#include "platform/PropertyList.h"
#include "platform/tests/Fixtures.h"

using platform::PlistFormat;
using platform::PropertyList;

namespace {

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

TEST(PropertyList, FilesAreReplacedOnlyByCompleteWrites) {
    namespace fs = std::filesystem;
    std::string err;
    ASSERT_TRUE(platform::writeFileAtomically("atomic.plist", platform::writeBinaryPropertyList(sample()), err)) << err;
    PropertyList back;
    ASSERT_TRUE(platform::readPropertyListFile("atomic.plist", back).ok);
    EXPECT_EQ(back, sample());
    EXPECT_FALSE(fs::exists("atomic.plist.saving~"));
    // A write into a folder that does not exist fails and leaves nothing behind.
    EXPECT_FALSE(platform::writeFileAtomically("no-such-dir/x.plist", "abc", err));
    EXPECT_FALSE(err.empty());
    // A target that cannot be replaced (a non-empty folder) keeps its contents.
    fs::create_directories("occupied/inner");
    EXPECT_FALSE(platform::writeFileAtomically("occupied", "abc", err));
    EXPECT_TRUE(fs::exists("occupied/inner"));
    EXPECT_FALSE(fs::exists("occupied.saving~"));
    EXPECT_FALSE(platform::readPropertyListFile("missing.plist", back).ok);
    EXPECT_FALSE(platform::readPropertyListFile("atomic.plist", back, 10).ok);  // over the size limit
}

}  // namespace
