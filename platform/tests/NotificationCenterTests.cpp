#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/NotificationCenter.h"

namespace {

TEST(NotificationCenter, DeliversByNameAndSenderInOrder) {
    platform::NotificationCenter nc;
    int a = 0, b = 0;
    std::vector<std::string> seen;
    auto t1 = nc.addObserver("PlotSelection", nullptr, [&](const std::string& n, const void*) { seen.push_back("any:" + n); });
    nc.addObserver("PlotSelection", &a, [&](const std::string&, const void* s) { seen.push_back(s == &a ? "a" : "?"); });
    nc.addObserver("", &b, [&](const std::string& n, const void*) { seen.push_back("b:" + n); });
    nc.post("PlotSelection", &a);
    nc.post("AxisPlotChanged", &b);
    nc.post("PlotSelection", &b);
    EXPECT_EQ(seen, (std::vector<std::string>{"any:PlotSelection", "a", "b:AxisPlotChanged", "any:PlotSelection",
                                              "b:PlotSelection"}));
    nc.removeObserver(t1);
    nc.removeObserver(t1);  // twice: harmless
    nc.removeObserversOfSender(&b);
    seen.clear();
    nc.post("PlotSelection", &b);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(nc.observerCount(), 1u);
}

TEST(NotificationCenter, ObserversMayRemoveThemselvesAndOthersWhilePosting) {
    platform::NotificationCenter nc;
    int calls = 0;
    platform::NotificationCenter::Token second = 0;
    platform::NotificationCenter::Token first = nc.addObserver("X", nullptr, [&](const std::string&, const void*) {
        ++calls;
        nc.removeObserver(first);
        nc.removeObserver(second);  // the later observer is not called any more
        nc.addObserver("X", nullptr, [&](const std::string&, const void*) { calls += 100; });
    });
    second = nc.addObserver("X", nullptr, [&](const std::string&, const void*) { calls += 10; });
    nc.post("X", nullptr);
    EXPECT_EQ(calls, 1);
    nc.post("X", nullptr);
    EXPECT_EQ(calls, 101);
}

}  // namespace
