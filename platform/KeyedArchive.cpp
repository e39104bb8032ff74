#include "platform/KeyedArchive.h"

#include <algorithm>

namespace platform {

namespace {
const char* const kArchiver = "NSKeyedArchiver";
constexpr int64_t kVersion = 100000;

bool isOneOf(const std::string& s, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return s == n; });
}
}  // namespace

// ---------------------------------------------------------------------------
// Encoding

KeyedArchiver::KeyedArchiver() {
    objects_.push_back(PropertyList::string("$null"));
    scopes_.push_back(PropertyList::dictionary());
}

PropertyList* KeyedArchiver::scope() { return finished_ ? nullptr : &scopes_.back(); }

void KeyedArchiver::encodeBool(const std::string& key, bool v) {
    if (auto* s = scope()) s->set(key, PropertyList::boolean(v));
}
void KeyedArchiver::encodeInt(const std::string& key, int64_t v) {
    if (auto* s = scope()) s->set(key, PropertyList::integer(v));
}
void KeyedArchiver::encodeFloat(const std::string& key, float v) {
    if (auto* s = scope()) s->set(key, PropertyList::real(v));
}
void KeyedArchiver::encodeDouble(const std::string& key, double v) {
    if (auto* s = scope()) s->set(key, PropertyList::real(v));
}
void KeyedArchiver::encodeBytes(const std::string& key, std::string bytes) {
    if (auto* s = scope()) s->set(key, PropertyList::data(std::move(bytes)));
}

uint64_t KeyedArchiver::stringObject(const std::string& s) {
    auto it = strings_.find(s);
    if (it != strings_.end()) return it->second;
    uint64_t i = objects_.size();
    objects_.push_back(PropertyList::string(s));
    strings_.emplace(s, i);
    return i;
}

uint64_t KeyedArchiver::classRecord(const std::string& name, const std::vector<std::string>& supers) {
    auto it = classes_.find(name);
    if (it != classes_.end()) return it->second;
    PropertyList classes = PropertyList::array();
    classes.append(PropertyList::string(name));
    for (const std::string& s : supers) classes.append(PropertyList::string(s));
    if (name != "NSObject" && (supers.empty() || supers.back() != "NSObject")) classes.append(PropertyList::string("NSObject"));
    PropertyList rec = PropertyList::dictionary();
    rec.set("$classname", PropertyList::string(name));
    rec.set("$classes", std::move(classes));
    uint64_t i = objects_.size();
    objects_.push_back(std::move(rec));
    classes_.emplace(name, i);
    return i;
}

uint64_t KeyedArchiver::plainObject(const PropertyList& v) {
    using T = PropertyList::Type;
    switch (v.type()) {
    case T::Null:
    case T::UID: return 0;
    case T::String: return stringObject(v.stringValue());
    case T::Boolean:
    case T::Integer:
    case T::Real:
    case T::Data: {
        uint64_t i = objects_.size();
        objects_.push_back(v);
        return i;
    }
    case T::Date: {
        uint64_t i = objects_.size();
        objects_.emplace_back();
        PropertyList d = PropertyList::dictionary();
        d.set("NS.time", PropertyList::real(v.realValue()));
        d.set("$class", PropertyList::uid(classRecord("NSDate", {})));
        objects_[i] = std::move(d);
        return i;
    }
    case T::Array: {
        uint64_t i = objects_.size();
        objects_.emplace_back();  // the array's place comes before its items, as the archiver's does
        PropertyList refs = PropertyList::array();
        for (const PropertyList& item : v.items()) refs.append(PropertyList::uid(plainObject(item)));
        PropertyList a = PropertyList::dictionary();
        a.set("NS.objects", std::move(refs));
        a.set("$class", PropertyList::uid(mutableContainers_ ? classRecord("NSMutableArray", {"NSArray"})
                                                              : classRecord("NSArray", {})));
        objects_[i] = std::move(a);
        return i;
    }
    case T::Dictionary: {
        uint64_t i = objects_.size();
        objects_.emplace_back();
        PropertyList keys = PropertyList::array(), values = PropertyList::array();
        for (const std::string& k : v.keys()) keys.append(PropertyList::uid(stringObject(k)));
        for (const PropertyList& item : v.items()) values.append(PropertyList::uid(plainObject(item)));
        PropertyList d = PropertyList::dictionary();
        d.set("NS.keys", std::move(keys));
        d.set("NS.objects", std::move(values));
        d.set("$class", PropertyList::uid(mutableContainers_ ? classRecord("NSMutableDictionary", {"NSDictionary"})
                                                              : classRecord("NSDictionary", {})));
        objects_[i] = std::move(d);
        return i;
    }
    }
    return 0;
}

