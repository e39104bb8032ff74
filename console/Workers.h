#pragma once
// Independent tasks dealt out to every core: the studies made of independent
// points (the cycle tables, the E(m) diagrams, the Gibbs-energy map) give
// each point a model of its own and collect what each task reports, to write
// it in the tasks' order.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace workers {

// One worker per core, no more than the tasks, at least one; `requested`
// > 0 asks for that many (still no more than the tasks).
inline unsigned count(std::size_t tasks, unsigned requested = 0) {
    const std::size_t cores = requested > 0 ? requested : std::max(1u, std::thread::hardware_concurrency());
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

// Tasks 0 .. tasks-1 computed on `n` worker threads, taken in the tasks'
// order, and handed back to the calling thread in the same order, each as
// soon as it and every task before it are done: compute(i, capture) runs on
// a worker, with the worker's capture of what it logs; write(i) runs on the
// calling thread, which alone writes the rows.  The workers keep SIGINT and
// SIGTERM off their threads, so that the interrupt handler runs on the
// writing thread between two rows: an interrupted table keeps its rows up to
// the first task not yet done.  waiting(i) is called now and then while the
// writer waits for task i (a progress bar).
template <class Compute, class Write, class Waiting>
void inOrder(std::size_t tasks, unsigned n, Compute&& compute, Write&& write, Waiting&& waiting) {
    std::vector<char> done(tasks, 0);
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::condition_variable ready;
    auto work = [&] {
        platform::ThreadLogCapture capture;
        for (std::size_t i = next++; i < tasks; i = next++) {
            compute(i, capture);
            const std::lock_guard<std::mutex> hold(lock);
            done[i] = 1;
            ready.notify_all();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(n);
    {
        // Started with the interrupts held, which they keep; the calling
        // thread takes them again once they are all started.
        const platform::InterruptsHeld held;
        for (unsigned k = 0; k < std::max(1u, n); ++k) threads.emplace_back(work);
    }
    for (std::size_t i = 0; i < tasks; ++i) {
        {
            std::unique_lock<std::mutex> hold(lock);
            while (!done[i]) {
                ready.wait_for(hold, std::chrono::milliseconds(200));
                waiting(i);
            }
        }
        write(i);
    }
    for (std::thread& t : threads) t.join();
}

}  // namespace workers
