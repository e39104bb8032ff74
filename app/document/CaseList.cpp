#include "app/document/CaseList.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/KeyedArchive.h"
#include "platform/Utf8.h"

using platform::PlistReadResult;
using platform::PropertyList;

const std::vector<std::string>& caseKeys() {
    static const std::vector<std::string> keys{"name", "comment", "chamber", "P0", "fluid", "melt",
                                               "beta", "mu",      "cr1",     "cr0", "wt0",   "zb",
                                               "na",   "sa",      "T0",      "rhoc0", "rhol0"};
    return keys;
}

PropertyList newCaseDictionary() {
    PropertyList c = PropertyList::dictionary();
    c.set("name", PropertyList::string("New"));
    c.set("comment", PropertyList::string(""));
    c.set("chamber", PropertyList::real(10));
    c.set("P0", PropertyList::real(1572));
    c.set("fluid", PropertyList::integer(3));  // H2O-CO2 mixture
    c.set("melt", PropertyList::integer(0));   // melt of 2700 kg/m3 at 1473 K
    c.set("beta", PropertyList::real(1e10));
    c.set("mu", PropertyList::real(1e10));
    c.set("cr1", PropertyList::real(10));
    c.set("cr0", PropertyList::real(0));
    c.set("wt0", PropertyList::real(0.1));
    c.set("zb", PropertyList::real(0));
    c.set("na", PropertyList::real(0.7));
    c.set("sa", PropertyList::real(6.8e-08));
    c.set("T0", PropertyList::real(1473));
    c.set("rhoc0", PropertyList::real(3300));
    c.set("rhol0", PropertyList::real(2700));
    return c;
}

std::string caseValueDescription(const PropertyList& v) {
    if (v.isString()) return v.stringValue();
    if (v.isInteger() || v.isBoolean()) return std::to_string(v.integerValue());
    if (v.isReal()) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v.realValue());
        return std::string(buf, r.ptr);
    }
    return {};
}

std::string shownNumber(double v) {
    const std::string exact = caseValueDescription(PropertyList::real(v));
    char rounded[32];
    std::snprintf(rounded, sizeof rounded, "%.7g", v);
    return std::strlen(rounded) < exact.size() ? std::string(rounded) : exact;
}

int CaseList::addCase(int selectedRow) {
    int row = valid(selectedRow) ? selectedRow + 1 : static_cast<int>(mList.size());
    PropertyList c = newCaseDictionary();
    // A name no case of the list has: "New", else "New 2", "New 3", ...
    auto taken = [this](const std::string& name) {
        for (const PropertyList& k : mList.items()) {
            const PropertyList* n = k.find("name");
            if (n && caseValueDescription(*n) == name) return true;
        }
        return false;
    };
    const std::string base = caseValueDescription(*c.find("name"));
    std::string name = base;
    for (int i = 2; taken(name); ++i) name = base + " " + std::to_string(i);
    c.set("name", PropertyList::string(name));
    mList.items().insert(mList.items().begin() + row, std::move(c));
    return row;
}

int CaseList::duplicateCase(int selectedRow) {
    if (!valid(selectedRow)) return -1;
    PropertyList copy = mList.at(static_cast<size_t>(selectedRow));
    const PropertyList* name = copy.find("name");
    copy.set("name", PropertyList::string((name ? caseValueDescription(*name) : std::string()) + " - duplicated"));
    mList.items().insert(mList.items().begin() + selectedRow + 1, std::move(copy));
    return selectedRow + 1;
}

bool CaseList::deleteCase(int selectedRow) {
    if (!valid(selectedRow)) return false;
    mList.items().erase(mList.items().begin() + selectedRow);
    return true;
}

int CaseList::shiftDownSelectedRow(int selectedRow) {
    if (!valid(selectedRow) || !valid(selectedRow + 1)) return -1;
    std::swap(mList.items()[static_cast<size_t>(selectedRow)], mList.items()[static_cast<size_t>(selectedRow) + 1]);
    return selectedRow + 1;
}

int CaseList::shiftUpSelectedRow(int selectedRow) {
    if (!valid(selectedRow) || selectedRow == 0) return -1;
    std::swap(mList.items()[static_cast<size_t>(selectedRow)], mList.items()[static_cast<size_t>(selectedRow) - 1]);
    return selectedRow - 1;
}

bool CaseList::setValue(int row, const std::string& key, PropertyList value) {
    if (!valid(row)) return false;
    mList.items()[static_cast<size_t>(row)].set(key, std::move(value));
    return true;
}

std::string CaseList::dataOfType(std::string* error) const {
    platform::KeyedArchiver archiver;
    archiver.encodeObject("list", mList);
    archiver.encodeBool("useEOS", mGasDensitiesFromEOS);
    if (mFormat == platform::PlistFormat::XML) return platform::writeXMLPropertyList(archiver.finishEncoding(), error);
    return archiver.encodedData(error);
}

