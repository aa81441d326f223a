// What every part of a run of the record loop holds and does, whatever it
// writes into: the readers' state it starts from, its own totals, the loop
// over its bytes, and the join with the part after it.
#pragma once

#include <cstdint>
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

    // Runs the record loop with `options` over the bytes `range` of `input`
    // into `target` (an output file or a record sink); a binary log's block
    // loop over the whole file (it is never split).
    template <class Target>
    PartEnd Run(const Settings& options, const InputFile& input, ByteRange range, Target& target,
                const ProgressHooks* hooks) {
        const LoopState run{options, readers, totals};
        if (ReadsBlocks(options)) {
            end = RunBlockLoop(run, input.Descriptor(), target, input.Size(), hooks, readError);
            bytesRead = end == LoopEnd::Finished ? input.Size() : 0;
        } else {
            LineReader reader(input.Descriptor(), range);
            reader.SetEncoding(LogEncoding(options, input.Descriptor()));
            end = RunRecordLoop(run, reader, target, input.Size(), hooks, readError);
            bytesRead = reader.BytesRead();
        }
        return end == LoopEnd::Finished ? PartEnd::Finished
               : end == LoopEnd::Cancelled ? PartEnd::Cancelled
                                           : PartEnd::Failed;
    }

    // Takes in the part after this one, as one pass leaves things: its
    // readers' state, the totals of both.
    void Join(const RecordPart& later) {
        readers = later.readers;
        totals.Merge(later.totals);
        bytesRead += later.bytesRead;
    }
};

}  // namespace torvane
