#include "platform/PropertyList.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <functional>
#include <numeric>
#include <system_error>

namespace platform {

// ---------------------------------------------------------------------------
// The value type

PropertyList PropertyList::boolean(bool v) { return holding(Type::Boolean, &PropertyList::bool_, v); }
PropertyList PropertyList::integer(int64_t v) { return holding(Type::Integer, &PropertyList::int_, v); }
PropertyList PropertyList::real(double v) { return holding(Type::Real, &PropertyList::real_, v); }
PropertyList PropertyList::string(std::string utf8) { return holding(Type::String, &PropertyList::str_, std::move(utf8)); }
PropertyList PropertyList::data(std::string bytes) { return holding(Type::Data, &PropertyList::str_, std::move(bytes)); }
PropertyList PropertyList::date(double secondsSince2001) { return holding(Type::Date, &PropertyList::real_, secondsSince2001); }
PropertyList PropertyList::array(std::vector<PropertyList> items) {
    return holding(Type::Array, &PropertyList::items_, std::move(items));
}
PropertyList PropertyList::dictionary() {
    PropertyList p;
    p.type_ = Type::Dictionary;
    return p;
}
PropertyList PropertyList::uid(uint64_t v) { return holding(Type::UID, &PropertyList::uid_, v); }

bool PropertyList::boolValue() const {
    switch (type_) {
    case Type::Boolean: return bool_;
    case Type::Integer: return int_ != 0;
    case Type::Real: return real_ != 0.0;
    default: return false;
    }
}

int64_t PropertyList::integerValue() const {
    switch (type_) {
    case Type::Boolean: return bool_ ? 1 : 0;
    case Type::Integer: return int_;
    case Type::Real:
        // Out-of-range and NaN conversions are undefined behaviour: clamp them.
        if (std::isnan(real_)) return 0;
        if (real_ >= 9.2233720368547758e18) return INT64_MAX;
        if (real_ <= -9.2233720368547758e18) return INT64_MIN;
        return static_cast<int64_t>(real_);
    case Type::UID: return static_cast<int64_t>(uid_);
    default: return 0;
    }
}

double PropertyList::realValue() const {
    switch (type_) {
    case Type::Boolean: return bool_ ? 1.0 : 0.0;
    case Type::Integer: return static_cast<double>(int_);
    case Type::Real:
    case Type::Date: return real_;
    default: return 0.0;
    }
}

const std::string& PropertyList::stringValue() const {
    static const std::string empty;
    return (type_ == Type::String || type_ == Type::Data) ? str_ : empty;
}

const PropertyList& PropertyList::at(size_t i) const {
    static const PropertyList null;
    return (type_ == Type::Array || type_ == Type::Dictionary) && i < items_.size() ? items_[i] : null;
}

void PropertyList::append(PropertyList v) {
    if (type_ == Type::Null) type_ = Type::Array;
    if (type_ == Type::Array) items_.push_back(std::move(v));
}

size_t PropertyList::lowerBound(std::string_view key) const {
    auto it = std::lower_bound(keys_.begin(), keys_.end(), key,
                               [](const std::string& a, std::string_view b) { return std::string_view(a) < b; });
    return static_cast<size_t>(it - keys_.begin());
}

bool PropertyList::contains(std::string_view key) const { return find(key) != nullptr; }

const PropertyList* PropertyList::find(std::string_view key) const {
    if (type_ != Type::Dictionary) return nullptr;
    size_t i = lowerBound(key);
    return i < keys_.size() && keys_[i] == key ? &items_[i] : nullptr;
}

PropertyList* PropertyList::find(std::string_view key) {
    return const_cast<PropertyList*>(static_cast<const PropertyList*>(this)->find(key));
}

void PropertyList::set(std::string key, PropertyList v) {
    if (type_ == Type::Null) type_ = Type::Dictionary;
    if (type_ != Type::Dictionary) return;
    size_t i = lowerBound(key);
    if (i < keys_.size() && keys_[i] == key) {
        items_[i] = std::move(v);
        return;
    }
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(i), std::move(key));
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(i), std::move(v));
}

