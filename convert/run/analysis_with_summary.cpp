#include "convert/run/analysis_with_summary.h"

#include <algorithm>

#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/utf16_text.h"
#include "convert/recognise/fit_counts.h"
#include "convert/recognise/gpx_copy.h"
#include "convert/recognise/tcx_counts.h"

namespace torvane {
namespace {

// The bytes from the log's start whose lines suggest the kind.
constexpr std::uint64_t kLookAhead = 256u << 10;

// What the lines of the log's first bytes decide, from `fresh`; nullopt
// where they recognise nothing, where the log is not read as lines of
// bytes (FIT, TCX, UTF-16 text) or cannot be read.
std::optional<AnalysisReport> ReportOfStart(const Settings& s, const LineCounting& fresh) {
    InputFile input;
    if (!input.Open(s.InputFilePath)) return std::nullopt;
    const platform::FileHandle file = input.Descriptor();
    if (StartsWithFitHeader(file) || StartsWithTcxRoot(file)) return std::nullopt;
    if (EncodingByMark(file) != TextEncoding::Bytes) return std::nullopt;
    AnalysisReport report;
    report.counts = fresh.counts;
    LineReader reader(file, ByteRange{0, std::min(input.Size(), kLookAhead)});
    std::string_view line;
    for (bool first = true; reader.Next(line) == LineReader::Status::Line; first = false) {
        if (first) report.counts.startsWithARecord = !line.empty() && line[0] == 'A';
        CountLine(line, report.counts, fresh.rules);
    }
    DecideFromCounts(s, s.InputFilePath, report);
    if (!report.recognised) return std::nullopt;
    return report;
}

}  // namespace

std::optional<AnalysisWithSummary> AnalyzeWithSummaryInOnePass(Settings& s,
                                                               const std::function<void(Settings&)>& runOptions) {
    // A GPX log's run reads the copy its analysis writes.
    if (IsGpxPath(s.InputFilePath)) return std::nullopt;
    try {
        const LineCounting fresh = FreshCounting(s);
        const std::optional<AnalysisReport> start = ReportOfStart(s, fresh);
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
        // The whole log's analysis must set the run up alike: the same
        // kind, flight date and pilot (the record count is no part of a
        // summary).
        if (!report.recognised || report.kind != start->kind ||
            report.counts.igcFlightDate != start->counts.igcFlightDate ||
            report.counts.igcPilot != start->counts.igcPilot) {
            return std::nullopt;
        }
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
