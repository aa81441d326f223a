// ANALYZE together with the track summary of what a Table run would then
// write, as `torvane-cli analyze --summary` and the window's preview need
// them.
//
// For a large log the summary is computed on a second thread while the
// analysis runs, for the data type that the log's first block shows. When
// the analysis then decides on another type, the summary is computed afresh
// after it. Either way the summary is the one ComputeTrackSummary gives on
// the analysed settings: the speculative run reads the same file with the
// same options and type, and nothing else that analysis sets reaches the
// positions of a summary.
#pragma once

#include <functional>
#include <string>

#include "input_analysis.h"
#include "progress.h"
#include "settings.h"
#include "track_summary.h"

namespace torvane {

struct AnalysisWithSummary {
    AnalysisReport report;
    bool summarised = false;   // recognised, and the summary computed
    TrackSummary summary;
    std::string summaryError;  // why the summary could not be computed (the file recognised)
};

// Analyses `s` as AnalyzeInput does; then, when the file was recognised,
// applies `runOptions` (may be empty) to `s` and computes its summary.
// `hooks` report the analysis (on the calling thread only).
AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks = nullptr);

// Logs from this size on are summarised alongside their analysis.
inline constexpr std::uint64_t kSpeculativeSummaryBytes = 4u << 20;

}  // namespace torvane
