// What the readers of a whole file (rather than of its lines) hand their
// records to, and how their reading ends: the FIT and the TCX reader alike.
#pragma once

#include <cstdint>

#include "convert/read/position.h"

namespace torvane {

// Takes each record a file's reader makes, in the file's order.
class BlockRecordSink {
public:
    virtual ~BlockRecordSink() = default;
    // `record` holds a position, or none (hasPosition false, with the
    // reason); `offset` is where its message or element starts in the file.
    // False stops the reading (BlockEnd::Stopped).
    virtual bool Take(const Record& record, std::uint64_t offset) = 0;
    // Whether the sink looks at nothing of a record but `hasPosition`: a
    // reader may then leave the values that cannot decide it unread (the
    // time, the measurements).
    virtual bool PositionsOnly() const { return false; }
};

// Counts the records that hold a position: what the analysis of a file
// read whole counts.
struct PositionCount final : BlockRecordSink {
    std::int64_t positions = 0;
    bool Take(const Record& record, std::uint64_t) override {
        positions += record.hasPosition ? 1 : 0;
        return true;
    }
    bool PositionsOnly() const override { return true; }
};

// How a reading of a file ended.
enum class BlockEnd {
    Finished,  // the file was read to its end
    Failed,    // the file is not of its kind, or is cut short or damaged: the reader's ErrorText()
    Stopped,   // the sink asked to stop
};

}  // namespace torvane
