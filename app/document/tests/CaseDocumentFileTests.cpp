#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "app/document/CaseList.h"
#include "platform/DataFiles.h"
#include "platform/KeyedArchive.h"

using platform::PropertyList;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(platform::resolveDataFile("app/document/tests/fixtures/" + name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string archiveOf(const PropertyList& top) {
    platform::KeyedArchiver a;
    for (size_t i = 0; i < top.size(); ++i) a.encodeObject(top.keys()[i], top.items()[i]);
    return a.encodedData();
}

TEST(CaseDocumentFile, NewCaseHasTheSeventeenKeysWithTheirDefaults) {
    PropertyList c = newCaseDictionary();
    ASSERT_EQ(c.size(), 17u);
    for (const std::string& k : caseKeys()) EXPECT_TRUE(c.contains(k)) << k;
    EXPECT_EQ(c.find("name")->stringValue(), "New");
    EXPECT_EQ(c.find("comment")->stringValue(), "");
    EXPECT_TRUE(c.find("fluid")->isInteger());
    EXPECT_EQ(c.find("fluid")->integerValue(), 3);
    EXPECT_EQ(c.find("melt")->integerValue(), 0);
    EXPECT_DOUBLE_EQ(c.find("P0")->realValue(), 1572);
    EXPECT_DOUBLE_EQ(c.find("sa")->realValue(), 6.8e-08);
    EXPECT_DOUBLE_EQ(c.find("rhol0")->realValue(), 2700);
}

TEST(CaseDocumentFile, RoundTripKeepsEveryKeyAndItsNumberOrStringType) {
    CaseList list;
    list.addCase(-1);
    list.addCase(0);
    list.setValue(0, "name", PropertyList::string("Etna \xC2\xB0"));
    list.setValue(0, "P0", PropertyList::string("1500"));  // typed as text in the form
    list.setValue(1, "wt0", PropertyList::real(4.25));
    list.setValue(1, "melt", PropertyList::integer(2));
    std::string bytes = list.dataOfType();
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(bytes.substr(0, 8), "bplist00");

    CaseList back;
    auto r = back.readFromData(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back.cases(), list.cases());
    for (size_t i = 0; i < 2; ++i)
        for (const std::string& k : caseKeys())
            EXPECT_EQ(back.at(i).find(k)->type(), list.at(i).find(k)->type()) << k;
    EXPECT_TRUE(back.at(0).find("P0")->isString());
    EXPECT_TRUE(back.at(1).find("melt")->isInteger());
    // The file is the layout the macOS version reads: mutable containers under "list".
    platform::KeyedUnarchiver u;
    ASSERT_TRUE(u.open(bytes).ok);
    EXPECT_EQ(u.classNameOf("list"), "NSMutableArray");
    // XML documents are read too.
    PropertyList plist;
    ASSERT_TRUE(platform::readPropertyList(bytes, plist).ok);
    CaseList fromXml;
    ASSERT_TRUE(fromXml.readFromData(platform::writeXMLPropertyList(plist)).ok);
    EXPECT_EQ(fromXml.cases(), list.cases());
    // ... and written back as XML, the format they came in; a binary file read into it makes it binary again.
    const std::string xml = fromXml.dataOfType();
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    CaseList again;
    ASSERT_TRUE(again.readFromData(xml).ok);
    EXPECT_EQ(again.cases(), list.cases());
    ASSERT_TRUE(fromXml.readFromData(bytes).ok);
    EXPECT_EQ(fromXml.dataOfType(), bytes);
    // Text that is not UTF-8 cannot be stored: the file is refused, not changed.
    list.setValue(1, "comment", PropertyList::string("Lac\xE9"));
    std::string error;
    EXPECT_TRUE(list.dataOfType(&error).empty());
    EXPECT_NE(error.find("is not valid UTF-8"), std::string::npos) << error;
}

TEST(CaseDocumentFile, OpensDocumentsWrittenByPlistlib) {
    for (const char* name : {"cases.bplist", "cases.xml"}) {
        SCOPED_TRACE(name);
        CaseList list;
        auto r = list.readFromData(fixture(name));
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(list.size(), 2u);
        const PropertyList& etna = list.at(0);
        EXPECT_EQ(etna.find("name")->stringValue(), "Etna");
        EXPECT_EQ(etna.find("P0")->stringValue(), "1500");
        EXPECT_EQ(etna.find("melt")->integerValue(), 1);
        EXPECT_DOUBLE_EQ(etna.find("sa")->realValue(), 4.1e-06);
        EXPECT_DOUBLE_EQ(etna.find("rhol0")->realValue(), 2600);
        // Missing keys take the values of a new case.
        const PropertyList& s = list.at(1);
        EXPECT_EQ(s.size(), 17u);
        EXPECT_DOUBLE_EQ(s.find("P0")->realValue(), 900.5);
        EXPECT_EQ(s.find("fluid")->integerValue(), 1);
        EXPECT_DOUBLE_EQ(s.find("T0")->realValue(), 1473);
        EXPECT_DOUBLE_EQ(s.find("chamber")->realValue(), 10);
        EXPECT_EQ(*s.find("melt"), PropertyList::integer(0));
    }
}

TEST(CaseDocumentFile, RefusesWhatIsNotACaseDocumentAndKeepsTheList) {
    CaseList list;
    list.addCase(-1);
    const PropertyList before = list.cases();
    PropertyList arr = PropertyList::array({newCaseDictionary()});
    PropertyList wrongEntry = PropertyList::array({newCaseDictionary(), PropertyList::string("x")});
    PropertyList wrongValue = PropertyList::array({newCaseDictionary()});
    wrongValue.items()[0].set("P0", PropertyList::array());
    PropertyList wrongDate = PropertyList::array({newCaseDictionary()});
    wrongDate.items()[0].set("name", PropertyList::date(3));
    PropertyList topOther = PropertyList::dictionary();
    topOther.set("cases", arr);
    PropertyList topNotArray = PropertyList::dictionary();
    topNotArray.set("list", PropertyList::string("cases"));
    PropertyList topWrongEntry = PropertyList::dictionary();
    topWrongEntry.set("list", wrongEntry);
    PropertyList topWrongValue = PropertyList::dictionary();
    topWrongValue.set("list", wrongValue);
    PropertyList topWrongDate = PropertyList::dictionary();
    topWrongDate.set("list", wrongDate);
    PropertyList notArchive = PropertyList::dictionary();
    notArchive.set("list", arr);

    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {"hello, world", "it is not a chamber document"},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "it is not a chamber document"},
        {platform::writeBinaryPropertyList(notArchive), "not a keyed archive"},
        {archiveOf(topOther), "no case list"},
        {archiveOf(topNotArray), "not an array"},
        {archiveOf(topWrongEntry), "case 2 is not a dictionary"},
        {archiveOf(topWrongValue), "array under \"P0\""},
        {archiveOf(topWrongDate), "date under \"name\""},
    };
    for (const auto& [bytes, message] : cases) {
        auto r = list.readFromData(bytes);
        EXPECT_FALSE(r.ok) << message;
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
        EXPECT_EQ(list.cases(), before);
    }
    // Every truncation of a good document, and damaged bytes, are refused or read; never a crash.
    const std::string good = fixture("cases.bplist");
    for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(list.readFromData(std::string_view(good).substr(0, n)).ok) << n;
    std::mt19937 rng(99);
    for (int k = 0; k < 2000; ++k) {
        std::string bad = good;
        bad[rng() % bad.size()] = static_cast<char>(rng());
        CaseList scratch;
        if (scratch.readFromData(bad).ok) {
            for (size_t i = 0; i < scratch.size(); ++i) EXPECT_GE(scratch.at(i).size(), 17u);
        }
    }
    EXPECT_EQ(list.cases(), before);
}