bool PropertyList::remove(std::string_view key) {
    if (type_ != Type::Dictionary) return false;
    size_t i = lowerBound(key);
    if (i >= keys_.size() || keys_[i] != key) return false;
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

bool PropertyList::operator==(const PropertyList& o) const {
    if (type_ != o.type_) return false;
    switch (type_) {
    case Type::Null: return true;
    case Type::Boolean: return bool_ == o.bool_;
    case Type::Integer: return int_ == o.int_;
    case Type::Real:
    case Type::Date: return real_ == o.real_ || (std::isnan(real_) && std::isnan(o.real_));
    case Type::String:
    case Type::Data: return str_ == o.str_;
    case Type::UID: return uid_ == o.uid_;
    case Type::Array: return items_ == o.items_;
    case Type::Dictionary: return keys_ == o.keys_ && items_ == o.items_;
    }
    return false;
}

const char* propertyListTypeName(PropertyList::Type t) {
    switch (t) {
    case PropertyList::Type::Null: return "null";
    case PropertyList::Type::Boolean: return "boolean";
    case PropertyList::Type::Integer: return "integer";
    case PropertyList::Type::Real: return "real";
    case PropertyList::Type::String: return "string";
    case PropertyList::Type::Data: return "data";
    case PropertyList::Type::Date: return "date";
    case PropertyList::Type::Array: return "array";
    case PropertyList::Type::Dictionary: return "dictionary";
    case PropertyList::Type::UID: return "UID";
    }
    return "unknown";
}

// ---------------------------------------------------------------------------
// Text helpers

namespace {

// Decodes UTF-8 into code points; malformed sequences become U+FFFD.
std::vector<uint32_t> utf8CodePoints(std::string_view s) {
    std::vector<uint32_t> cps;
    cps.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + static_cast<size_t>(len) > s.size()) {
            cps.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((d & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) {
            cps.push_back(0xFFFD);
            ++i;
            continue;
        }
        cps.push_back(cp);
        i += static_cast<size_t>(len);
    }
    return cps;
}

std::vector<uint16_t> utf16Units(std::string_view s) {
    std::vector<uint16_t> u;
    for (uint32_t cp : utf8CodePoints(s)) {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            u.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
            u.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            u.push_back(static_cast<uint16_t>(cp));
        }
    }
    return u;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr int64_t kDaysFrom1970To2001 = 11323;

std::string formatReal(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "+infinity" : "-infinity";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest form that reads back exactly
    return std::string(buf, r.ptr);
}

// XML dates are written in the form other readers of the format take (Python's
// plistlib reads nothing else): ISO 8601 calendar dates in UTC, in whole
// seconds, with a four-digit year, "2001-01-02T03:04:05Z".  A date with a
// fraction of a second keeps it, in the fewest decimals that read back as
// the same date ("2001-01-02T03:04:05.25Z"); only the years 1 to 9999 are
// written.
constexpr double kFirstXMLDate = -63113904000.0;  // 0001-01-01T00:00:00Z
constexpr double kLastXMLDate = 252423993599.0;   // 9999-12-31T23:59:59Z

bool isXMLDate(double t) {
    return std::isfinite(t) && std::floor(t) >= kFirstXMLDate && std::floor(t) <= kLastXMLDate;
}

// The decimals of 1 - 0.d1...dn: those of 10^n - d1...dn, without trailing
// zeros ("3" gives "7", "25" gives "75", "0001" gives "9999").  The decimals
// hold a digit other than zero.
std::string decimalsOfOneMinus(std::string_view d) {
    std::string out(d.substr(0, d.find_last_not_of('0') + 1));
    for (size_t i = 0; i + 1 < out.size(); ++i) out[i] = static_cast<char>('9' - (out[i] - '0'));
    out.back() = static_cast<char>('0' + 10 - (out.back() - '0'));
    return out;
}

// The date in whole seconds, and the decimals of the fraction (none, or
// digits after the point).
std::string formatXMLDate(double t, std::string_view decimals) {
    const int64_t secs = static_cast<int64_t>(std::floor(t));
    const int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    const int64_t rem = secs - days * 86400;
    int64_t y;
    unsigned m, d;
    civilFromDays(days + kDaysFrom1970To2001, y, m, d);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y), m, d,
                  static_cast<int>(rem / 3600), static_cast<int>(rem / 60 % 60), static_cast<int>(rem % 60));
    std::string out(buf);
    if (!decimals.empty()) out += "." + std::string(decimals);
    return out + "Z";
}

std::string formatXMLDate(double t) {
    if (t == std::floor(t)) return formatXMLDate(t, {});
    // The fraction t - floor(t) is exact in a double (Sterbenz) except in the
    // second before 2001, which the reader takes as -(1 - 0.decimals): there
    // the decimals are those of 1 - |t|, from |t|'s own.  The shortest fixed
    // form of a double reads back as that double.
    const bool beforeOne = t < 0.0 && t > -1.0;
    const double f = beforeOne ? -t : t - std::floor(t);
    char buf[1200];
    const auto r = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr - buf < 3 || buf[0] != '0' || buf[1] != '.') return formatXMLDate(t, {});
    const std::string_view digits(buf + 2, static_cast<size_t>(r.ptr - buf - 2));
    return formatXMLDate(t, beforeOne ? std::string_view(decimalsOfOneMinus(digits)) : digits);
}

// Reads what formatXMLDate writes, and what other writers may: a fraction of
// the second, a year of up to 9 digits (whose seconds fit in 64 bits) with a
// sign; false when the text is not such a date.
bool parseXMLDate(std::string_view t, double& out) {
    size_t i = 0;
    auto digits = [&](size_t minCount, size_t maxCount, int64_t& v) {
        size_t n = 0;
        v = 0;
        while (i < t.size() && n < maxCount && t[i] >= '0' && t[i] <= '9') v = v * 10 + (t[i++] - '0'), ++n;
        return n >= minCount;
    };
    auto expect = [&](char c) { return i < t.size() && t[i++] == c; };
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    int64_t y, mo, d, h, mi, s;
    if (!digits(4, 9, y) || !expect('-') || !digits(2, 2, mo) || !expect('-') || !digits(2, 2, d) ||
        !expect('T') || !digits(2, 2, h) || !expect(':') || !digits(2, 2, mi) || !expect(':') || !digits(2, 2, s))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return false;
    std::string_view decimals;
    if (i < t.size() && t[i] == '.') {
        const size_t start = ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        if (i == start) return false;
        decimals = t.substr(start, i - start);
    }
    if (!expect('Z') || i != t.size()) return false;
    const int64_t days = daysFromCivil(negative ? -y : y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) -
                         kDaysFrom1970To2001;
    const int64_t whole = days * 86400 + h * 3600 + mi * 60 + s;
    const bool beforeOne = whole == -1 && decimals.find_first_not_of('0') != std::string_view::npos;
    // In the second before 2001 the date is -(1 - fraction), read from its own
    // decimals (-1 + 0.7 would give -0.30000000000000004, -1 + 1e-20 would give -1).
    const std::string f = "0." + (beforeOne ? decimalsOfOneMinus(decimals) : std::string(decimals.empty() ? "0" : decimals));
    double fraction = 0.0;
    auto r = std::from_chars(f.data(), f.data() + f.size(), fraction);
    if (r.ec != std::errc() || r.ptr != f.data() + f.size()) return false;
    // Elsewhere the whole seconds are exact in a double, and adding the
    // fraction gives back the date written.
    out = beforeOne ? -fraction : static_cast<double>(whole) + fraction;
    return true;
}

// ---------------------------------------------------------------------------
// What the writers can represent

// Both formats hold values nested up to kMaxDepth (what the readers accept),
// strings and dictionary keys in well-formed UTF-8 and UIDs of 32 bits (those
// of keyed archives).  XML property lists beyond that have no null value, no
// character that XML 1.0 excludes (controls other than tab, line feed and
// carriage return; U+FFFE and U+FFFF), dates only in the years 1 to 9999
// (isXMLDate), and no dictionary {"CF$UID": n} (which reads back as the UID n).
class RepresentableCheck {
public:
    explicit RepresentableCheck(PlistFormat format) : xml_(format == PlistFormat::XML) {}

