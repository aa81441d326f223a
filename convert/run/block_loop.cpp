// The block loops: the reader of a log read in blocks (FIT, TCX) hands its
// records, one a message or trackpoint, to the targets the record loop
// writes into (run/record_targets.h).
#include <algorithm>

#include "convert/kinds.h"
#include "convert/read/fit_file.h"
#include "convert/read/tcx_file.h"
#include "convert/run/record_loop.h"
#include "convert/run/record_targets.h"

namespace torvane {
namespace {

using namespace record_targets;

// Where a record came from, as the targets ask it of a line reader: the
// offset of its message and its number among the messages read.
struct MessagePlace {
    std::uint64_t offset = 0;
    std::int64_t number = 0;
    std::uint64_t OffsetOf(std::string_view) const { return offset; }
    std::int64_t LineNumber() const { return number; }
};

// Progress is reported after every so many bytes.
constexpr std::uint64_t kProgressStep = 1u << 20;

// Takes each record from the reader and hands it to `Target` as the record
// loop would: shown to a path target, written where it passes the GPX write
// test (never invalid, so never without a position), counted; otherwise
// into the account.
template <class Target>
class BlockSink final : public BlockRecordSink {
public:
    // A part's progress counts from its first byte `begin`, its records
    // after the `before` of the parts before it.
    BlockSink(const LoopState& run, Target& target, std::uint64_t inputSize, const ProgressHooks* hooks,
              std::uint64_t begin, std::int64_t before)
        : run_(run), target_(target), inputSize_(inputSize), hooks_(hooks), begin_(begin), reported_(begin) {
        place_.number = before;
    }

    bool Take(const Record& record, std::uint64_t offset) override {
        place_.offset = offset;
        ++place_.number;
        if (hooks_ != nullptr && hooks_->progress && offset - reported_ >= kProgressStep) {
            reported_ = offset;
            hooks_->progress(offset - begin_, inputSize_);
            if (hooks_->cancelled && hooks_->cancelled()) return false;
        }
        // A target that sees the lines (the dated outputs, where a log gives
        // its dates) sees an empty one before each message, and may end the
        // run there.
        if constexpr (Target::kSeesLines) {
            if (target_.SeeLine(std::string_view())) return false;
        }
        if constexpr (Target::kPathLines) target_.Read(record);
        const Position& p = record.position;
        if (PassesGpxWriteTest(run_.options.EliminateZeroPositions, record.invalid, p.latitude, p.longitude)) {
            target_.Take(record, place_, std::string_view());
            ++run_.totals.RecordCount;
        } else if constexpr (Target::kAccounts) {
            target_.Drop(record, place_, true);
        }
        return true;
    }
private:
    const LoopState& run_;
    Target& target_;
    std::uint64_t inputSize_;
    const ProgressHooks* hooks_;
    MessagePlace place_;
    std::uint64_t begin_;
    std::uint64_t reported_;
};

template <class Target>
LoopEnd RunBlocks(const LoopState& run, platform::FileHandle file, Target target, std::uint64_t inputSize,
                  const ProgressHooks* hooks, std::string& error, BlockPart* part = nullptr) {
    BlockPart whole;
    if (part == nullptr) part = &whole;
    const std::uint64_t begin = part->range.begin;
    BlockSink<Target> sink(run, target, inputSize, hooks, begin, part->from ? part->from->trackpoints : 0);
    BlockEnd end = BlockEnd::Failed;
    if (InputKindOf(run.options.DataType).reader == ReaderFamily::TcxFile) {
        TcxFileReader reader(run.options);
        end = reader.ReadPart(file, sink, part->from, part->range.end, part->reached);
        if (end == BlockEnd::Failed) error = reader.ErrorText();
    } else if (begin == 0 && part->range.end >= inputSize) {
        FitFileReader reader(run.options);
        end = reader.Read(file, sink);
        if (end == BlockEnd::Failed) error = reader.ErrorText();
    } else {
        error = "a FIT log is read whole";
    }
    switch (end) {
        case BlockEnd::Finished:
            if (hooks != nullptr && hooks->progress) {
                hooks->progress(std::min(part->range.end, inputSize) - begin, inputSize);
            }
            return LoopEnd::Finished;
        case BlockEnd::Stopped: return LoopEnd::Cancelled;
        case BlockEnd::Failed: break;
    }
    return LoopEnd::ReadFailed;
}

}  // namespace

bool ReadsBlocks(const RunOptions& options) {
    const ReaderFamily reader = InputKindOf(options.DataType).reader;
    return reader == ReaderFamily::FitFile || reader == ReaderFamily::TcxFile;
}

LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, OutputFile& output, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part) {
    const RunOptions& o = run.options;
    return RunBlocks(run, file, PathTarget{output, run.totals, o.OutputType, o.UseDecimalComma}, inputSize, hooks,
                     error, part);
}

LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, RecordSink& sink, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part) {
    return RunBlocks(run, file, SinkTarget{sink}, inputSize, hooks, error, part);
}

LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, DatedRecordSink& sink, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part) {
    return RunBlocks(run, file, DatedSinkTarget{sink}, inputSize, hooks, error, part);
}

LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, LineAccount& account, std::string& error) {
    return RunBlocks(run, file, AccountTarget{account}, 0, nullptr, error);
}

}  // namespace torvane
