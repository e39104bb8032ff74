#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "platform/DataFiles.h"
#include "platform/KeyedArchive.h"
#include "platform/tests/Fixtures.h"

using platform::KeyedArchiver;
using platform::KeyedUnarchiver;
using platform::PropertyList;

namespace {

// A small record of our own, with a link that may point back to an ancestor.
struct Node : platform::KeyedEncodable {
    std::string name;
    int size = 0;
    float width = 0;
    const Node* child = nullptr;
    std::string archiveClassName() const override { return "CNode"; }
    std::vector<std::string> archiveSuperclasses() const override { return {"CBase"}; }
    void encodeWithCoder(KeyedArchiver& c) const override {
        c.encodeInt("size", size);
        c.encodeObject("name", PropertyList::string(name));
        c.encodeFloat("width", width);
        c.encodeObject("child", child);
    }
};

TEST(KeyedArchive, LayoutOfAnEncodedArchive) {
    KeyedArchiver a;
    PropertyList list = PropertyList::array();
    PropertyList c = PropertyList::dictionary();
    c.set("name", PropertyList::string("New"));
    c.set("fluid", PropertyList::integer(3));
    list.append(c);
    a.encodeObject("list", list);
    a.encodeInt("count", 1);
    PropertyList archive = a.finishEncoding();
    EXPECT_EQ(archive.find("$archiver")->stringValue(), "NSKeyedArchiver");
    EXPECT_EQ(archive.find("$version")->integerValue(), 100000);
    const PropertyList& objects = *archive.find("$objects");
    EXPECT_EQ(objects.at(0).stringValue(), "$null");
    const PropertyList& top = *archive.find("$top");
    EXPECT_EQ(top.find("count")->integerValue(), 1);
    ASSERT_TRUE(top.find("list")->isUID());
    const PropertyList& arr = objects.at(top.find("list")->uidValue());
    const PropertyList& cls = objects.at(arr.find("$class")->uidValue());
    EXPECT_EQ(cls.find("$classname")->stringValue(), "NSMutableArray");
    EXPECT_EQ(cls.find("$classes")->size(), 3u);
    EXPECT_EQ(cls.find("$classes")->at(2).stringValue(), "NSObject");
    const PropertyList& dict = objects.at(arr.find("NS.objects")->at(0).uidValue());
    EXPECT_TRUE(dict.find("NS.keys")->at(0).isUID());
    EXPECT_EQ(objects.at(dict.find("NS.keys")->at(0).uidValue()).stringValue(), "fluid");
}

TEST(KeyedArchive, PlainValuesAndOwnObjectsRoundTrip) {
    Node leaf;
    leaf.name = "leaf";
    leaf.size = -4;
    leaf.width = 0.1f;
    Node root;
    root.name = "root \xC2\xB0";
    root.size = 12;
    root.width = 2.5f;
    root.child = &leaf;
    PropertyList plain = PropertyList::dictionary();
    plain.set("a", PropertyList::array({PropertyList::integer(1), PropertyList::real(2.5), PropertyList(),
                                        PropertyList::boolean(true), PropertyList::data("xy"), PropertyList::date(10)}));
    plain.set("empty", PropertyList::dictionary());

    KeyedArchiver a;
    a.encodeObject("root", &root);
    a.encodeObject("again", &leaf);  // the same object: stored once
    a.encodeObject("plain", plain);
    a.encodeObject("none", static_cast<const platform::KeyedEncodable*>(nullptr));
    a.encodeDouble("d", 1e-300);
    a.encodeBool("yes", true);
    a.encodeBytes("raw", std::string("\0z", 2));
    std::string bytes = a.encodedData();

    KeyedUnarchiver u;
    auto r = u.open(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(u.classNameOf("root"), "CNode");
    EXPECT_EQ(u.classNameOf("none"), "");
    EXPECT_DOUBLE_EQ(u.decodeDouble("d"), 1e-300);
    EXPECT_TRUE(u.decodeBool("yes"));
    EXPECT_EQ(u.decodeBytes("raw"), std::string("\0z", 2));
    EXPECT_EQ(u.decodeInt("absent"), 0);

    Node back, backLeaf;
    bool gotRoot = u.decodeObject("root", [&](KeyedUnarchiver& c) {
        back.size = static_cast<int>(c.decodeInt("size"));
        back.width = c.decodeFloat("width");
        PropertyList n;
        EXPECT_TRUE(c.decodeObject("name", n).ok);
        back.name = n.stringValue();
        EXPECT_TRUE(c.decodeObject("child", [&](KeyedUnarchiver& cc) {
            backLeaf.size = static_cast<int>(cc.decodeInt("size"));
            backLeaf.width = cc.decodeFloat("width");
            EXPECT_FALSE(cc.containsValue("child") && cc.classNameOf("child") != "");
        }));
    });
    ASSERT_TRUE(gotRoot);
    EXPECT_EQ(back.size, 12);
    EXPECT_EQ(back.width, 2.5f);
    EXPECT_EQ(back.name, root.name);
    EXPECT_EQ(backLeaf.size, -4);
    EXPECT_EQ(backLeaf.width, 0.1f);
    EXPECT_FALSE(u.decodeObject("none", [](KeyedUnarchiver&) { FAIL(); }));
    PropertyList p;
    ASSERT_TRUE(u.decodeObject("plain", p).ok);
    EXPECT_EQ(p, plain);
    EXPECT_FALSE(u.failed()) << u.error();
}

TEST(KeyedArchive, OwnObjectCyclesAreEncodedAndRefusedOnDecoding) {
    Node a, b;
    a.child = &b;
    b.child = &a;  // a ring
    KeyedArchiver ar;
    ar.encodeObject("ring", &a);
    KeyedUnarchiver u;
    ASSERT_TRUE(u.open(ar.encodedData()).ok);
    // Following the links for ever is what a careless reader would do.
    std::function<void(KeyedUnarchiver&)> follow = [&](KeyedUnarchiver& c) { c.decodeObject("child", follow); };
    EXPECT_TRUE(u.decodeObject("ring", follow));
    EXPECT_TRUE(u.failed());
    EXPECT_NE(u.error().find("contain themselves"), std::string::npos);
}

TEST(KeyedArchive, OpensArchivesWrittenByPlistlib) {
    for (const char* name : {"keyed_archive.bplist", "keyed_archive.xml"}) {
        SCOPED_TRACE(name);
        KeyedUnarchiver u;
        auto r = u.open(fixture(name));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(u.decodeInt("count"), 2);
        EXPECT_EQ(u.classNameOf("list"), "NSMutableArray");
        PropertyList list, nothing, big;
        ASSERT_TRUE(u.decodeObject("list", list).ok);
        ASSERT_TRUE(u.decodeObject("nothing", nothing).ok);
        ASSERT_TRUE(u.decodeObject("big", big).ok);
        EXPECT_TRUE(nothing.isNull());
        EXPECT_EQ(big.integerValue(), -123456789012);
        ASSERT_EQ(list.size(), 2u);
        const PropertyList& c0 = list.at(0);
        EXPECT_EQ(c0.find("name")->stringValue(), "Etna \xC2\xB0" "C \xE2\x80\x93 test");
        EXPECT_TRUE(c0.find("P0")->isReal());
        EXPECT_DOUBLE_EQ(c0.find("P0")->realValue(), 1572.5);
        EXPECT_TRUE(c0.find("fluid")->isInteger());
        EXPECT_EQ(c0.find("fluid")->integerValue(), 3);
        const PropertyList& c1 = list.at(1);
        EXPECT_EQ(c1.find("name")->stringValue(), "mutable");
        EXPECT_EQ(c1.find("blob")->stringValue(), std::string("\0\1\2\xff", 4));
        EXPECT_TRUE(c1.find("flag")->boolValue());
        EXPECT_TRUE(c1.find("when")->isDate());
        EXPECT_DOUBLE_EQ(c1.find("when")->realValue(), 86400.5);
        int size = 0, style = 0, inner = 0;
        float minX = 0;
        std::string font;
        EXPECT_EQ(u.classNameOf("format"), "CTextFormat");
        ASSERT_TRUE(u.decodeObject("format", [&](KeyedUnarchiver& c) {
            size = static_cast<int>(c.decodeInt("size"));
            style = static_cast<int>(c.decodeInt("style"));
            minX = c.decodeFloat("minX");
            PropertyList f;
            c.decodeObject("fontName", f);
            font = f.stringValue();
            c.decodeObject("inner", [&](KeyedUnarchiver& cc) { inner = static_cast<int>(cc.decodeInt("size")); });
        }));
        EXPECT_EQ(size, 12);
        EXPECT_EQ(style, 3);
        EXPECT_EQ(minX, 0.25f);
        EXPECT_EQ(font, "Courier");
        EXPECT_EQ(inner, -7);
        EXPECT_FALSE(u.failed()) << u.error();
    }
}

PropertyList archiveWith(PropertyList top, std::vector<PropertyList> objects) {
    PropertyList a = PropertyList::dictionary();
    a.set("$archiver", PropertyList::string("NSKeyedArchiver"));
    a.set("$version", PropertyList::integer(100000));
    a.set("$top", std::move(top));
    objects.insert(objects.begin(), PropertyList::string("$null"));
    a.set("$objects", PropertyList::array(std::move(objects)));
    return a;
}

PropertyList dictOf(std::initializer_list<std::pair<const char*, PropertyList>> kv) {
    PropertyList d = PropertyList::dictionary();
    for (auto& [k, v] : kv) d.set(k, v);
    return d;
}

PropertyList classRec(const char* name) {
    return dictOf({{"$classname", PropertyList::string(name)},
                   {"$classes", PropertyList::array({PropertyList::string(name), PropertyList::string("NSObject")})}});
}

TEST(KeyedArchive, RefusesForeignAndDamagedArchives) {
    KeyedUnarchiver u;
    EXPECT_FALSE(u.open(std::string_view("plain text")).ok);
    EXPECT_FALSE(u.open(PropertyList::array()).ok);
    PropertyList good = archiveWith(dictOf({{"x", PropertyList::uid(1)}}), {PropertyList::string("s")});
    ASSERT_TRUE(u.open(good).ok);
    for (const char* key : {"$archiver", "$version", "$top", "$objects"}) {
        PropertyList bad = good;
        bad.remove(key);
        auto r = u.open(bad);
        EXPECT_FALSE(r.ok) << key;
        EXPECT_FALSE(r.error.empty());
    }
    PropertyList other = good;
    other.set("$archiver", PropertyList::string("SomethingElse"));
    EXPECT_FALSE(u.open(other).ok);

    auto decodeTop = [&](PropertyList archive) {
        KeyedUnarchiver v;
        if (!v.open(std::move(archive)).ok) return std::string("open failed");
        PropertyList out;
        auto r = v.decodeObject("x", out);
        return r.ok ? std::string() : r.error;
    };
    // A reference outside "$objects", a reference that is not a UID.
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(9)}}), {})), "");
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::integer(1)}}), {})), "");
    // An array that holds itself.
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}),
                                    {dictOf({{"NS.objects", PropertyList::array({PropertyList::uid(1)})},
                                             {"$class", PropertyList::uid(2)}}),
                                     classRec("NSArray")})),
              "");
    // A class record that is not a dictionary; a missing "$class"; an unknown class.
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}),
                                    {dictOf({{"$class", PropertyList::uid(2)}}), PropertyList::integer(4)})),
              "");
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}), {PropertyList::dictionary()})), "");
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}),
                                    {dictOf({{"$class", PropertyList::uid(2)}}), classRec("NSWindow")})),
              "");
    // Dictionary keys that are not strings; unequal key and value counts.
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}),
                                    {dictOf({{"NS.keys", PropertyList::array({PropertyList::uid(3)})},
                                             {"NS.objects", PropertyList::array({PropertyList::uid(3)})},
                                             {"$class", PropertyList::uid(2)}}),
                                     classRec("NSDictionary"), PropertyList::integer(1)})),
              "");
    EXPECT_NE(decodeTop(archiveWith(dictOf({{"x", PropertyList::uid(1)}}),
                                    {dictOf({{"NS.keys", PropertyList::array()},
                                             {"NS.objects", PropertyList::array({PropertyList::uid(0)})},
                                             {"$class", PropertyList::uid(2)}}),
                                     classRec("NSDictionary")})),
              "");
    // Scalars of the wrong type are reported, and give 0.
    KeyedUnarchiver w;
    ASSERT_TRUE(w.open(archiveWith(dictOf({{"s", PropertyList::string("12")}}), {})).ok);
    EXPECT_EQ(w.decodeInt("s"), 0);
    EXPECT_TRUE(w.failed());
}

TEST(KeyedArchive, DamagedBytesNeverCrash) {
    Node leaf, root;
    root.child = &leaf;
    KeyedArchiver a;
    a.encodeObject("root", &root);
    PropertyList list = PropertyList::array();
    for (int i = 0; i < 5; ++i) list.append(dictOf({{"n", PropertyList::integer(i)}, {"s", PropertyList::string("v")}}));
    a.encodeObject("list", list);
    const std::string good = a.encodedData();
    uint32_t seed = 7;
    for (int k = 0; k < 3000; ++k) {
        std::string bad = good;
        seed = seed * 1664525u + 1013904223u;
        bad[seed % bad.size()] = static_cast<char>(seed >> 24);
        KeyedUnarchiver u;
        if (!u.open(bad).ok) continue;
        PropertyList out;
        (void)u.decodeObject("list", out);
        std::function<void(KeyedUnarchiver&)> follow = [&](KeyedUnarchiver& c) {
            c.decodeInt("size");
            c.decodeObject("child", follow);
        };
        u.decodeObject("root", follow);
    }
}

}  // namespace
