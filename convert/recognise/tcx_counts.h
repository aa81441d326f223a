// Recognising a TCX file by its root element, and counting its positions
// for the analysis.
#pragma once

#include "convert/files/platform/file_system.h"
#include "convert/recognise/line_counts.h"
#include "convert/settings.h"

namespace torvane {

// Whether the open `file` opens a TCX document: its first element, within
// its first 64 KiB (after a byte-order mark, the XML declaration, comments
// and blanks), is TrainingCenterDatabase.
bool StartsWithTcxRoot(platform::FileHandle file);

// Sets `counts.tcxRoot` and counts the trackpoints of the open TCX `file`
// that have a position into `counts.tcxPosition` (those before a fault,
// where the file has one: the conversion then tells of it).
void CountTcxPositions(platform::FileHandle file, const RunOptions& options, AnalysisCounts& counts);

}  // namespace torvane
