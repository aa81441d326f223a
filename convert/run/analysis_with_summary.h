// ANALYZE together with the track summary of what a Table run would then
// write, as `torvane-cli analyze --summary` and the window's preview need
// them.
#pragma once

#include <functional>
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
AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks = nullptr,
                                       const ProgressHooks* summaryHooks = nullptr);

}  // namespace torvane