void KeyedArchiver::encodeObject(const std::string& key, const PropertyList& value) {
    if (finished_) return;
    uint64_t ref = plainObject(value);
    scopes_.back().set(key, PropertyList::uid(ref));
}

void KeyedArchiver::encodeObject(const std::string& key, const KeyedEncodable* object) {
    if (finished_) return;
    uint64_t ref = 0;
    if (object) {
        auto it = encoded_.find(object);
        if (it != encoded_.end()) {
            ref = it->second;
        } else {
            ref = objects_.size();
            objects_.emplace_back();
            encoded_.emplace(object, ref);
            scopes_.push_back(PropertyList::dictionary());
            object->encodeWithCoder(*this);
            PropertyList obj = std::move(scopes_.back());
            scopes_.pop_back();
            obj.set("$class", PropertyList::uid(classRecord(object->archiveClassName(), object->archiveSuperclasses())));
            objects_[ref] = std::move(obj);
        }
    }
    scopes_.back().set(key, PropertyList::uid(ref));
}

PropertyList KeyedArchiver::finishEncoding() {
    PropertyList archive = PropertyList::dictionary();
    archive.set("$archiver", PropertyList::string(kArchiver));
    archive.set("$version", PropertyList::integer(kVersion));
    archive.set("$top", scopes_.front());
    archive.set("$objects", PropertyList::array(objects_));
    finished_ = true;
    return archive;
}

std::string KeyedArchiver::encodedData(std::string* error) { return writeBinaryPropertyList(finishEncoding(), error); }

// ---------------------------------------------------------------------------
// Decoding

PlistReadResult KeyedUnarchiver::open(std::string_view bytes) {
    PropertyList p;
    PlistReadResult r = readPropertyList(bytes, p);
    if (!r.ok) return r;
    return open(std::move(p));
}

PlistReadResult KeyedUnarchiver::open(PropertyList archive) {
    objects_ = scope_ = nullptr;
    error_.clear();
    archive_ = std::move(archive);
    if (!archive_.isDictionary()) return {false, "the property list is not a keyed archive (its root is not a dictionary)"};
    const PropertyList* archiver = archive_.find("$archiver");
    if (!archiver || !archiver->isString()) return {false, "the property list is not a keyed archive (no \"$archiver\")"};
    if (archiver->stringValue() != kArchiver)
        return {false, "the archive was written by an unknown archiver \"" + archiver->stringValue() + "\""};
    const PropertyList* version = archive_.find("$version");
    if (!version || !version->isInteger() || version->integerValue() != kVersion)
        return {false, "the keyed archive has an unsupported \"$version\""};
    const PropertyList* top = archive_.find("$top");
    if (!top || !top->isDictionary()) return {false, "the keyed archive has no \"$top\" dictionary"};
    const PropertyList* objects = archive_.find("$objects");
    if (!objects || !objects->isArray() || objects->size() == 0)
        return {false, "the keyed archive has no \"$objects\" array"};
    objects_ = objects;
    scope_ = top;
    inProgress_.assign(objects->size(), false);
    budget_ = size_t(1) << 20;
    return {true, {}};
}

bool KeyedUnarchiver::fail(std::string msg) {
    if (error_.empty()) error_ = std::move(msg);
    return false;
}

