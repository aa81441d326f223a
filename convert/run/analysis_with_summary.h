// ANALYZE together with the track summary of what a Table run would then
// write, as `torvane-cli analyze --summary` and the window's preview need
// them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "convert/recognise/input_analysis.h"
#include "convert/run/progress.h"
#include "convert/settings.h"
#include "convert/summary/track_summary.h"

namespace torvane {

struct AnalysisWithSummary {
    AnalysisReport report;
    bool summarised = false;   // recognised, and the summary computed
    TrackSummary summary;
    std::string summaryError;  // why the summary could not be computed (the file recognised)
};

// Analyses `s` as AnalyzeInput does; then, when the file was recognised,
// applies `runOptions` (may be empty) to `s` and computes its summary.
// `summaryHooks` see the summary's pass where they are given (a step of its
// own), `hooks` both passes otherwise.
// Where neither passes' progress nor a cancel is looked for (`summaryHooks`
// null, `hooks` at most asking about the GPX copy), one pass does both.
AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks = nullptr,
                                       const ProgressHooks* summaryHooks = nullptr);

// The analysis and summary of AnalyzeWithSummary in one pass over the log:
// the kind that the lines of the log's start decide sets the summary's run
// up, and the whole log's counts, taken on the way, must decide the same
// kind, flight date and pilot. Otherwise (also for a GPX log, one that is
// not recognised, and any failure) nullopt, with `s` as it was: the passes
// one after the other then give the outcome and its messages. `runOptions`
// is applied to the summary's settings, and on success to `s` as well.
std::optional<AnalysisWithSummary> AnalyzeWithSummaryInOnePass(Settings& s,
                                                               const std::function<void(Settings&)>& runOptions);

}  // namespace torvane