    // Empty when the tree can be written; otherwise what cannot, and where.
    std::string problem(const PropertyList& root) {
        value(root, 0);
        return problem_;
    }

private:
    static std::string printable(std::string_view s) {
        std::string out;
        for (size_t i = 0; i < s.size();) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            const size_t n = utf8SequenceLength(s, i);
            if (n == 0 || c < 0x20 || c == 0x7F) {
                char b[8];
                std::snprintf(b, sizeof b, "\\x%02X", c);
                out += b;
                ++i;
            } else {
                out.append(s.substr(i, n));
                i += n;
            }
        }
        return out;
    }

    std::string where() const {
        std::string p;
        for (const std::string& c : path_) p += "/" + printable(c);
        return p.empty() ? "/" : p;
    }

    bool fail(const std::string& what) {
        if (problem_.empty()) problem_ = what;
        return false;
    }

    // The text of a string or key: well-formed UTF-8, and in XML only characters XML can hold.
    bool text(std::string_view s, const char* what) {
        size_t bad = 0;
        if (!isValidUtf8(s, &bad)) {
            char b[64];
            std::snprintf(b, sizeof b, " (byte 0x%02X at offset %zu)", static_cast<unsigned char>(s[bad]), bad);
            return fail(std::string(what) + " at " + where() + " is not valid UTF-8" + b);
        }
        if (!xml_) return true;
        for (size_t i = 0; i < s.size();) {
            uint32_t cp = 0;
            i += utf8SequenceLength(s, i, &cp);
            if ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || cp == 0xFFFE || cp == 0xFFFF) {
                char b[16];
                std::snprintf(b, sizeof b, "U+%04X", cp);
                return fail(std::string(what) + " at " + where() + " holds the character " + b +
                            ", which an XML property list cannot hold");
            }
        }
        return true;
    }

    bool value(const PropertyList& v, int depth) {
        using T = PropertyList::Type;
        if (depth > PropertyList::kMaxDepth)
            return fail("values are nested more than " + std::to_string(PropertyList::kMaxDepth) + " levels deep");
        switch (v.type()) {
        case T::Null:
            return !xml_ || fail("the null value at " + where() + " has no XML form");
        case T::String: return text(v.stringValue(), "the string");
        case T::UID:
            if (v.uidValue() > 0xFFFFFFFFull)
                return fail("the UID " + std::to_string(v.uidValue()) + " at " + where() + " is larger than 32 bits");
            return true;
        case T::Date:
            if (xml_ && !isXMLDate(v.realValue()))
                return fail("the date at " + where() + " is not within the years 1 to 9999, where XML dates are written");
            return true;
        case T::Array:
            for (size_t i = 0; i < v.size(); ++i) {
                path_.push_back(std::to_string(i));
                const bool ok = value(v.items()[i], depth + 1);
                path_.pop_back();
                if (!ok) return false;
            }
            return true;
        case T::Dictionary:
            if (xml_ && v.size() == 1 && v.keys()[0] == "CF$UID" && v.items()[0].isInteger() &&
                v.items()[0].integerValue() >= 0 && v.items()[0].integerValue() <= 0xFFFFFFFFll)
                return fail("the dictionary at " + where() +
                            " holds only \"CF$UID\" with a number, which an XML property list reads back as a UID");
            for (size_t i = 0; i < v.size(); ++i) {
                path_.push_back(v.keys()[i]);
                const bool ok = text(v.keys()[i], "the key") && value(v.items()[i], depth + 1);
                path_.pop_back();
                if (!ok) return false;
            }
            return true;
        default: return true;
        }
    }

    bool xml_;
    std::vector<std::string> path_;
    std::string problem_;
};

}  // namespace

size_t repairUtf8(PropertyList& v) {
    size_t count = 0, n = 0;
    if (v.isString()) {
        if (!isValidUtf8(v.stringValue())) {
            v = PropertyList::string(repairedUtf8(v.stringValue(), &n));
            count += n;
        }
        return count;
    }
    for (PropertyList& item : v.items()) count += repairUtf8(item);
    if (!v.isDictionary()) return count;
    std::vector<std::string> bad;
    for (const std::string& k : v.keys())
        if (!isValidUtf8(k)) bad.push_back(k);
    for (const std::string& k : bad) {
        PropertyList item = std::move(*v.find(k));
        v.remove(k);
        v.set(repairedUtf8(k, &n), std::move(item));
        count += n;
    }
    return count;
}

namespace {

// ---------------------------------------------------------------------------
// Binary reader

class BinaryReader {
public:
    explicit BinaryReader(std::string_view b) : b_(b) {}

