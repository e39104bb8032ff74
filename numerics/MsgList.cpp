#include "numerics/MsgList.h"

void MsgList::append(std::string_view name) {
    const int index = boxes_.empty() ? 0 : boxes_.back()->index + 1;
    auto box = std::make_unique<MsgBox>(name, index);
    if (!boxes_.empty()) boxes_.back()->next = box.get();
    boxes_.push_back(std::move(box));
}

int MsgList::get_index(std::string_view name) const {
    for (const MsgBox* b = head(); b; b = b->next)
        if (b->name == name) return b->index;
    return -1;
}

short MsgList::exist(std::string_view name) const { return get_index(name) >= 0 ? 1 : 0; }

const char* MsgList::operator()(int i) const {
    if (i < 0 || i >= size()) return nullptr;
    return boxes_[static_cast<std::size_t>(i)]->name.c_str();
}
