// Where a new thread starts. Linux may queue a new thread on the processor
// of the thread that made it and move it to an idle one only when it next
// balances its queues, milliseconds later (3 ms and more on a virtual
// machine of two processors): longer than both parts of a small log take,
// which then run one after the other. A thread placed by a ThreadPlacement
// starts on another processor at once, and may go anywhere after its start.
// Elsewhere (one processor allowed, another system) nothing is placed.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

namespace torvane::platform {

class ThreadPlacement {
public:
    // On the making thread, before it makes the new one.
    ThreadPlacement();
    ~ThreadPlacement();
    ThreadPlacement(const ThreadPlacement&) = delete;
    ThreadPlacement& operator=(const ThreadPlacement&) = delete;

    // On the making thread, right after making `thread`: keeps it off the
    // processor this thread runs on.
    void KeepOffMine(std::thread& thread);
    // On the new thread, first of all: once KeepOffMine is done, lets it go
    // to any processor again (where it runs, it stays).
    void Started();

private:
    struct Masks;
    std::unique_ptr<Masks> masks_;  // none: nothing is placed
    std::atomic<bool> kept_{false};
};

}  // namespace torvane::platform