    PlistReadResult read(PropertyList& out) {
        if (b_.size() < 8 || b_.substr(0, 6) != "bplist")
            return fail("not a binary property list (no \"bplist\" header)");
        if (b_.substr(6, 2) != "00") return fail("unsupported binary property-list version \"" + std::string(b_.substr(6, 2)) + "\"");
        if (b_.size() < 8 + 1 + 32) return fail("the file is truncated (too short for a binary property list)");
        const size_t t = b_.size() - 32;
        offsetSize_ = static_cast<unsigned char>(b_[t + 6]);
        refSize_ = static_cast<unsigned char>(b_[t + 7]);
        const uint64_t numObjects = be(t + 8, 8);
        const uint64_t top = be(t + 16, 8);
        const uint64_t tableOffset = be(t + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return fail("the file is damaged (bad offset or reference size in the trailer)");
        if (numObjects == 0 || top >= numObjects)
            return fail("the file is damaged (bad object count or top object in the trailer)");
        if (tableOffset < 8 || tableOffset > t || numObjects > (t - tableOffset) / offsetSize_)
            return fail("the file is truncated or damaged (offset table outside the file)");
        objectsEnd_ = static_cast<size_t>(tableOffset);
        numObjects_ = static_cast<size_t>(numObjects);
        tableOffset_ = static_cast<size_t>(tableOffset);
        inProgress_.assign(numObjects_, false);
        budget_ = size_t(1) << 20;
        if (!object(static_cast<size_t>(top), out, 0)) return fail(error_);
        return {true, {}};
    }

private:
    static PlistReadResult fail(std::string msg) { return {false, std::move(msg)}; }

    bool error(std::string msg) {
        if (error_.empty()) error_ = std::move(msg);
        return false;
    }

    uint64_t be(size_t at, size_t n) const {
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(b_[at + i]);
        return v;
    }

    bool spend(size_t cost) {
        if (cost > budget_) return error("the file is damaged (its objects expand without bound)");
        budget_ -= cost;
        return true;
    }

    // Reads the count that follows a marker whose low nibble is 15.
    bool count(size_t& pos, uint64_t nibble, uint64_t& n) {
        if (nibble != 15) {
            n = nibble;
            return true;
        }
        if (pos >= objectsEnd_) return error("the file is truncated (a length runs past the objects)");
        unsigned char m = static_cast<unsigned char>(b_[pos]);
        if ((m >> 4) != 0x1 || (m & 0xF) > 3) return error("the file is damaged (bad length marker)");
        size_t w = size_t(1) << (m & 0xF);
        if (pos + 1 + w > objectsEnd_) return error("the file is truncated (a length runs past the objects)");
        n = be(pos + 1, w);
        if (w == 8 && n > (uint64_t(1) << 62)) return error("the file is damaged (negative length)");
        pos += 1 + w;
        return true;
    }

    bool refAt(size_t at, size_t& ref) {
        uint64_t r = be(at, refSize_);
        if (r >= numObjects_) return error("the file is damaged (object reference out of range)");
        ref = static_cast<size_t>(r);
        return true;
    }

    bool object(size_t index, PropertyList& out, int depth) {
        if (depth > PropertyList::kMaxDepth) return error("the file is damaged (objects nested too deeply)");
        if (inProgress_[index]) return error("the file is damaged (an object contains itself)");
        if (!spend(1)) return false;
        const uint64_t off = be(tableOffset_ + index * offsetSize_, offsetSize_);
        if (off < 8 || off >= objectsEnd_) return error("the file is damaged (object offset outside the file)");
        size_t pos = static_cast<size_t>(off);
        const unsigned char marker = static_cast<unsigned char>(b_[pos++]);
        const unsigned hi = marker >> 4, lo = marker & 0xF;
        auto need = [&](uint64_t n) {
            return n <= objectsEnd_ - pos ? true : error("the file is truncated (an object runs past the objects)");
        };
        switch (hi) {
        case 0x0:
            if (marker == 0x00 || marker == 0x0F) out = PropertyList();
            else if (marker == 0x08) out = PropertyList::boolean(false);
            else if (marker == 0x09) out = PropertyList::boolean(true);
            else return error("the file is damaged (unknown object marker)");
            return true;
        case 0x1: {
            if (lo > 4) return error("the file is damaged (bad integer size)");
            size_t w = size_t(1) << lo;
            if (!need(w)) return false;
            if (w <= 8) {
                uint64_t v = be(pos, w);
                // 1-, 2- and 4-byte integers are unsigned; 8-byte ones are signed.
                out = PropertyList::integer(static_cast<int64_t>(v));
                return true;
            }
            uint64_t high = be(pos, 8), low = be(pos + 8, 8);
            if (high == 0 && low <= static_cast<uint64_t>(INT64_MAX)) out = PropertyList::integer(static_cast<int64_t>(low));
            else if (high == ~uint64_t(0) && low > static_cast<uint64_t>(INT64_MAX))
                out = PropertyList::integer(static_cast<int64_t>(low));
            else return error("the file holds an integer too large for 64 bits");
            return true;
        }
        case 0x2:
        case 0x3: {
            if (hi == 0x3 && lo != 3) return error("the file is damaged (bad date size)");
            if (lo != 2 && lo != 3) return error("the file is damaged (bad real size)");
            size_t w = size_t(1) << lo;
            if (!need(w)) return false;
            double v;
            if (w == 4) {
                uint32_t bits = static_cast<uint32_t>(be(pos, 4));
                float f;
                std::memcpy(&f, &bits, 4);
                v = f;
            } else {
                uint64_t bits = be(pos, 8);
                std::memcpy(&v, &bits, 8);
            }
            out = hi == 0x2 ? PropertyList::real(v) : PropertyList::date(v);
            return true;
        }
        case 0x4:
        case 0x5:
        case 0x7: {
            uint64_t n;
            if (!count(pos, lo, n) || !need(n) || !spend(1 + static_cast<size_t>(n) / 64)) return false;
            std::string bytes(b_.substr(pos, static_cast<size_t>(n)));
            if (hi == 0x4) {
                out = PropertyList::data(std::move(bytes));
            } else if (hi == 0x5 && !isAscii(bytes)) {
                std::string s;  // bytes outside ASCII read as Latin-1
                for (char c : bytes) appendUtf8(s, static_cast<unsigned char>(c));
                out = PropertyList::string(std::move(s));
            } else {
                out = PropertyList::string(std::move(bytes));
            }
            return true;
        }
        case 0x6: {
            uint64_t n;
            if (!count(pos, lo, n)) return false;
            if (n > (objectsEnd_ - pos) / 2) return error("the file is truncated (a string runs past the objects)");
            if (!spend(1 + static_cast<size_t>(n) / 32)) return false;
            std::string s;
            s.reserve(static_cast<size_t>(n));
            for (uint64_t i = 0; i < n; ++i) {
                uint32_t u = static_cast<uint32_t>(be(pos + 2 * i, 2));
                if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
                    uint32_t u2 = static_cast<uint32_t>(be(pos + 2 * (i + 1), 2));
                    if (u2 >= 0xDC00 && u2 <= 0xDFFF) {
                        appendUtf8(s, 0x10000 + ((u - 0xD800) << 10) + (u2 - 0xDC00));
                        ++i;
                        continue;
                    }
                }
                appendUtf8(s, u);
            }
            out = PropertyList::string(std::move(s));
            return true;
        }
        case 0x8: {
            size_t w = lo + 1u;
            if (w > 8) return error("the file holds a UID larger than 32 bits");
            if (!need(w)) return false;
            const uint64_t u = be(pos, w);
            if (u > 0xFFFFFFFFull) return error("the file holds a UID larger than 32 bits");
            out = PropertyList::uid(u);
            return true;
        }
        case 0xA:
        case 0xC:
        case 0xD: {
            uint64_t n;
            if (!count(pos, lo, n)) return false;
            const uint64_t refs = hi == 0xD ? 2 * n : n;
            if (n > objectsEnd_ || refs > (objectsEnd_ - pos) / refSize_)
                return error("the file is truncated (a collection runs past the objects)");
            inProgress_[index] = true;
            bool ok = hi == 0xD ? dictionary(pos, static_cast<size_t>(n), out, depth) : array(pos, static_cast<size_t>(n), out, depth);
            inProgress_[index] = false;
            return ok;
        }
        default:
            return error("the file is damaged (unknown object marker)");
        }
    }

