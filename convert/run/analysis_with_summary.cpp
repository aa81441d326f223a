#include "convert/run/analysis_with_summary.h"

#include "convert/files/file_messages.h"

namespace torvane {

AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks, const ProgressHooks* summaryHooks) {
    AnalysisWithSummary result;
    result.report = AnalyzeInput(s, hooks);
    if (result.report.failed || !result.report.recognised) return result;
    if (runOptions) runOptions(s);
    try {
        result.summarised = ComputeTrackSummary(s, result.summary, result.summaryError,
                                                summaryHooks != nullptr ? summaryHooks : hooks);
    } catch (const std::exception& failure) {  // short of memory or of a thread
        result.summarised = false;
        result.summary = TrackSummary{};
        result.summaryError =
            FileFailureMessage(FileAction::Process, s.InputFilePath, FailureReason(failure), kNoOutputWritten);
    }
    return result;
}

}  // namespace torvane
