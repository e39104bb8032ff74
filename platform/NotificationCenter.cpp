#include "platform/NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter centre;
    return centre;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name, const void* sender,
                                                          Observer observer) {
    Token t = mNext++;
    mEntries.push_back({t, name, sender, std::move(observer)});
    return t;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(mEntries, [token](const Entry& e) { return e.token == token; });
}

void NotificationCenter::removeObserversOfSender(const void* sender) {
    if (!sender) return;
    std::erase_if(mEntries, [sender](const Entry& e) { return e.sender == sender; });
}

void NotificationCenter::post(const std::string& name, const void* sender) {
    // Collect the tokens first: the list may change while observers run.
    std::vector<Token> matching;
    for (const Entry& e : mEntries)
        if ((e.name.empty() || e.name == name) && (e.sender == nullptr || e.sender == sender))
            matching.push_back(e.token);
    for (Token t : matching) {
        auto it = std::find_if(mEntries.begin(), mEntries.end(), [t](const Entry& e) { return e.token == t; });
        if (it == mEntries.end()) continue;  // removed by an earlier observer
        Observer fn = it->observer;          // a copy: the observer may remove itself
        fn(name, sender);
    }
}

}  // namespace platform
