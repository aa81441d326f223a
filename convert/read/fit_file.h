// Reader of FIT files, the binary activity files of sport watches and bike
// computers: turns each `record` message into a record with its position
// (or without one, where the message has none), its time, its altitude and
// what the recorder measured there.
//
// A FIT file is a header (12 or 14 bytes, with a CRC of its own in the
// longer form), messages, and a CRC of all of it; several such files may
// follow one another in one file. Messages are definitions (which fields,
// of which sizes and types, in which byte order a local message type holds)
// and data messages laid out by them. The reader keeps only the definitions
// and the last timestamp: memory stays flat whatever the file's size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/files/platform/file_system.h"
#include "convert/read/block_records.h"
#include "convert/read/position.h"

namespace torvane {

// Takes each record message of a FIT file, in the file's order; its offset
// is where the message starts.
using FitRecordSink = BlockRecordSink;

// How a reading of FIT data ended: Finished, every FIT file to its end,
// each CRC right; Failed, the data are not FIT, or are cut short or
// damaged; Stopped, the sink asked to stop.
using FitEnd = BlockEnd;

class FitFileReader {
public:
    // Altitudes are manipulated as `options` say.
    explicit FitFileReader(const RunOptions& options) : options_(options) {}

    // Reads the FIT data in `bytes`.
    FitEnd Read(std::string_view bytes, FitRecordSink& sink);
    // Reads the open `file` from its start to its end, a block at a time,
    // wherever its offset stands (the file is not closed).
    FitEnd Read(platform::FileHandle file, FitRecordSink& sink);

    // Why the reading failed: what was wrong, and at which byte.
    const std::string& ErrorText() const { return error_; }
    // The FIT files read to their end (several where they are chained).
    int FilesRead() const { return files_; }

private:
    const RunOptions& options_;
    std::string error_;
    int files_ = 0;
};

}  // namespace torvane