    bool array(size_t pos, size_t n, PropertyList& out, int depth) {
        if (!spend(n)) return false;  // before allocating: the count comes from the file
        std::vector<PropertyList> items(n);
        for (size_t i = 0; i < n; ++i) {
            size_t ref;
            if (!refAt(pos + i * refSize_, ref) || !object(ref, items[i], depth + 1)) return false;
        }
        out = PropertyList::array(std::move(items));
        return true;
    }

    bool dictionary(size_t pos, size_t n, PropertyList& out, int depth) {
        if (!spend(2 * n)) return false;
        PropertyList d = PropertyList::dictionary();
        std::vector<std::pair<std::string, PropertyList>> entries(n);
        for (size_t i = 0; i < n; ++i) {
            size_t kref, vref;
            PropertyList key;
            if (!refAt(pos + i * refSize_, kref) || !refAt(pos + (n + i) * refSize_, vref)) return false;
            if (!object(kref, key, depth + 1)) return false;
            if (!key.isString()) return error("the file holds a dictionary key that is not a string");
            entries[i].first = key.stringValue();
            if (!object(vref, entries[i].second, depth + 1)) return false;
        }
        // Sort once rather than inserting one by one; on a repeated key the last one holds.
        std::vector<size_t> order(n);
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return entries[a].first < entries[b].first; });
        std::vector<std::pair<std::string, PropertyList>> sorted;
        sorted.reserve(n);
        for (size_t i : order) {
            if (!sorted.empty() && sorted.back().first == entries[i].first) sorted.back() = std::move(entries[i]);
            else sorted.push_back(std::move(entries[i]));
        }
        // Appending in key order keeps the dictionary's keys sorted at no search cost.
        for (auto& e : sorted) d.set(std::move(e.first), std::move(e.second));
        out = std::move(d);
        return true;
    }

    std::string_view b_;
    unsigned offsetSize_ = 0, refSize_ = 0;
    size_t numObjects_ = 0, tableOffset_ = 0, objectsEnd_ = 0;
    std::vector<bool> inProgress_;
    size_t budget_ = 0;
    std::string error_;
};

// ---------------------------------------------------------------------------
// Binary writer

class BinaryWriter {
public:
    std::string write(const PropertyList& root) {
        flatten(root);
        const uint64_t n = objects_.size();
        refSize_ = n < 256 ? 1 : n < 65536 ? 2 : n < (uint64_t(1) << 32) ? 4 : 8;
        out_ = "bplist00";
        std::vector<uint64_t> offsets;
        offsets.reserve(objects_.size());
        for (const Flat& f : objects_) {
            offsets.push_back(out_.size());
            emit(f);
        }
        const uint64_t tableOffset = out_.size();
        const uint64_t maxOffset = offsets.empty() ? 0 : offsets.back();
        const unsigned offSize = maxOffset < 256 ? 1 : maxOffset < 65536 ? 2 : maxOffset < (uint64_t(1) << 32) ? 4 : 8;
        for (uint64_t o : offsets) putBE(o, offSize);
        out_.append(6, '\0');
        out_ += static_cast<char>(offSize);
        out_ += static_cast<char>(refSize_);
        putBE(n, 8);
        putBE(0, 8);
        putBE(tableOffset, 8);
        return std::move(out_);
    }

private:
    struct Flat {
        const PropertyList* value = nullptr;  // nullptr for a dictionary key
        std::string key;
        std::vector<uint64_t> refs;
    };

    uint64_t addKey(const std::string& key) {
        auto it = strings_.find(key);
        if (it != strings_.end()) return it->second;
        uint64_t i = objects_.size();
        objects_.push_back(Flat{nullptr, key, {}});
        strings_.emplace(key, i);
        return i;
    }

    uint64_t flatten(const PropertyList& v) {
        using T = PropertyList::Type;
        if (v.type() == T::String) return addKey(v.stringValue());
        if (v.type() != T::Array && v.type() != T::Dictionary) {
            // Equal scalars are written once, as archivers do.
            std::string sig(1, static_cast<char>(v.type()));
            if (v.type() == T::Data) sig += v.stringValue();
            else if (v.type() == T::Boolean) sig += v.boolValue() ? '1' : '0';
            else if (v.type() == T::Integer) sig += std::to_string(v.integerValue());
            else if (v.type() == T::UID) sig += std::to_string(v.uidValue());
            else if (v.type() == T::Real || v.type() == T::Date) {
                double d = v.realValue();
                char bits[8];
                std::memcpy(bits, &d, 8);
                sig.append(bits, 8);
            }
            auto it = scalars_.find(sig);
            if (it != scalars_.end()) return it->second;
            uint64_t i = objects_.size();
            objects_.push_back(Flat{&v, {}, {}});
            scalars_.emplace(std::move(sig), i);
            return i;
        }
        uint64_t i = objects_.size();
        objects_.push_back(Flat{&v, {}, {}});
        std::vector<uint64_t> refs;
        if (v.isDictionary()) {
            for (const std::string& k : v.keys()) refs.push_back(addKey(k));
        }
        for (const PropertyList& item : v.items()) refs.push_back(flatten(item));
        objects_[i].refs = std::move(refs);
        return i;
    }