namespace {
// Text or a number: what a form field holds.
bool isFieldValue(const PropertyList& v) { return v.isString() || v.isNumber() || v.isBoolean(); }

// "a string", "an array": the kind of a value in a message.
std::string kindOf(const PropertyList& v) {
    const std::string name = platform::propertyListTypeName(v.type());
    return (name == "array" || name == "integer" ? "an " : "a ") + name;
}

std::string caseLabel(size_t i, const PropertyList& c) {
    std::string label = "case " + std::to_string(i + 1);
    const PropertyList* name = c.find("name");
    if (name && name->isString()) label += " (\"" + name->stringValue() + "\")";
    return label;
}

// An XML file whose text is not UTF-8 is read with each invalid sequence
// replaced by this private-use character (U+10FFFD), which the cases then
// trade for U+FFFD, naming where: XML cannot be parsed before it is text.
constexpr std::string_view kRepairMark = "\xF4\x8F\xBF\xBD";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string markedRepair(std::string_view s) {
    // As platform::repairedUtf8: one mark for each maximal subpart of a sequence.
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const platform::utf8detail::Lead l = platform::utf8detail::leadOf(static_cast<unsigned char>(s[i]));
        const size_t n = platform::utf8detail::wellFormedPrefix(s, i, l, nullptr);
        if (l.length != 0 && n == l.length) out.append(s.substr(i, n));
        else out.append(kRepairMark);
        i += n;
    }
    return out;
}

std::string unmarked(const std::string& s, size_t& count) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        if (s.compare(i, kRepairMark.size(), kRepairMark) == 0) {
            out.append(kReplacement);
            i += kRepairMark.size();
            ++count;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// Trades the marks of a value (its strings and keys) for U+FFFD; how many.
size_t unmark(PropertyList& v) {
    size_t count = 0;
    if (v.isString()) {
        if (v.stringValue().find(kRepairMark) != std::string::npos) v = PropertyList::string(unmarked(v.stringValue(), count));
        return count;
    }
    if (v.isArray()) {
        for (PropertyList& item : v.items()) count += unmark(item);
    } else if (v.isDictionary()) {
        for (PropertyList& item : v.items()) count += unmark(item);
        std::vector<std::string> keys = v.keys();
        for (const std::string& k : keys) {
            if (k.find(kRepairMark) == std::string::npos) continue;
            PropertyList item = *v.find(k);
            v.remove(k);
            v.set(unmarked(k, count), std::move(item));
        }
    }
    return count;
}

// The strings of a binary property list stored as ASCII whose bytes go
// beyond ASCII (text of other writers, read as Latin-1), as the reader
// gives them back.
std::vector<std::string> latin1Strings(std::string_view b) {
    std::vector<std::string> found;
    if (b.size() < 8 + 32 || b.substr(0, 6) != "bplist") return found;
    auto be = [&b](size_t at, size_t n) {
        uint64_t v = 0;
        for (size_t k = 0; k < n; ++k) v = (v << 8) | static_cast<unsigned char>(b[at + k]);
        return v;
    };
    const size_t trailer = b.size() - 32;
    const size_t offsetSize = static_cast<unsigned char>(b[trailer + 6]);
    const uint64_t objects = be(trailer + 8, 8), table = be(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || table > trailer || objects > (trailer - table) / offsetSize) return found;
    for (uint64_t i = 0; i < objects; ++i) {
        const uint64_t at = be(static_cast<size_t>(table + i * offsetSize), offsetSize);
        if (at >= trailer || (static_cast<unsigned char>(b[at]) >> 4) != 0x5) continue;
        uint64_t length = static_cast<unsigned char>(b[at]) & 0xF;
        size_t pos = static_cast<size_t>(at) + 1;
        if (length == 0xF) {
            if (pos >= trailer || (static_cast<unsigned char>(b[pos]) >> 4) != 0x1) continue;
            const size_t n = size_t(1) << (static_cast<unsigned char>(b[pos]) & 0xF);
            if (n > 8 || pos + 1 + n > trailer) continue;
            length = be(pos + 1, n);
            pos += 1 + n;
        }
        if (length > trailer - pos) continue;
        const std::string_view bytes = b.substr(pos, static_cast<size_t>(length));
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) continue;
        std::string s;
        for (char c : bytes) platform::appendUtf8(s, static_cast<unsigned char>(c));
        found.push_back(std::move(s));
    }
    return found;
}

// The places of a case's text that was not UTF-8, repaired in place: its
// fields ("the comment of case 2 ("Etna")") and its keys.
void repairCaseText(size_t i, PropertyList& c, std::vector<std::string>& places) {
    std::vector<std::string> fields;
    for (size_t j = 0; j < c.size(); ++j) {
        if (platform::repairUtf8(c.items()[j]) + unmark(c.items()[j]) == 0) continue;
        const std::string& key = c.keys()[j];
        fields.push_back(key == "name" || key == "comment" ? "the " + key : "the value under \"" + key + "\"");
    }
    const bool badKey = std::any_of(c.keys().begin(), c.keys().end(), [](const std::string& k) {
        return !platform::isValidUtf8(k) || k.find(kRepairMark) != std::string::npos;
    });
    if (badKey) {
        platform::repairUtf8(c);
        unmark(c);
        fields.push_back("a key");
    }
    // Named after the repair, so that the message is text too.
    for (const std::string& f : fields) places.push_back(f + " of " + caseLabel(i, c));
}
}  // namespace