const PropertyList* KeyedUnarchiver::value(std::string_view key) const { return scope_ ? scope_->find(key) : nullptr; }

bool KeyedUnarchiver::containsValue(std::string_view key) const { return value(key) != nullptr; }

const PropertyList* KeyedUnarchiver::numericValue(std::string_view key, const char* what) {
    const PropertyList* v = value(key);
    if (!v || v->isBoolean() || v->isNumber()) return v;
    fail("\"" + std::string(key) + "\" is not " + what);
    return nullptr;
}

bool KeyedUnarchiver::decodeBool(std::string_view key) {
    const PropertyList* v = numericValue(key, "a boolean");
    return v ? v->boolValue() : false;
}

int64_t KeyedUnarchiver::decodeInt(std::string_view key) {
    const PropertyList* v = numericValue(key, "a number");
    return v ? v->integerValue() : 0;
}

double KeyedUnarchiver::decodeDouble(std::string_view key) {
    const PropertyList* v = numericValue(key, "a number");
    return v ? v->realValue() : 0.0;
}

float KeyedUnarchiver::decodeFloat(std::string_view key) { return static_cast<float>(decodeDouble(key)); }

std::string KeyedUnarchiver::decodeBytes(std::string_view key) {
    const PropertyList* v = value(key);
    if (!v) return {};
    if (v->isData()) return v->stringValue();
    fail("\"" + std::string(key) + "\" is not data");
    return {};
}

const PropertyList* KeyedUnarchiver::object(const PropertyList& ref, uint64_t* index) {
    if (!objects_) return nullptr;
    if (!ref.isUID()) {
        fail("an object reference is not a UID");
        return nullptr;
    }
    uint64_t i = ref.uidValue();
    if (i >= objects_->size()) {
        fail("an object reference points outside the archive");
        return nullptr;
    }
    if (index) *index = i;
    return &objects_->at(static_cast<size_t>(i));
}

std::string KeyedUnarchiver::className(const PropertyList& obj) {
    if (obj.isString()) return "NSString";
    if (obj.isNumber() || obj.isBoolean()) return "NSNumber";
    if (obj.isData()) return "NSData";
    if (!obj.isDictionary()) return {};
    const PropertyList* cls = obj.find("$class");
    if (!cls) return {};
    const PropertyList* rec = object(*cls);
    if (!rec || !rec->isDictionary()) {
        fail("an object's class record is damaged");
        return {};
    }
    const PropertyList* name = rec->find("$classname");
    if (!name || !name->isString()) {
        fail("an object's class record has no \"$classname\"");
        return {};
    }
    return name->stringValue();
}

std::string KeyedUnarchiver::classNameOf(std::string_view key) {
    const PropertyList* ref = value(key);
    if (!ref) return {};
    uint64_t i = 0;
    const PropertyList* obj = object(*ref, &i);
    if (!obj || i == 0) return {};
    return className(*obj);
}