    void putBE(uint64_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
    }

    void putInt(int64_t v) {
        if (v >= 0 && v < 256) {
            out_ += '\x10';
            putBE(static_cast<uint64_t>(v), 1);
        } else if (v >= 0 && v < 65536) {
            out_ += '\x11';
            putBE(static_cast<uint64_t>(v), 2);
        } else if (v >= 0 && v <= 0xFFFFFFFFll) {
            out_ += '\x12';
            putBE(static_cast<uint64_t>(v), 4);
        } else {
            out_ += '\x13';
            putBE(static_cast<uint64_t>(v), 8);
        }
    }

    void putMarker(unsigned hi, uint64_t n) {
        if (n < 15) {
            out_ += static_cast<char>((hi << 4) | n);
        } else {
            out_ += static_cast<char>((hi << 4) | 0xF);
            putInt(static_cast<int64_t>(n));
        }
    }

    void emit(const Flat& f) {
        using T = PropertyList::Type;
        if (!f.value) {
            const std::string& s = f.key;
            if (isAscii(s)) {
                putMarker(0x5, s.size());
                out_ += s;
            } else {
                std::vector<uint16_t> u = utf16Units(s);
                putMarker(0x6, u.size());
                for (uint16_t c : u) putBE(c, 2);
            }
            return;
        }
        const PropertyList& v = *f.value;
        switch (v.type()) {
        case T::Null: out_ += '\0'; break;
        case T::Boolean: out_ += v.boolValue() ? '\x09' : '\x08'; break;
        case T::Integer: putInt(v.integerValue()); break;
        case T::Real:
        case T::Date: {
            out_ += v.type() == T::Real ? '\x23' : '\x33';
            double d = v.realValue();
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            putBE(bits, 8);
            break;
        }
        case T::Data:
            putMarker(0x4, v.stringValue().size());
            out_ += v.stringValue();
            break;
        case T::String: break;  // written as keys are
        case T::UID: {
            uint64_t u = v.uidValue();
            unsigned w = u < 256 ? 1 : u < 65536 ? 2 : u <= 0xFFFFFFFFull ? 4 : 8;
            out_ += static_cast<char>(0x80 | (w - 1));
            putBE(u, w);
            break;
        }
        case T::Array:
            putMarker(0xA, f.refs.size());
            for (uint64_t r : f.refs) putBE(r, refSize_);
            break;
        case T::Dictionary:
            putMarker(0xD, f.refs.size() / 2);
            for (uint64_t r : f.refs) putBE(r, refSize_);
            break;
        }
    }

    std::vector<Flat> objects_;
    std::map<std::string, uint64_t> strings_;
    std::map<std::string, uint64_t> scalars_;
    unsigned refSize_ = 1;
    std::string out_;
};

// ---------------------------------------------------------------------------
// XML reader

const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(std::string_view in) {
    std::string out;
    size_t i = 0;
    int col = 0;
    while (i < in.size()) {
        uint32_t v = static_cast<unsigned char>(in[i]) << 16;
        size_t k = 1;
        if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8, ++k;
        if (i + 2 < in.size()) v |= static_cast<unsigned char>(in[i + 2]), ++k;
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += k > 1 ? kB64[(v >> 6) & 63] : '=';
        out += k > 2 ? kB64[v & 63] : '=';
        i += 3;
        if ((col += 4) >= 68 && i < in.size()) {
            out += '\n';
            col = 0;
        }
    }
    return out;
}

bool base64Decode(std::string_view in, std::string& out) {
    uint32_t acc = 0;
    int bits = 0;
    bool padding = false;
    for (char c : in) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c == '=') {
            padding = true;
            continue;
        }
        const char* p = std::strchr(kB64, c);
        if (!p || c == '\0' || padding) return false;
        acc = (acc << 6) | static_cast<uint32_t>(p - kB64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return true;
}

class XMLReader {
public:
    explicit XMLReader(std::string_view s) : s_(s) {}

    PlistReadResult read(PropertyList& out) {
        // XML property lists are UTF-8: text in another encoding would give
        // strings that no writer could store again.
        size_t bad = 0;
        if (!isValidUtf8(s_, &bad)) {
            p_ = bad;
            return {false, "the file is not UTF-8 text" + where()};
        }
        if (s_.size() >= 3 && s_.substr(0, 3) == "\xEF\xBB\xBF") p_ = 3;
        if (!skipMisc()) return fail();
        std::string name;
        bool empty = false;
        if (!openTag(name, empty)) return fail();
        if (name == "plist") {
            if (empty) return {false, "the property list is empty"};
            if (!skipMisc()) return fail();
            if (!value(out, 0)) return fail();
            if (!skipMisc() || !closeTag("plist")) return fail();
        } else {
            if (!valueNamed(name, empty, out, 0)) return fail();
        }
        if (!skipMisc()) return fail();
        if (p_ != s_.size()) return {false, "unexpected text after the property list" + where()};
        return {true, {}};
    }

private:
    PlistReadResult fail() { return {false, error_.empty() ? "malformed XML property list" : error_}; }

    bool error(const std::string& msg) {
        if (error_.empty()) error_ = msg + where();
        return false;
    }

    std::string where() const {
        size_t line = 1 + static_cast<size_t>(std::count(s_.begin(), s_.begin() + static_cast<std::ptrdiff_t>(std::min(p_, s_.size())), '\n'));
        return " (line " + std::to_string(line) + ")";
    }

    bool startsWith(std::string_view t) const { return s_.substr(p_, t.size()) == t; }

    void skipSpace() {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\n' || s_[p_] == '\r')) ++p_;
    }

    bool skipPast(std::string_view end) {
        size_t q = s_.find(end, p_);
        if (q == std::string_view::npos) return error("unterminated markup");
        p_ = q + end.size();
        return true;
    }

