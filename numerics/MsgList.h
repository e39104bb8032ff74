#pragma once
// The list of column names of a data file.
//
// A `MsgList` is a chain of `MsgBox` entries, each holding its own copy of a
// name and its position in the chain (0, 1, 2 ... in order of appending).  The
// column reader keeps the names of a file here in file order and finds a
// column by its name.  The list owns its entries; `head`, `tail` and `next`
// only link them for walking the chain.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class MsgBox {
public:
    MsgBox(std::string_view name, int index) : name(name), index(index) {}

    std::string name;        // owned copy of the text
    int index = 0;           // position in the list, from 0
    MsgBox* next = nullptr;  // the following entry, null at the end
};

class MsgList {
public:
    MsgList() = default;
    MsgList(const MsgList&) = delete;
    MsgList& operator=(const MsgList&) = delete;

    // Adds a copy of name after the tail; its index is the tail's + 1 (0 for the first).
    void append(std::string_view name);

    // Index of the first entry with exactly this name, -1 when there is none.
    int get_index(std::string_view name) const;

    // 1 when an entry has exactly this name, 0 otherwise.
    short exist(std::string_view name) const;

    // Name of entry i counted from the head; null when the list is shorter (or i < 0).
    const char* operator()(int i) const;

    const MsgBox* head() const { return boxes_.empty() ? nullptr : boxes_.front().get(); }
    const MsgBox* tail() const { return boxes_.empty() ? nullptr : boxes_.back().get(); }
    int size() const { return static_cast<int>(boxes_.size()); }
    bool empty() const { return boxes_.empty(); }

    void clear() { boxes_.clear(); }

private:
    std::vector<std::unique_ptr<MsgBox>> boxes_;  // owns the entries, in chain order
};
