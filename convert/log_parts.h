// Work on a log in two parts at once, one on each core: where a log splits
// (one rule for every kind of work), the later part's thread, and the one
// driver that runs the parts, adds their progress, joins them and merges
// their results. Whatever goes wrong with a part, the work is done again
// in one pass with fresh state, so the outcome is always that of one pass.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#include "line_reader.h"
#include "platform/file_system.h"
#include "progress.h"
#include "settings.h"

namespace torvane {

// Where a log (the open file `file` of `size` bytes) splits: the offset of
// the later part's first byte, or 0 for one pass.
struct LogSplit {
    std::uint64_t at = 0;
    GpxPointStateRecord laterPoint;  // for records: the GPX reader's state at `at`
};

// For work that sees each line on its own (the analysis's counts, the GPX
// copy): after a LF near the middle, from `rule.fromBytes` on.
LogSplit FindLogSplit(const PartsRule& rule, platform::FileHandle file, std::uint64_t size);

// For the records of a run with `s`'s options (a conversion, the summary):
// there too, except where a record depends on the records before it. A GPX
// track point splits at a line opening a point, with the reader's state
// there; an overlay (points numbered from the first) does not split. (The
// dated outputs, whose dates run from the log's start, have a writer of
// their own, in one pass.)
LogSplit FindLogSplit(const Settings& s, platform::FileHandle file, std::uint64_t size);

// How the work on one part (or on the whole log) ended.
enum class PartEnd { Finished, Failed, Cancelled };

// Which part a piece of work is made for.
enum class PartRole { Whole, First, Later };

// The later part's thread, from construction to Join(). The work reports
// the bytes it has read with Report(), which the first part's progress
// adds to its own, and looks at Stopped() to end early. The destructor
// stops and joins it, so that no way out leaves it running. A thread that
// cannot start throws std::system_error from the constructor.
class LaterPartThread {
public:
    template <class Work>
    LaterPartThread(const PartsRule& rule, Work work) {
        if (rule.fault == PartsRule::Fault::CannotStart) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        thread_ = std::thread([this, work]() mutable {
            try {
                work(*this);
            } catch (...) {  // told by Join(), on the caller's thread
                failure_ = std::current_exception();
            }
        });
    }
    LaterPartThread(const LaterPartThread&) = delete;
    LaterPartThread& operator=(const LaterPartThread&) = delete;
    ~LaterPartThread() {
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
    // The counters apart from the caller's data: the later thread writes
    // them often, and a cache line shared with what the first part changes
    // would pass from core to core at every write.
    alignas(64) std::atomic<std::uint64_t> bytes_{0};
    std::atomic<bool> stop_{false};
    std::exception_ptr failure_;
    alignas(64) std::thread thread_;
};

// What RunInParts gives back: how the work ended, whether the log was read
// in parts, and the part holding the results (the whole pass's, or the
// first part's with the later one merged into it).
template <class Part>
struct PartsOutcome {
    PartEnd end = PartEnd::Failed;
    bool inParts = false;
    std::unique_ptr<Part> part;
};

// Runs `job` over the `size` bytes of a log, in two parts split at `split`
// (see FindLogSplit; 0: one pass) or in one pass. A job has
//   using Part = ...;  // the state and results of one part
//   std::unique_ptr<Part> Make(PartRole);  // fresh state; null: no parts
//   PartEnd Run(Part&, ByteRange, const ProgressHooks*);
//   bool Merge(Part& first, Part& later);  // the later part's results after
//                                          // the first's; false: one pass
//   bool Restart();  // before the one pass after failed parts; false: failed
// Each Part is made on its own (by make_unique), so the two threads' data
// lie on cache lines of their own as long as Part is aligned to 64 bytes.
// `hooks` see the bytes of both parts and are called on this thread only;
// when the first part stops, the later one is stopped too. The later part
// failing in any way (its thread, a read, a write, its merge) or the first
// failing makes the parts count for nothing: both are dropped (their files
// too), and one pass follows, which meets any real failure itself.
template <class Job>
PartsOutcome<typename Job::Part> RunInParts(Job& job, const PartsRule& rule, std::uint64_t size, std::uint64_t split,
                                            const ProgressHooks* hooks);

// ---------------------------------------------------------------------------

namespace parts_detail {

// The two parts of a run; true when they decided its outcome (finished or
// cancelled) in `outcome`.
template <class Job>
bool RunTwoParts(Job& job, const PartsRule& rule, std::uint64_t size, std::uint64_t split, const ProgressHooks* hooks,
                 PartsOutcome<typename Job::Part>& outcome) {
    using Part = typename Job::Part;
    try {
        std::unique_ptr<Part> first = job.Make(PartRole::First);
        std::unique_ptr<Part> later = job.Make(PartRole::Later);
        if (!first || !later) return false;
        PartEnd laterEnd = PartEnd::Failed;
        LaterPartThread thread(rule, [&](LaterPartThread& self) {
            ProgressHooks laterHooks;
            laterHooks.progress = [&self](std::uint64_t done, std::uint64_t) { self.Report(done); };
            laterHooks.cancelled = [&self] { return self.Stopped(); };
            laterEnd = job.Run(*later, ByteRange{split, size}, &laterHooks);
            if (rule.fault == PartsRule::Fault::Fails) laterEnd = PartEnd::Failed;
        });
        ProgressHooks firstHooks;
        if (hooks != nullptr) {
            firstHooks.status = hooks->status;
            firstHooks.cancelled = hooks->cancelled;
            if (hooks->progress) {
                firstHooks.progress = [hooks, &thread](std::uint64_t done, std::uint64_t total) {
                    hooks->progress(done + thread.Bytes(), total);
                };
            }
        }
        const PartEnd firstEnd = job.Run(*first, ByteRange{0, split}, &firstHooks);
        if (firstEnd != PartEnd::Finished) thread.Stop();
        thread.Join();
        if (firstEnd == PartEnd::Cancelled) {
            outcome = {PartEnd::Cancelled, true, std::move(first)};
            return true;
        }
        if (firstEnd != PartEnd::Finished || laterEnd != PartEnd::Finished || !job.Merge(*first, *later)) return false;
        outcome = {PartEnd::Finished, true, std::move(first)};
        return true;
    } catch (...) {
        // Short of a thread or of memory in the parts: one pass may do.
        return false;
    }
}

}  // namespace parts_detail

template <class Job>
PartsOutcome<typename Job::Part> RunInParts(Job& job, const PartsRule& rule, std::uint64_t size, std::uint64_t split,
                                            const ProgressHooks* hooks) {
    PartsOutcome<typename Job::Part> outcome;
    if (split != 0) {
        if (parts_detail::RunTwoParts(job, rule, size, split, hooks, outcome)) return outcome;
        if (!job.Restart()) return outcome;
    }
    outcome.part = job.Make(PartRole::Whole);
    outcome.end = job.Run(*outcome.part, ByteRange{0, UINT64_MAX}, hooks);
    return outcome;
}

}  // namespace torvane
