#include "app/document/CaseList.h"

#include <algorithm>
#include <charconv>
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

int CaseList::addCase(int selectedRow) {
    int row = valid(selectedRow) ? selectedRow + 1 : static_cast<int>(mList.size());
    mList.items().insert(mList.items().begin() + row, newCaseDictionary());
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

// The places of a case's text that was not UTF-8, repaired in place: its
// fields ("the comment of case 2 ("Etna")") and its keys.
void repairCaseText(size_t i, PropertyList& c, std::vector<std::string>& places) {
    std::vector<std::string> fields;
    for (size_t j = 0; j < c.size(); ++j) {
        if (platform::repairUtf8(c.items()[j]) == 0) continue;
        const std::string& key = c.keys()[j];
        fields.push_back(key == "name" || key == "comment" ? "the " + key : "the value under \"" + key + "\"");
    }
    const bool badKey = std::any_of(c.keys().begin(), c.keys().end(),
                                    [](const std::string& k) { return !platform::isValidUtf8(k); });
    if (badKey) {
        platform::repairUtf8(c);
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
    if (!r.ok) return r;
    platform::KeyedUnarchiver unarchiver;
    r = unarchiver.open(std::move(plist));
    if (!r.ok) return r;
    if (!unarchiver.containsValue("list")) return {false, "it holds no case list (no \"list\" entry)"};
    PropertyList list;
    r = unarchiver.decodeObject("list", list);
    if (!r.ok) return {false, "its case list cannot be read: " + r.error};
    if (!list.isArray()) return {false, "its \"list\" entry is not an array of cases"};
    const PropertyList defaults = newCaseDictionary();
    std::vector<std::string> repaired;
    for (size_t i = 0; i < list.size(); ++i) {
        PropertyList& c = list.items()[i];
        if (!c.isDictionary())
            return {false, "its " + caseLabel(i, c) + " is not a dictionary but " + kindOf(c)};
        repairCaseText(i, c, repaired);
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
    if (repairs) {
        repairs->clear();
        for (size_t k = 0; k < repaired.size(); ++k)
            *repairs += (k == 0 ? "" : k + 1 == repaired.size() ? " and " : ", ") + repaired[k];
        if (!repaired.empty())
            *repairs = "text that is not UTF-8 was repaired in " + *repairs +
                       ": each invalid sequence now reads as U+FFFD (\xEF\xBF\xBD)";
    }
    return {true, {}};
}
