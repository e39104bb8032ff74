#pragma once
// Keyed archives: an object graph stored as a property list in the layout that
// documents of the macOS version use, so that files move between the two:
//
//   { "$archiver": "NSKeyedArchiver", "$version": 100000,
//     "$top": { key: value or UID, ... },
//     "$objects": [ "$null", object, ... ] }
//
// Every object lives once in "$objects" and is referred to by its index (a
// UID); UID 0 is nil.  Strings, numbers and data stand in "$objects" as they
// are; arrays, dictionaries, dates and the objects of our own classes are
// dictionaries whose "$class" refers to a class record {"$classname": name,
// "$classes": [name, superclasses..., "NSObject"]}.  Scalars encoded under a
// key (encodeInt, encodeFloat, encodeBool) stand in the object's dictionary
// directly, objects as UIDs.
//
// Reading checks the layout and every reference; a bad archive gives a message
// (never a crash, never an endless loop on references that form a cycle).
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PropertyList.h"

namespace platform {

class KeyedArchiver;
class KeyedUnarchiver;

// An object of our own that writes itself into a keyed archive under its keys.
class KeyedEncodable {
public:
    virtual ~KeyedEncodable() = default;
    // "$classname" of the object, and its superclasses for "$classes" ("NSObject"
    // is added at the end when missing).
    virtual std::string archiveClassName() const = 0;
    virtual std::vector<std::string> archiveSuperclasses() const { return {}; }
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

class KeyedArchiver {
public:
    KeyedArchiver();

    // Scalars, stored directly under the key of the object being encoded.
    void encodeBool(const std::string& key, bool v);
    void encodeInt(const std::string& key, int64_t v);
    void encodeFloat(const std::string& key, float v);
    void encodeDouble(const std::string& key, double v);
    void encodeBytes(const std::string& key, std::string bytes);

    // A tree of plain values: strings become NSString, integers, reals and
    // booleans NSNumber, data NSData, dates NSDate, arrays and dictionaries the
    // array and dictionary classes; a Null value (and a UID) is nil.
    void encodeObject(const std::string& key, const PropertyList& value);
    // An object of our own (nullptr is nil).  An object encoded twice is stored
    // once; an object that refers back to one being encoded gets its reference.
    void encodeObject(const std::string& key, const KeyedEncodable* object);

    // The archive as a property list, and as a binary property list (empty,
    // with the reason in *error, when a value cannot be written: see
    // writeBinaryPropertyList).  Ends the encoding: later encode calls are ignored.
    PropertyList finishEncoding();
    std::string encodedData(std::string* error = nullptr);

private:
    uint64_t plainObject(const PropertyList& v);
    uint64_t classRecord(const std::string& name, const std::vector<std::string>& supers);
    uint64_t stringObject(const std::string& s);
    PropertyList* scope();

    std::vector<PropertyList> objects_;
    std::vector<PropertyList> scopes_;  // the dictionaries being filled; scopes_[0] is "$top"
    std::map<std::string, uint64_t> classes_;
    std::map<std::string, uint64_t> strings_;
    std::map<const KeyedEncodable*, uint64_t> encoded_;
    // Arrays and dictionaries of plain values are archived as NSMutableArray and
    // NSMutableDictionary: what the documents of the macOS version hold, so that
    // they can be edited once read there.
    bool mutableContainers_ = true;
    bool finished_ = false;
};

class KeyedUnarchiver {
public:
    KeyedUnarchiver() = default;
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    // Reads a binary or XML property list and checks its keyed-archive layout.
    PlistReadResult open(std::string_view bytes);
    PlistReadResult open(PropertyList archive);

    // The first problem met while decoding (a value of the wrong type, a bad
    // reference, a cycle); decoding goes on with zeros after it.
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

    // Keys of the object being decoded (the top level outside decodeObject).
    bool containsValue(std::string_view key) const;
    // Absent keys give 0, false or ""; numbers convert between their kinds;
    // any other type gives 0 and records an error.
    bool decodeBool(std::string_view key);
    int64_t decodeInt(std::string_view key);
    float decodeFloat(std::string_view key);
    double decodeDouble(std::string_view key);
    std::string decodeBytes(std::string_view key);

    // A tree of plain values under key (Null when the key is absent or nil).
    // Classes other than strings, numbers, data, dates, arrays, sets and
    // dictionaries with string keys are refused.
    PlistReadResult decodeObject(std::string_view key, PropertyList& out);

    // "$classname" of the object under key ("" when absent or nil; "NSString",
    // "NSNumber" or "NSData" for those stored as they are).
    std::string classNameOf(std::string_view key);

    // An object of our own: enters its keys, calls init, then returns to the
    // current object.  False, without calling init, when the key is absent or
    // nil or the object is not a keyed object; a cycle is an error.
    bool decodeObject(std::string_view key, const std::function<void(KeyedUnarchiver&)>& init);

private:
    bool fail(std::string msg);
    const PropertyList* value(std::string_view key) const;
    // The value under key when it is a boolean or a number; null when there is
    // none, and null with the failure recorded ("<key>" is not <what>) when it
    // is of another type.
    const PropertyList* numericValue(std::string_view key, const char* what);
    // The object a UID refers to, or nullptr on a bad reference (recorded).
    const PropertyList* object(const PropertyList& ref, uint64_t* index = nullptr);
    std::string className(const PropertyList& obj);
    bool plain(const PropertyList& ref, PropertyList& out, int depth);

    PropertyList archive_;
    const PropertyList* objects_ = nullptr;
    const PropertyList* scope_ = nullptr;  // the object being decoded
    std::vector<bool> inProgress_;
    size_t budget_ = 0;
    std::string error_;
};

}  // namespace platform