    // Whitespace, comments, processing instructions and the document type.
    bool skipMisc() {
        for (;;) {
            skipSpace();
            if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (startsWith("<!DOCTYPE")) {
                // The plist document type has no internal subset; a '[' would need more care.
                size_t q = s_.find_first_of("[>", p_);
                if (q == std::string_view::npos || s_[q] == '[') return error("unsupported document type declaration");
                p_ = q + 1;
            } else {
                return true;
            }
        }
    }

    bool openTag(std::string& name, bool& empty) {
        if (p_ >= s_.size()) return error("the file ends where a value was expected");
        if (s_[p_] != '<' || startsWith("</")) return error("expected an element");
        size_t q = s_.find('>', p_);
        if (q == std::string_view::npos) return error("unterminated tag");
        std::string_view tag = s_.substr(p_ + 1, q - p_ - 1);
        empty = !tag.empty() && tag.back() == '/';
        if (empty) tag.remove_suffix(1);
        size_t e = tag.find_first_of(" \t\r\n");
        name = std::string(tag.substr(0, e));
        p_ = q + 1;
        if (name.empty()) return error("empty tag name");
        return true;
    }

    bool closeTag(std::string_view name) {
        skipSpace();
        std::string t = "</" + std::string(name);
        if (!startsWith(t)) return error("expected </" + std::string(name) + ">");
        p_ += t.size();
        skipSpace();
        if (p_ >= s_.size() || s_[p_] != '>') return error("expected </" + std::string(name) + ">");
        ++p_;
        return true;
    }

    // The character content of a text element, entities and CDATA decoded.
    bool text(std::string_view name, std::string& out) {
        for (;;) {
            if (p_ >= s_.size()) return error("unterminated <" + std::string(name) + ">");
            char c = s_[p_];
            if (c == '<') {
                if (startsWith("<![CDATA[")) {
                    size_t q = s_.find("]]>", p_ + 9);
                    if (q == std::string_view::npos) return error("unterminated CDATA section");
                    out.append(s_.substr(p_ + 9, q - p_ - 9));
                    p_ = q + 3;
                    continue;
                }
                if (startsWith("<!--")) {
                    if (!skipPast("-->")) return false;
                    continue;
                }
                return closeTag(name);
            }
            if (c == '&') {
                size_t q = s_.find(';', p_);
                if (q == std::string_view::npos || q - p_ > 12) return error("bad character reference");
                std::string_view ent = s_.substr(p_ + 1, q - p_ - 1);
                if (ent == "lt") out += '<';
                else if (ent == "gt") out += '>';
                else if (ent == "amp") out += '&';
                else if (ent == "quot") out += '"';
                else if (ent == "apos") out += '\'';
                else if (ent.size() > 1 && ent[0] == '#') {
                    uint32_t cp = 0;
                    bool hex = ent[1] == 'x' || ent[1] == 'X';
                    std::string_view digits = ent.substr(hex ? 2 : 1);
                    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
                    if (digits.empty() || r.ec != std::errc() || r.ptr != digits.data() + digits.size())
                        return error("bad character reference");
                    appendUtf8(out, cp);
                } else {
                    return error("unknown entity &" + std::string(ent) + ";");
                }
                p_ = q + 1;
                continue;
            }
            out += c;
            ++p_;
        }
    }

    bool value(PropertyList& out, int depth) {
        std::string name;
        bool empty = false;
        if (!openTag(name, empty)) return false;
        return valueNamed(name, empty, out, depth);
    }

    static std::string_view trim(std::string_view t) {
        while (!t.empty() && std::strchr(" \t\r\n", t.front())) t.remove_prefix(1);
        while (!t.empty() && std::strchr(" \t\r\n", t.back())) t.remove_suffix(1);
        return t;
    }

    bool valueNamed(const std::string& name, bool empty, PropertyList& out, int depth) {
        // Containers deeper than the limit are refused (the number inside the
        // dictionary that stands for a UID is one level further down).
        if (depth > PropertyList::kMaxDepth && (name == "array" || name == "dict"))
            return error("values nested too deeply");
        if (name == "true" || name == "false") {
            if (!empty && !closeTag(name)) return false;
            out = PropertyList::boolean(name == "true");
            return true;
        }
        if (name == "array") {
            out = PropertyList::array();
            if (empty) return true;
            for (;;) {
                skipMiscInside();
                if (startsWith("</")) return closeTag("array");
                PropertyList item;
                if (!value(item, depth + 1)) return false;
                out.append(std::move(item));
            }
        }
        if (name == "dict") {
            out = PropertyList::dictionary();
            if (empty) return true;
            for (;;) {
                skipMiscInside();
                if (startsWith("</")) {
                    if (!closeTag("dict")) return false;
                    break;
                }
                std::string kname;
                bool kempty = false;
                if (!openTag(kname, kempty)) return false;
                if (kname != "key") return error("expected <key> in a dictionary, found <" + kname + ">");
                std::string key;
                if (!kempty && !text("key", key)) return false;
                skipMiscInside();
                PropertyList v;
                if (!value(v, depth + 1)) return false;
                out.set(std::move(key), std::move(v));
            }
            // A keyed archive written as XML keeps its UIDs as {"CF$UID": n}.
            if (out.size() == 1 && out.keys()[0] == "CF$UID" && out.items()[0].isInteger() &&
                out.items()[0].integerValue() >= 0 && out.items()[0].integerValue() <= 0xFFFFFFFFll)
                out = PropertyList::uid(static_cast<uint64_t>(out.items()[0].integerValue()));
            return true;
        }
        std::string t;
        if (!empty && !text(name, t)) return false;
        if (name == "string") {
            out = PropertyList::string(std::move(t));
        } else if (name == "integer") {
            std::string_view d = trim(t);
            bool neg = !d.empty() && d[0] == '-';
            if (!d.empty() && (d[0] == '-' || d[0] == '+')) d.remove_prefix(1);
            int base = 10;
            if (d.size() > 2 && d[0] == '0' && (d[1] == 'x' || d[1] == 'X')) base = 16, d.remove_prefix(2);
            uint64_t u = 0;
            auto r = std::from_chars(d.data(), d.data() + d.size(), u, base);
            if (d.empty() || r.ec != std::errc() || r.ptr != d.data() + d.size()) return error("bad <integer> \"" + t + "\"");
            if (neg ? u > uint64_t(INT64_MAX) + 1 : u > uint64_t(INT64_MAX)) return error("<integer> out of range \"" + t + "\"");
            out = PropertyList::integer(neg ? static_cast<int64_t>(0 - u) : static_cast<int64_t>(u));
        } else if (name == "real") {
            std::string_view d = trim(t);
            double v = 0;
            std::string low(d);
            std::transform(low.begin(), low.end(), low.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (low == "nan") v = NAN;
            else if (low == "+infinity" || low == "infinity" || low == "inf" || low == "+inf") v = INFINITY;
            else if (low == "-infinity" || low == "-inf") v = -INFINITY;
            else {
                if (!d.empty() && d[0] == '+') d.remove_prefix(1);
                auto r = std::from_chars(d.data(), d.data() + d.size(), v);
                if (d.empty() || r.ec != std::errc() || r.ptr != d.data() + d.size()) return error("bad <real> \"" + t + "\"");
            }
            out = PropertyList::real(v);
        } else if (name == "data") {
            std::string bytes;
            if (!base64Decode(t, bytes)) return error("bad base64 in <data>");
            out = PropertyList::data(std::move(bytes));
        } else if (name == "date") {
            double when = 0;
            if (!parseXMLDate(trim(t), when)) return error("bad <date> \"" + t + "\"");
            out = PropertyList::date(when);
        } else if (name == "key") {
            return error("<key> outside a dictionary");
        } else {
            return error("unknown element <" + name + ">");
        }
        return true;
    }

    void skipMiscInside() {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                if (!skipPast("-->")) return;
            } else {
                return;
            }
        }
    }

    std::string_view s_;
    size_t p_ = 0;
    std::string error_;
};

