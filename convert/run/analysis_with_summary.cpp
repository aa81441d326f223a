#include "convert/run/analysis_with_summary.h"

#include "convert/files/file_messages.h"
#include "convert/run/log_start_analysis.h"

namespace torvane {

std::optional<AnalysisWithSummary> AnalyzeWithSummaryInOnePass(Settings& s,
                                                               const std::function<void(Settings&)>& runOptions) {
    try {
        const LineCounting fresh = FreshCounting(s);
        const std::optional<AnalysisReport> start = AnalysisOfLogStart(s, fresh);
        if (!start) return std::nullopt;
        // The run as the analysis of the log's start would set it up.
        Settings run = s;
        run.AnalysedFilePath = run.InputFilePath;
        ApplyAnalysis(*start, run);
        if (runOptions) runOptions(run);
        AnalysisWithSummary result;
        AnalysisReport& report = result.report;
        std::string error;
        if (!ComputeTrackSummary(run, fresh, result.summary, report.counts, error)) return std::nullopt;
        DecideFromCounts(s, s.InputFilePath, report);
        if (!SetsUpAlike(report, *start)) return std::nullopt;
        report.inParts = result.summary.inParts;
        result.summarised = true;
        s.AnalysedFilePath = s.InputFilePath;
        ApplyAnalysis(report, s);
        if (runOptions) runOptions(s);
        return result;
    } catch (const std::exception&) {  // short of memory or of a thread: the passes one after the other tell
        return std::nullopt;
    }
}

AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks, const ProgressHooks* summaryHooks) {
    // Where no one follows the passes, one pass does both.
    const bool followed = summaryHooks != nullptr ||
                          (hooks != nullptr && (hooks->progress || hooks->status || hooks->cancelled));
    if (!followed) {
        if (auto once = AnalyzeWithSummaryInOnePass(s, runOptions)) return std::move(*once);
    }
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
