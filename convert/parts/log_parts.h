// Work on a log in two parts at once, one on each core: where a log splits
// (one rule for every kind of work) and the one driver that runs the parts,
// adds their progress, joins them and merges their results. Whatever goes wrong with a part, the work is done again
// in one pass with fresh state, so the outcome is always that of one pass.
#pragma once

#include <atomic>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/platform/file_system.h"
#include "convert/files/platform/thread_placement.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

// Where a log (the open file `file` of `size` bytes) splits: the offset of
// the later part's first byte, or 0 for one pass.
struct LogSplit {
    std::uint64_t at = 0;
    GpxPointStateRecord laterPoint;  // for records: the GPX reader's state at `at`
    std::shared_ptr<const TcxReaderPlace> laterTcx;  // for records: the TCX reader's state at `at`
};

// For work that sees each line on its own (the analysis's counts, the GPX
// copy): after a LF near the middle, from `rule.fromBytes` on.
LogSplit FindLogSplit(const PartsRule& rule, platform::FileHandle file, std::uint64_t size);

// For the records of a run with `s`'s options (a conversion, the summary):
// there too, except where a record depends on the records before it, and
// in one pass where the log is read as UTF-16 text. A GPX
// track point splits at a line opening a point, with the reader's state
// there; a TCX trackpoint at the one the analysis noted, with the state
// noted there (the first part must end in it for the join to hold); an
// overlay (points numbered from the first) does not split. (A
// dated output's later part also needs its day, see the conversion run.)
LogSplit FindLogSplit(const RunOptions& s, platform::FileHandle file, std::uint64_t size);

// The same for records written as `output` (the summary's: as a table's).
LogSplit FindLogSplit(const RunOptions& s, OutputKind output, platform::FileHandle file, std::uint64_t size);

// Which part a piece of work is made for.
enum class PartRole { Whole, First, Later };

// The readers' state a part of a run starts with: the run's own, or for the
// later part the state one pass has at the split.
ReaderState PartReaderState(const ReaderState& run, PartRole role, const LogSplit& split);

// How the work on one part (or on the whole log) ended.
enum class PartEnd { Finished, Failed, Cancelled };

// What RunInParts gives back: how the work ended, whether the log was read
// in parts, and the part holding the results (the whole pass's, or the
// first part's with the later one merged into it).
template <class Part>
struct PartsOutcome {
    PartEnd end = PartEnd::Failed;
    bool inParts = false;
    std::unique_ptr<Part> part;
};

// A piece of work on a log that may run in parts: its Part holds the state
// and results of one part.
template <class Job>
concept PartsJob = requires(Job& job, typename Job::Part& part, ByteRange range, const ProgressHooks* hooks) {
    // Fresh state for a part (the later part's on its own thread, while the
    // first part runs); null: no parts (one pass follows).
    { job.Make(PartRole::Whole) } -> std::same_as<std::unique_ptr<typename Job::Part>>;
    // The work on the bytes `range`.
    { job.Run(part, range, hooks) } -> std::same_as<PartEnd>;
    // Takes the later part's results after the first's; false: one pass.
    { job.Merge(part, part) } -> std::same_as<bool>;
    // Before the one pass after failed parts; false: the work failed.
    { job.Restart() } -> std::same_as<bool>;
};

// A part that reads its bytes as lines: how many it read, and why reading
// failed, where it did.
template <class Part>
concept ReadingPart = requires(const Part& part) {
    { part.bytesRead } -> std::convertible_to<std::uint64_t>;
    { part.readError } -> std::convertible_to<std::string>;
};

// Runs `job` over the `size` bytes of a log, in two parts split at `split`
// (see FindLogSplit; 0: one pass) or in one pass. Each Part is made on its own (by make_unique), so the two threads' data
// lie on cache lines of their own as long as Part is aligned to 64 bytes.
// `hooks` see the bytes of both parts and are called on this thread only;
// when the first part stops, the later one is stopped too. The later part
// failing in any way (its thread, a read, a write, its merge) or the first
// failing makes the parts count for nothing: both are dropped (their files
// too), and one pass follows, which meets any real failure itself.
template <PartsJob Job>
PartsOutcome<typename Job::Part> RunInParts(Job& job, const PartsRule& rule, std::uint64_t size, std::uint64_t split,
                                            const ProgressHooks* hooks);

// A pass over the open log `input` (RunInParts), whose outcome also fails
// where the file changed while it was read. `failure` is the reason of a
// failed pass: the part's read error, or the change.
template <class Part>
struct LogPass : PartsOutcome<Part> {
    std::string failure;
};
template <PartsJob Job>
    requires ReadingPart<typename Job::Part>