bool KeyedUnarchiver::plain(const PropertyList& ref, PropertyList& out, int depth) {
    if (depth > PropertyList::kMaxDepth) return fail("the archive's objects are nested too deeply");
    if (budget_ == 0) return fail("the archive's objects expand without bound");
    --budget_;
    uint64_t i = 0;
    const PropertyList* obj = object(ref, &i);
    if (!obj) return false;
    if (i == 0) {
        out = PropertyList();
        return true;
    }
    if (obj->isString() || obj->isNumber() || obj->isBoolean() || obj->isData()) {
        budget_ -= std::min(budget_, obj->stringValue().size() / 64);
        out = *obj;
        return true;
    }
    if (!obj->isDictionary()) return fail("the archive holds an object of an unexpected kind (" + std::string(propertyListTypeName(obj->type())) + ")");
    if (inProgress_[static_cast<size_t>(i)]) return fail("the archive's objects contain themselves");
    const std::string cls = className(*obj);
    if (failed()) return false;
    struct Mark {  // clears the in-progress mark however the decoding ends
        std::vector<bool>& v;
        size_t i;
        ~Mark() { v[i] = false; }
    } mark{inProgress_, static_cast<size_t>(i)};
    inProgress_[static_cast<size_t>(i)] = true;

    auto refsUnder = [&](const char* k, const PropertyList*& arr) {
        arr = obj->find(k);
        if (!arr || !arr->isArray()) return fail("the archive's " + cls + " has no \"" + k + "\" array");
        return true;
    };
    if (isOneOf(cls, {"NSArray", "NSMutableArray", "NSSet", "NSMutableSet", "NSOrderedSet", "NSMutableOrderedSet"})) {
        const PropertyList* refs;
        if (!refsUnder("NS.objects", refs)) return false;
        PropertyList a = PropertyList::array();
        a.items().reserve(refs->size());
        for (const PropertyList& r : refs->items()) {
            PropertyList item;
            if (!plain(r, item, depth + 1)) return false;
            a.append(std::move(item));
        }
        out = std::move(a);
        return true;
    }
    if (isOneOf(cls, {"NSDictionary", "NSMutableDictionary"})) {
        const PropertyList *keys, *values;
        if (!refsUnder("NS.keys", keys) || !refsUnder("NS.objects", values)) return false;
        if (keys->size() != values->size()) return fail("the archive's dictionary has unequal numbers of keys and values");
        PropertyList d = PropertyList::dictionary();
        for (size_t k = 0; k < keys->size(); ++k) {
            PropertyList key, v;
            if (!plain(keys->at(k), key, depth + 1)) return false;
            if (!key.isString()) return fail("the archive holds a dictionary key that is not a string");
            if (!plain(values->at(k), v, depth + 1)) return false;
            d.set(key.stringValue(), std::move(v));
        }
        out = std::move(d);
        return true;
    }
    if (isOneOf(cls, {"NSString", "NSMutableString"})) {
        const PropertyList* s = obj->find("NS.string");
        if (!s || !s->isString()) return fail("the archive's " + cls + " has no \"NS.string\"");
        out = *s;
        return true;
    }
    if (isOneOf(cls, {"NSData", "NSMutableData"})) {
        const PropertyList* s = obj->find("NS.data");
        if (!s || !s->isData()) return fail("the archive's " + cls + " has no \"NS.data\"");
        out = *s;
        return true;
    }
    if (cls == "NSDate") {
        const PropertyList* t = obj->find("NS.time");
        if (!t || !t->isNumber()) return fail("the archive's NSDate has no \"NS.time\"");
        out = PropertyList::date(t->realValue());
        return true;
    }
    return fail(cls.empty() ? "the archive holds an object without a class" : "the archive holds an object of class " + cls + ", which is not a plain value");
}

PlistReadResult KeyedUnarchiver::decodeObject(std::string_view key, PropertyList& out) {
    const PropertyList* ref = value(key);
    if (!ref) {
        out = PropertyList();
        return {true, {}};
    }
    PropertyList v;
    std::string before = error_;
    error_.clear();
    bool ok = plain(*ref, v, 0);
    std::string msg = error_;
    error_ = before.empty() ? msg : before;
    if (!ok) return {false, msg.empty() ? "the archive is damaged" : msg};
    out = std::move(v);
    return {true, {}};
}

bool KeyedUnarchiver::decodeObject(std::string_view key, const std::function<void(KeyedUnarchiver&)>& init) {
    const PropertyList* ref = value(key);
    if (!ref) return false;
    uint64_t i = 0;
    const PropertyList* obj = object(*ref, &i);
    if (!obj || i == 0 || !obj->isDictionary()) return false;
    if (inProgress_[static_cast<size_t>(i)]) return fail("the archive's objects contain themselves");
    const PropertyList* saved = scope_;
    inProgress_[static_cast<size_t>(i)] = true;
    scope_ = obj;
    if (init) init(*this);
    scope_ = saved;
    inProgress_[static_cast<size_t>(i)] = false;
    return true;
}

}  // namespace platform
