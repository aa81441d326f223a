// The two halves of a large file worked on at once, one on each core (see
// kTwoHalvesBytes and LineBoundaryNearMiddle): the later half's thread, and
// the rule that keeps the data of the two threads apart.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>
#include <utility>

namespace torvane {

// What the thread of one half changes at every line lives on cache lines of
// its own: where the other thread's data shared a line with it, each change
// would pass that line from core to core and slow both halves down.
template <class T>
struct alignas(64) OwnCacheLines {
    template <class... Args>
    explicit OwnCacheLines(Args&&... args) : value(std::forward<Args>(args)...) {}
    T value;
};

// The later half's work, on a thread of its own from construction to
// Join(). The work reports the bytes it has read with Report(), which the
// first half's progress adds to its own (Bytes()), and looks at Stopped()
// to end early. The destructor stops and joins it, so that no way out of
// the caller leaves it running.
class LaterHalf {
public:
    template <class Work>
    explicit LaterHalf(Work work)
        : thread_([this, work]() mutable {
              try {
                  work(*this);
              } catch (...) {  // told by Join(), on the caller's thread
                  failure_ = std::current_exception();
              }
          }) {}
    LaterHalf(const LaterHalf&) = delete;
    LaterHalf& operator=(const LaterHalf&) = delete;
    ~LaterHalf() {
        Stop();
        if (thread_.joinable()) thread_.join();
    }

    void Report(std::uint64_t bytes) { bytes_.store(bytes, std::memory_order_relaxed); }
    std::uint64_t Bytes() const { return bytes_.load(std::memory_order_relaxed); }
    void Stop() { stop_.store(true, std::memory_order_relaxed); }
    bool Stopped() const { return stop_.load(std::memory_order_relaxed); }
    // Waits for the work; what it threw is thrown here.
    void Join() {
        if (thread_.joinable()) thread_.join();
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

private:
    std::atomic<std::uint64_t> bytes_{0};
    std::atomic<bool> stop_{false};
    std::exception_ptr failure_;
    std::thread thread_;  // last, so that the work starts once the rest is made
};

}  // namespace torvane