// ---------------------------------------------------------------------------
// XML writer

void xmlEscape(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '\r': out += "&#13;"; break;  // a raw carriage return would read back as a line feed
        default: out += c;
        }
    }
}

void xmlValue(std::string& out, const PropertyList& v, int indent) {
    using T = PropertyList::Type;
    std::string pad(static_cast<size_t>(indent), '\t');
    out += pad;
    switch (v.type()) {
    case T::Null: out += "<string></string>\n"; break;
    case T::Boolean: out += v.boolValue() ? "<true/>\n" : "<false/>\n"; break;
    case T::Integer: out += "<integer>" + std::to_string(v.integerValue()) + "</integer>\n"; break;
    case T::Real: out += "<real>" + formatReal(v.realValue()) + "</real>\n"; break;
    case T::String:
        out += "<string>";
        xmlEscape(out, v.stringValue());
        out += "</string>\n";
        break;
    case T::Data: out += "<data>" + base64Encode(v.stringValue()) + "</data>\n"; break;
    case T::Date: out += "<date>" + formatXMLDate(v.realValue()) + "</date>\n"; break;
    case T::UID:
        out += "<dict>\n" + pad + "\t<key>CF$UID</key>\n" + pad + "\t<integer>" + std::to_string(v.uidValue()) +
               "</integer>\n" + pad + "</dict>\n";
        break;
    case T::Array:
        if (v.size() == 0) {
            out += "<array/>\n";
            break;
        }
        out += "<array>\n";
        for (const PropertyList& item : v.items()) xmlValue(out, item, indent + 1);
        out += pad + "</array>\n";
        break;
    case T::Dictionary:
        if (v.size() == 0) {
            out += "<dict/>\n";
            break;
        }
        out += "<dict>\n";
        for (size_t i = 0; i < v.size(); ++i) {
            out += pad + "\t<key>";
            xmlEscape(out, v.keys()[i]);
            out += "</key>\n";
            xmlValue(out, v.items()[i], indent + 1);
        }
        out += pad + "</dict>\n";
        break;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

PlistReadResult readBinaryPropertyList(std::string_view bytes, PropertyList& out) {
    PropertyList v;
    PlistReadResult r = BinaryReader(bytes).read(v);
    if (r.ok) out = std::move(v);
    return r;
}

PlistReadResult readXMLPropertyList(std::string_view bytes, PropertyList& out) {
    PropertyList v;
    PlistReadResult r = XMLReader(bytes).read(v);
    if (r.ok) out = std::move(v);
    return r;
}

PlistReadResult readPropertyList(std::string_view bytes, PropertyList& out, PlistFormat* format) {
    if (bytes.substr(0, 6) == "bplist") {
        if (format) *format = PlistFormat::Binary;
        return readBinaryPropertyList(bytes, out);
    }
    std::string_view head = bytes.substr(0, 512);
    size_t lt = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (lt != std::string_view::npos && head[lt] == '<' && (head.find("<plist") != std::string_view::npos || head.find("<?xml") != std::string_view::npos)) {
        if (format) *format = PlistFormat::XML;
        return readXMLPropertyList(bytes, out);
    }
    return {false, bytes.empty() ? "the file is empty" : "the file is not a property list"};
}

std::string writeBinaryPropertyList(const PropertyList& root, std::string* error) {
    std::string problem = RepresentableCheck(PlistFormat::Binary).problem(root);
    if (!problem.empty()) {
        if (error) *error = std::move(problem);
        return {};
    }
    return BinaryWriter().write(root);
}

std::string writeXMLPropertyList(const PropertyList& root, std::string* error) {
    std::string problem = RepresentableCheck(PlistFormat::XML).problem(root);
    if (!problem.empty()) {
        if (error) *error = std::move(problem);
        return {};
    }
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    xmlValue(out, root, 0);
    out += "</plist>\n";
    return out;
}

PlistReadResult readPropertyListFile(const std::string& path, PropertyList& out, size_t maxBytes) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) return {false, "cannot open \"" + path + "\": " + ec.message()};
    if (size > maxBytes) return {false, "\"" + path + "\" is too large to be a document"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {false, "cannot open \"" + path + "\""};
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<uint64_t>(in.gcount()) != size) return {false, "cannot read \"" + path + "\""};
    return readPropertyList(bytes, out);
}

}  // namespace platform
