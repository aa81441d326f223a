// What the lines of a log's start decide, for work that analyses a log
// while it reads it for something else (the summary, a run): that work is
// set up by the start, and holds where the whole log decides alike.
#pragma once

#include <optional>

#include "convert/recognise/input_analysis.h"
#include "convert/settings.h"

namespace torvane {

// The analysis of the lines of the log's first 256 KiB, counted from
// `fresh`; nullopt where they recognise nothing, where the log is not read
// as lines of bytes (GPX, whose run reads its copy; FIT, TCX, UTF-16 text)
// or cannot be read.
std::optional<AnalysisReport> AnalysisOfLogStart(const Settings& s, const LineCounting& fresh);

// Whether the whole log's analysis sets a run up as its start's did: the
// same kind, flight date and pilot.
bool SetsUpAlike(const AnalysisReport& whole, const AnalysisReport& start);

}  // namespace torvane