LogPass<typename Job::Part> PassOverLog(Job& job, InputFile& input, const PartsRule& rule, std::uint64_t split,
                                        const ProgressHooks* hooks);

// ---------------------------------------------------------------------------

namespace parts_detail {

// What the two threads share, on a cache line of its own (one shared with
// the first part's data would pass from core to core at every write).
struct alignas(64) LaterPartSignals {
    std::atomic<std::uint64_t> bytes{0};  // read by the later part so far
    std::atomic<bool> stop{false};
};

// The two parts of a run; true when they decided its outcome (finished or
// cancelled) in `outcome`.
template <class Job>
bool RunTwoParts(Job& job, const PartsRule& rule, std::uint64_t size, std::uint64_t split, const ProgressHooks* hooks,
                 PartsOutcome<typename Job::Part>& outcome) {
    try {
        std::unique_ptr<typename Job::Part> first = job.Make(PartRole::First);
        if (!first) return false;
        if (rule.fault == PartsRule::Fault::CannotStart) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        LaterPartSignals signals;
        // The later part is made on its own thread (what it reads to begin,
        // the day at the split say, is read while the first part runs); one
        // that cannot be made fails.
        std::unique_ptr<typename Job::Part> later;
        PartEnd laterEnd = PartEnd::Failed;
        // On another processor from its start, or the parts of a small log
        // may take turns on this one.
        platform::ThreadPlacement placement;
        std::thread thread([&] {
            placement.Started();
            ProgressHooks laterHooks;
            laterHooks.progress = [&](std::uint64_t done, std::uint64_t) {
                signals.bytes.store(done, std::memory_order_relaxed);
            };
            laterHooks.cancelled = [&] { return signals.stop.load(std::memory_order_relaxed); };
            try {
                later = job.Make(PartRole::Later);
                if (later) laterEnd = job.Run(*later, ByteRange{split, size}, &laterHooks);
            } catch (...) {
                laterEnd = PartEnd::Failed;
            }
            if (rule.fault == PartsRule::Fault::Fails) laterEnd = PartEnd::Failed;
        });
        placement.KeepOffMine(thread);
        struct Joined {  // on every way out
            std::thread& thread;
            LaterPartSignals& signals;
            ~Joined() {
                signals.stop.store(true, std::memory_order_relaxed);
                if (thread.joinable()) thread.join();
            }
        } joined{thread, signals};
        ProgressHooks firstHooks;
        if (hooks != nullptr) {
            firstHooks = *hooks;
            if (hooks->progress) {
                firstHooks.progress = [hooks, &signals](std::uint64_t done, std::uint64_t total) {
                    hooks->progress(done + signals.bytes.load(std::memory_order_relaxed), total);
                };
            }
        }
        const PartEnd firstEnd = job.Run(*first, ByteRange{0, split}, &firstHooks);
        if (firstEnd != PartEnd::Finished) signals.stop.store(true, std::memory_order_relaxed);
        thread.join();
        if (firstEnd == PartEnd::Cancelled) {
            outcome = {PartEnd::Cancelled, true, std::move(first)};
            return true;
        }
        if (firstEnd != PartEnd::Finished || laterEnd != PartEnd::Finished || !job.Merge(*first, *later)) return false;
        // Both parts' last bytes, as one pass ends: the later part may end after the first.
        if (hooks != nullptr && hooks->progress) {
            hooks->progress(split + signals.bytes.load(std::memory_order_relaxed), size);
        }
        outcome = {PartEnd::Finished, true, std::move(first)};
        return true;
    } catch (...) {
        // Short of a thread or of memory in the parts: one pass may do.
        return false;
    }
}

}  // namespace parts_detail

template <PartsJob Job>
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

template <PartsJob Job>
    requires ReadingPart<typename Job::Part>
LogPass<typename Job::Part> PassOverLog(Job& job, InputFile& input, const PartsRule& rule, std::uint64_t split,
                                        const ProgressHooks* hooks) {
    LogPass<typename Job::Part> pass;
    static_cast<PartsOutcome<typename Job::Part>&>(pass) = RunInParts(job, rule, input.Size(), split, hooks);
    if (pass.end == PartEnd::Failed && pass.part) {
        pass.failure = pass.part->readError;
    } else if (pass.end == PartEnd::Finished && input.ChangedWhileRead(pass.part->bytesRead)) {
        pass.end = PartEnd::Failed;
        pass.failure = input.ErrorText();
    }
    return pass;
}

}  // namespace torvane
