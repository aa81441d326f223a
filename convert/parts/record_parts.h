// What every part of a run of the record loop holds and does, whatever it
// writes into: the readers' state it starts from, its own totals, the loop
// over its bytes, and the join with the part after it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/files/input_file.h"
#include "convert/parts/log_parts.h"
#include "convert/run/record_loop.h"

namespace torvane {

struct RecordPart {
    ReaderState readers;  // see PartReaderState
    RunTotals totals;     // of this part's records alone
    LoopEnd end = LoopEnd::Finished;
    std::string readError;  // with LoopEnd::ReadFailed
    std::uint64_t bytesRead = 0;
    // A TCX log's later part: the reader's state it starts from; the first
    // part: the state it ends in.
    const TcxReaderPlace* tcxFrom = nullptr;
    std::optional<TcxReaderPlace> tcxReached;

    // The state a part of a run with `run`'s readers starts from.
    void Start(const ReaderState& run, PartRole role, const LogSplit& split) {
        readers = PartReaderState(run, role, split);
        if (role == PartRole::Later) tcxFrom = split.laterTcx.get();
    }

    // Runs the record loop with `options` over the bytes `range` of `input`
    // into `target` (an output file or a record sink); a binary log's block
    // loop (a TCX log's from the state a later part starts from).
    template <class Target>
    PartEnd Run(const Settings& options, const InputFile& input, ByteRange range, Target& target,
                const ProgressHooks* hooks) {
        if (!ReadsBlocks(options)) {
            return RunLines(options, input, range, [&](const LoopState& run, LineReader& reader) {
                return RunRecordLoop(run, reader, target, input.Size(), hooks, readError);
            });
        }
        if (range.begin != 0 && tcxFrom == nullptr) return PartEnd::Failed;
        const LoopState run{options, readers, totals};
        BlockPart part{range, tcxFrom, std::nullopt};
        end = RunBlockLoop(run, input.Descriptor(), target, input.Size(), hooks, readError, &part);
        tcxReached = std::move(part.reached);
        bytesRead = end == LoopEnd::Finished ? std::min(range.end, input.Size()) - range.begin : 0;
        return Ended();
    }

    // The record loop of a log read as lines into `output`, each line
    // counted into `counter` (as the analysis counts it) too.
    PartEnd RunCounted(const Settings& options, const InputFile& input, ByteRange range, OutputFile& output,
                       LogLineCounter& counter, const ProgressHooks* hooks) {
        return RunLines(options, input, range, [&](const LoopState& run, LineReader& reader) {
            return RunRecordLoop(run, reader, output, counter, input.Size(), hooks, readError);
        });
    }

    // Whether `later` starts where this part ends as one pass goes on: a
    // TCX log's later part from the state this part ended in.
    bool Meets(const RecordPart& later) const {
        return later.tcxFrom == nullptr || (tcxReached && *tcxReached == *later.tcxFrom);
    }

    // Takes in the part after this one, as one pass leaves things: its
    // readers' state, the totals of both.
    void Join(const RecordPart& later) {
        readers = later.readers;
        totals.Merge(later.totals);
        bytesRead += later.bytesRead;
    }

private:
    template <class Loop>
    PartEnd RunLines(const Settings& options, const InputFile& input, ByteRange range, Loop loop) {
        const LoopState run{options, readers, totals};
        LineReader reader(input.Descriptor(), range);
        reader.SetEncoding(LogEncoding(options, input.Descriptor()));
        end = loop(run, reader);
        bytesRead = reader.BytesRead();
        return Ended();
    }

    PartEnd Ended() const {
        return end == LoopEnd::Finished ? PartEnd::Finished
               : end == LoopEnd::Cancelled ? PartEnd::Cancelled
                                           : PartEnd::Failed;
    }
};

}  // namespace torvane
