// ANALYZE and START in one pass over the log, where one pass can stand for
// both: for `torvane-cli convert`, which asks nothing between them.
#pragma once

#include <functional>
#include <optional>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "convert/settings.h"

namespace torvane {

struct AnalysisWithRun {
    AnalysisReport report;  // as AnalyzeInput reports the log
    Settings asAnalysed;    // the settings after the analysis and `prepare`, before the run
    RunReport run;          // Outcome::Written
};

// The analysis and the run of `s` in one pass over the log: the kind that
// the lines of the log's start decide sets the run up, `prepare` applies
// the front end's options and output to those settings, and the run counts
// the log's lines on the way; its output takes its name only where the
// whole log's counts decide the same kind, flight date and pilot. On
// success `s` holds what the analysis, `prepare` and the run leave in it,
// and `prepare` has been applied once more, to the whole log's analysis,
// for `asAnalysed` (its answer then counts for nothing).
//
// nullopt, with `s` as it was and nothing written, wherever the two passes
// one after the other are to give the outcome and its messages: `prepare`
// says the run may not go ahead as it stands (a question to ask, a
// refusal), the log is GPX, binary, UTF-16 text or not recognised by its
// start, the output is an overlay (whose header holds the analysis's count
// of records), the whole log decides otherwise, or the run wrote nothing
// or failed in any way.
std::optional<AnalysisWithRun> AnalyzeAndConvertInOnePass(Settings& s, const std::function<bool(Settings&)>& prepare);

}  // namespace torvane
