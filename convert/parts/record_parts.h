// What every part of a run of the record loop holds and does, whatever it
// writes into: its settings, the loop over its bytes, and the join with
// the part after it.
#pragma once

#include <cstdint>
#include <string>

#include "convert/files/input_file.h"
#include "convert/parts/log_parts.h"
#include "convert/run/record_loop.h"

namespace torvane {

struct RecordPart {
    Settings s;  // see PartSettings
    LoopEnd end = LoopEnd::Finished;
    std::string readError;  // with LoopEnd::ReadFailed
    std::uint64_t bytesRead = 0;

    // Runs the record loop over the bytes `range` of `input` into `target`
    // (an output file or a record sink); a binary log's block loop over the
    // whole file (it is never split).
    template <class Target>
    PartEnd Run(const InputFile& input, ByteRange range, Target& target, const ProgressHooks* hooks) {
        if (ReadsBlocks(s)) {
            end = RunBlockLoop(s, input.Descriptor(), target, input.Size(), hooks, readError);
            bytesRead = end == LoopEnd::Finished ? input.Size() : 0;
        } else {
            LineReader reader(input.Descriptor(), range);
            reader.SetEncoding(LogEncoding(s, input.Descriptor()));
            end = RunRecordLoop(s, reader, target, input.Size(), hooks, readError);
            bytesRead = reader.BytesRead();
        }
        return end == LoopEnd::Finished ? PartEnd::Finished
               : end == LoopEnd::Cancelled ? PartEnd::Cancelled
                                           : PartEnd::Failed;
    }

    // Takes in the settings and bytes of the part after this one, as one
    // pass leaves them.
    void Join(const RecordPart& later) {
        MergePartSettings(s, later.s);
        bytesRead += later.bytesRead;
    }
};

}  // namespace torvane
