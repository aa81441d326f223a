#include "convert/files/platform/thread_placement.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <pthread.h>
#include <sched.h>
#endif

namespace torvane::platform {

#if defined(__linux__) && !defined(__EMSCRIPTEN__)

struct ThreadPlacement::Masks {
    cpu_set_t allowed;  // the processors the making thread may run on
    cpu_set_t others;   // those but its own
};

ThreadPlacement::ThreadPlacement() {
    auto masks = std::make_unique<Masks>();
    const int mine = sched_getcpu();
    // (a machine of more processors than a set holds is left to the system)
    if (mine < 0 || mine >= CPU_SETSIZE || sched_getaffinity(0, sizeof(cpu_set_t), &masks->allowed) != 0) return;
    masks->others = masks->allowed;
    CPU_CLR(mine, &masks->others);
    if (CPU_COUNT(&masks->others) == 0) return;
    masks_ = std::move(masks);
}

void ThreadPlacement::KeepOffMine(std::thread& thread) {
    if (masks_) pthread_setaffinity_np(thread.native_handle(), sizeof(cpu_set_t), &masks_->others);
    kept_.store(true, std::memory_order_release);
}

void ThreadPlacement::Started() {
    if (!masks_) return;
    // (the making thread places this one as soon as it has made it)
    while (!kept_.load(std::memory_order_acquire)) std::this_thread::yield();
    pthread_setaffinity_np(pthread_self(), sizeof(cpu_set_t), &masks_->allowed);
}

#else

struct ThreadPlacement::Masks {};

ThreadPlacement::ThreadPlacement() = default;

void ThreadPlacement::KeepOffMine(std::thread&) { kept_.store(true, std::memory_order_release); }

void ThreadPlacement::Started() {}

#endif

ThreadPlacement::~ThreadPlacement() = default;

}  // namespace torvane::platform