PlistReadResult CaseList::readFromData(std::string_view bytes, std::string* repairs) {
    // Each layer says what is wrong in its own words; the caller names the file.
    PropertyList plist;
    platform::PlistFormat format = platform::PlistFormat::Binary;
    PlistReadResult r = platform::readPropertyList(bytes, plist, &format);
    // An XML file whose text is not all UTF-8 (a name typed elsewhere in
    // another encoding) is read as its repair, as a binary file's strings are.
    bool repairedXml = false;
    if (!r.ok && !platform::isValidUtf8(bytes) && bytes.find(kRepairMark) == std::string_view::npos) {
        const std::string mended = markedRepair(bytes);
        PropertyList again;
        platform::PlistFormat againFormat = platform::PlistFormat::Binary;
        if (platform::readPropertyList(mended, again, &againFormat).ok && againFormat == platform::PlistFormat::XML) {
            plist = std::move(again);
            format = againFormat;
            r = {true, {}};
            repairedXml = true;
        }
    }
    // Bytes in neither of the formats a case list is stored in (a text, an
    // image, another program's file) are not a chamber document at all.
    if (!r.ok && !bytes.empty() && format == platform::PlistFormat::Binary && bytes.substr(0, 6) != "bplist")
        return {false, "it is not a chamber document (it holds other data, such as a text or an image)"};
    if (!r.ok) return r;
    platform::KeyedUnarchiver unarchiver;
    r = unarchiver.open(std::move(plist));
    if (!r.ok) return r;
    if (!unarchiver.containsValue("list")) return {false, "it holds no case list (no \"list\" entry)"};
    PropertyList list;
    r = unarchiver.decodeObject("list", list);
    if (!r.ok) return {false, "its case list cannot be read: " + r.error};
    if (!list.isArray()) return {false, "its \"list\" entry is not an array of cases"};
    // Written as a boolean; a number (another writer's 0 or 1) is read too.
    bool fromEOS = true;
    if (unarchiver.containsValue("useEOS")) {
        fromEOS = unarchiver.decodeBool("useEOS");
        if (unarchiver.failed())
            return {false, "its \"useEOS\" entry (gas densities from the equations of state) is not true or false"};
    }
    const PropertyList defaults = newCaseDictionary();
    std::vector<std::string> repaired, latin1;
    const std::vector<std::string> latin1Text = format == platform::PlistFormat::Binary ? latin1Strings(bytes)
                                                                                          : std::vector<std::string>();
    auto isLatin1 = [&latin1Text](const PropertyList& v) {
        return v.isString() && std::find(latin1Text.begin(), latin1Text.end(), v.stringValue()) != latin1Text.end();
    };
    for (size_t i = 0; i < list.size(); ++i) {
        PropertyList& c = list.items()[i];
        if (!c.isDictionary())
            return {false, "its " + caseLabel(i, c) + " is not a dictionary but " + kindOf(c)};
        repairCaseText(i, c, repaired);
        for (size_t j = 0; j < c.size(); ++j) {
            if (!isLatin1(c.items()[j])) continue;
            const std::string& key = c.keys()[j];
            latin1.push_back((key == "name" || key == "comment" ? "the " + key : "the value under \"" + key + "\"") +
                             " of " + caseLabel(i, c));
        }
        for (const std::string& key : caseKeys()) {
            const PropertyList* v = c.find(key);
            if (!v) {
                c.set(key, *defaults.find(key));
            } else if (!isFieldValue(*v)) {
                return {false, "its " + caseLabel(i, c) + " holds " + kindOf(*v) + " under \"" + key + "\" where a number or text is expected"};
            }
        }
    }
    mList = std::move(list);
    mFormat = format;
    mGasDensitiesFromEOS = fromEOS;
    if (repairs) {
        auto listed = [](const std::vector<std::string>& places) {
            std::string text;
            for (size_t k = 0; k < places.size(); ++k)
                text += (k == 0 ? "" : k + 1 == places.size() ? " and " : ", ") + places[k];
            return text;
        };
        repairs->clear();
        if (!repaired.empty())
            *repairs = "text that is not UTF-8 was repaired in " + listed(repaired) +
                       ": each invalid sequence now reads as U+FFFD (\xEF\xBF\xBD)";
        else if (repairedXml)
            *repairs = "text that is not UTF-8 was repaired: each invalid sequence now reads as U+FFFD (\xEF\xBF\xBD)";
        if (!latin1.empty())
            *repairs += (repairs->empty() ? "" : "; ") + std::string("text stored as ASCII that holds other bytes was "
                                                                     "read as Latin-1 in ") +
                        listed(latin1) + ": check that it reads as written";
    }
    return {true, {}};
}
