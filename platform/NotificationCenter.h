#pragma once
// In-process notifications between views and documents ("PlotSelection",
// "AxisPlotChanged", ...): observers register for a name, optionally for one
// sender only, and are called synchronously, in registration order, when a
// notification of that name is posted.  Single-threaded, like the views that
// use it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class NotificationCenter {
public:
    // The name posted and the sender (may be null).
    using Observer = std::function<void(const std::string& name, const void* sender)>;
    using Token = std::uint64_t;

    // The application's shared centre.
    static NotificationCenter& defaultCenter();

    // Registers an observer for `name` (empty: every name) from `sender`
    // (null: any sender).  The token removes it again; 0 is never a token.
    Token addObserver(const std::string& name, const void* sender, Observer observer);
    // Removing an unknown or already removed token does nothing.
    void removeObserver(Token token);
    // Removes every observer registered for this sender (a sender that goes
    // away calls it so that nobody is left watching a dead object).
    void removeObserversOfSender(const void* sender);

    // Calls every matching observer.  Observers may add or remove observers
    // (themselves included) while being called; one removed during the post
    // is not called afterwards, one added is called from the next post on.
    void post(const std::string& name, const void* sender);

    size_t observerCount() const { return mEntries.size(); }

private:
    struct Entry {
        Token token;
        std::string name;
        const void* sender;
        Observer observer;
    };
    std::vector<Entry> mEntries;
    Token mNext = 1;
};

}  // namespace platform
