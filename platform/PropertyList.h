#pragma once
// Property lists: the value tree that documents and archived records are made
// of, with a reader of binary ("bplist00") and XML property lists and writers of
// both.
//
// Reading is defensive: a truncated file, an offset outside the file, an object
// that contains itself, a nesting deeper than kMaxDepth or a shared object tree
// that would expand past a fixed budget is refused with a message, never read
// past its end or followed for ever.  No reader or writer throws.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class PropertyList {
public:
    enum class Type { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary, UID };

    // Nesting deeper than this is refused on reading.
    static constexpr int kMaxDepth = 512;

    PropertyList() = default;  // Null
    static PropertyList boolean(bool v);
    static PropertyList integer(int64_t v);
    static PropertyList real(double v);
    static PropertyList string(std::string utf8);
    static PropertyList data(std::string bytes);
    // Seconds since 2001-01-01 00:00:00 UTC, as property lists keep dates.
    static PropertyList date(double secondsSince2001);
    static PropertyList array(std::vector<PropertyList> items = {});
    static PropertyList dictionary();
    static PropertyList uid(uint64_t v);

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isInteger() const { return type_ == Type::Integer; }
    bool isReal() const { return type_ == Type::Real; }
    bool isNumber() const { return type_ == Type::Integer || type_ == Type::Real; }
    bool isString() const { return type_ == Type::String; }
    bool isData() const { return type_ == Type::Data; }
    bool isDate() const { return type_ == Type::Date; }
    bool isArray() const { return type_ == Type::Array; }
    bool isDictionary() const { return type_ == Type::Dictionary; }
    bool isUID() const { return type_ == Type::UID; }

    // Scalar accessors; a value of another type gives 0, false or "".
    bool boolValue() const;
    int64_t integerValue() const;       // reals are truncated toward zero
    double realValue() const;           // integers are converted; dates give their seconds
    const std::string& stringValue() const;  // String (UTF-8) or Data (bytes)
    uint64_t uidValue() const { return type_ == Type::UID ? uid_ : 0; }

    // Arrays and dictionaries: the number of items (0 for scalars).
    size_t size() const { return items_.size(); }
    // Array items (and dictionary values, in key order).
    const std::vector<PropertyList>& items() const { return items_; }
    std::vector<PropertyList>& items() { return items_; }
    const PropertyList& at(size_t i) const;  // a Null value when out of range
    void append(PropertyList v);              // turns a Null into an array

    // Dictionaries: keys are kept sorted and unique.
    const std::vector<std::string>& keys() const { return keys_; }
    bool contains(std::string_view key) const;
    // The value under key, or nullptr.
    const PropertyList* find(std::string_view key) const;
    PropertyList* find(std::string_view key);
    // Sets or replaces; turns a Null into a dictionary.
    void set(std::string key, PropertyList v);
    bool remove(std::string_view key);

    bool operator==(const PropertyList& o) const;
    bool operator!=(const PropertyList& o) const { return !(*this == o); }

private:
    size_t lowerBound(std::string_view key) const;
    // A value of type t whose payload is held in the given member.
    template <class Member, class Value>
    static PropertyList holding(Type t, Member PropertyList::*member, Value v) {
        PropertyList p;
        p.type_ = t;
        p.*member = std::move(v);
        return p;
    }

    Type type_ = Type::Null;
    bool bool_ = false;
    int64_t int_ = 0;
    double real_ = 0.0;
    uint64_t uid_ = 0;
    std::string str_;                  // String (UTF-8) or Data
    std::vector<PropertyList> items_;  // Array items or Dictionary values
    std::vector<std::string> keys_;    // Dictionary keys, parallel to items_
};

const char* propertyListTypeName(PropertyList::Type t);

// The outcome of reading: ok, or a message that says what is wrong and where.
struct PlistReadResult {
    bool ok = false;
    std::string error;
};

enum class PlistFormat { Binary, XML };

// Reads a binary or an XML property list, telling them apart by their first bytes.
PlistReadResult readPropertyList(std::string_view bytes, PropertyList& out, PlistFormat* format = nullptr);
PlistReadResult readBinaryPropertyList(std::string_view bytes, PropertyList& out);
PlistReadResult readXMLPropertyList(std::string_view bytes, PropertyList& out);

// Writers.  What a writer writes, its reader reads back as it was (but for
// the fractions of XML dates, below).  A tree
// that the format cannot represent is refused: the result is empty and *error
// (when given) says what cannot be written and where ("/key/index" from the
// root).  Both formats refuse strings and keys that are not well-formed UTF-8,
// UIDs beyond 32 bits and nesting deeper than kMaxDepth.  XML also refuses the
// null value, characters XML 1.0 excludes (control characters other than tab,
// line feed and carriage return; U+FFFE, U+FFFF), dates outside the years 1
// to 9999 or not finite, and a dictionary whose
// only entry is "CF$UID" with a number from 0 to 2^32 - 1; UIDs are written
// in XML as that dictionary, the form the XML reader turns back into a UID.
// XML dates are written in whole seconds, "2001-01-02T03:04:05Z", the form
// other readers of the format take: a date with a fraction of a second reads
// back as the second it falls in (the binary format keeps dates exactly).
std::string writeBinaryPropertyList(const PropertyList& root, std::string* error = nullptr);
std::string writeXMLPropertyList(const PropertyList& root, std::string* error = nullptr);

// Replaces each ill-formed UTF-8 sequence in the strings and dictionary keys
// of a tree by U+FFFD (see repairedUtf8 in Utf8.h) and returns the number of
// replacements.  The binary reader gives a UTF-8 string the bytes the file
// holds; a caller that keeps what it read repairs it so that it can be written
// again.  A key that repairs to one its dictionary already has replaces that entry.
size_t repairUtf8(PropertyList& tree);

// Whole files: reading refuses files over maxBytes.
PlistReadResult readPropertyListFile(const std::string& path, PropertyList& out,
                                     size_t maxBytes = size_t(256) << 20);

// Writes a whole file so that, whatever happens, the file holds either its
// old contents or the new ones, whole:
// - a path that is a symbolic link (or a chain of them) stands for the file it
//   points to: that file is replaced and the link stays as it is;
// - the bytes go to a temporary file beside that file, created exclusively
//   under a new random name (never through a link or into a file that exists
//   there), written, given the permissions of the file it replaces (a new
//   file those of the umask), flushed to disk and renamed over the file; the
//   folder is then flushed so that the new name survives a crash;
// - a file that has no write permission is not replaced, nor is a folder or
//   anything else that is not a regular file.
// On failure the old file is untouched, no temporary file is left, and `error`
// says what went wrong, without the file's name (the caller's message names
// it).  `beforeCreating`, when given, is called with each temporary name just
// before the file is created there.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const std::function<void(const std::string& temporaryPath)>& beforeCreating = {});

}  // namespace platform
