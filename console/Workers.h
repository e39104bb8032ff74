#pragma once
// Independent tasks dealt out to every core: the studies made of independent
// points (the cycle tables, the E(m) diagrams, the Gibbs-energy map) give
// each worker a model of its own and collect what each task reports, to write
// it in the tasks' order afterwards.
#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace workers {

// One worker per core, no more than the tasks, at least one.
inline unsigned count(std::size_t tasks) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<std::size_t>(1, std::min(cores, tasks)));
}

// Runs work(i) for the workers i = 0 .. n-1 at once: worker 0 on the calling
// thread, the others on threads of their own; returns when every one is done.
template <class Work>
void run(unsigned n, Work&& work) {
    std::vector<std::thread> threads;
    threads.reserve(n > 0 ? n - 1 : 0);
    for (unsigned i = 1; i < n; ++i) threads.emplace_back([&work, i] { work(i); });
    work(0u);
    for (std::thread& t : threads) t.join();
}

}  // namespace workers
