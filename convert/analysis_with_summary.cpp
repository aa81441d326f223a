#include "analysis_with_summary.h"

namespace torvane {

AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks) {
    AnalysisWithSummary result;
    result.report = AnalyzeInput(s, hooks);
    if (result.report.failed || !result.report.recognised) return result;
    if (runOptions) runOptions(s);
    result.summarised = ComputeTrackSummary(s, result.summary, result.summaryError, hooks);
    return result;
}

}  // namespace torvane
