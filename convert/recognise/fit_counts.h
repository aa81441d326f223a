// Recognising a FIT file by its header, and counting its positions for
// the analysis.
#pragma once

#include "convert/files/platform/file_system.h"
#include "convert/recognise/line_counts.h"
#include "convert/settings.h"

namespace torvane {

// Whether the open `file` starts with a FIT header: a first byte of 12 or
// 14 (the header's size) and ".FIT" at bytes 8 to 11.
bool StartsWithFitHeader(platform::FileHandle file);

// Sets `counts.fitHeader` and counts the record messages of the open FIT
// `file` that have a position into `counts.fitPosition` (those before a
// fault, where the file has one: the conversion then tells of it).
void CountFitPositions(platform::FileHandle file, const RunOptions& options, AnalysisCounts& counts);

}  // namespace torvane