TEST(CaseList, CaseCommands) {
    CaseList list;
    EXPECT_EQ(list.addCase(-1), 0);
    EXPECT_EQ(list.duplicateCase(-1), -1);
    EXPECT_EQ(list.duplicateCase(0), 1);
    EXPECT_EQ(list.duplicateCase(1), 2);
    EXPECT_EQ(list.at(2).find("name")->stringValue(), "New - duplicated - duplicated");
    EXPECT_EQ(list.addCase(0), 1);  // inserted after the selected row
    EXPECT_EQ(list.at(1).find("name")->stringValue(), "New 2");  // "New" is taken
    EXPECT_EQ(list.shiftDownSelectedRow(3), -1);  // the last row cannot move down
    EXPECT_EQ(list.shiftUpSelectedRow(0), -1);
    EXPECT_EQ(list.shiftUpSelectedRow(2), 1);
    EXPECT_EQ(list.at(1).find("name")->stringValue(), "New - duplicated");
    EXPECT_EQ(list.shiftDownSelectedRow(1), 2);
    EXPECT_EQ(list.at(2).find("name")->stringValue(), "New - duplicated");
    EXPECT_TRUE(list.deleteCase(2));
    EXPECT_FALSE(list.deleteCase(7));
    EXPECT_EQ(list.size(), 3u);
    // A name given as a number is duplicated through its description.
    list.setValue(0, "name", PropertyList::integer(7));
    list.duplicateCase(0);
    EXPECT_EQ(list.at(1).find("name")->stringValue(), "7 - duplicated");
}

}  // namespace
