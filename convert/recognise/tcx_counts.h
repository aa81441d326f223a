// Recognising a TCX file by its root element, and counting its positions
// for the analysis.
#pragma once

#include <cstdint>
#include <memory>

#include "convert/files/platform/file_system.h"
#include "convert/read/tcx_place.h"
#include "convert/recognise/line_counts.h"
#include "convert/settings.h"

namespace torvane {

// Whether the open `file` opens a TCX document: its first element, within
// its first 64 KiB (after a byte-order mark, the XML declaration, comments
// and blanks), is TrainingCenterDatabase.
bool StartsWithTcxRoot(platform::FileHandle file);

// Sets `counts.tcxRoot` and counts the trackpoints of the open TCX `file`
// that have a position into `counts.tcxPosition` (those before a fault,
// where the file has one: the conversion then tells of it), in two parts
// at once where it can (then `inParts` is set). For a file of `size` bytes,
// at least the parts' size and read whole, `middle` is the reader's state
// at a trackpoint's start near its middle, where its parts split or the
// first trackpoint opening at or after its middle (null where there is
// none).
void CountTcxPositions(platform::FileHandle file, std::uint64_t size, const RunOptions& options,
                       AnalysisCounts& counts, std::shared_ptr<const TcxReaderPlace>& middle,
                       bool* inParts = nullptr);

}  // namespace torvane
