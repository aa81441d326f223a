#include "convert/run/analysis_with_run.h"

#include "convert/run/log_start_analysis.h"

namespace torvane {
namespace {

// The settings of `s` after `report` and `prepare`, as ANALYZE and the
// front end leave them.
Settings Analysed(const Settings& s, const AnalysisReport& report, const std::function<bool(Settings&)>& prepare,
                  bool& mayRun) {
    Settings analysed = s;
    analysed.AnalysedFilePath = analysed.InputFilePath;
    ApplyAnalysis(report, analysed);
    mayRun = prepare(analysed);
    return analysed;
}

}  // namespace

std::optional<AnalysisWithRun> AnalyzeAndConvertInOnePass(Settings& s, const std::function<bool(Settings&)>& prepare) {
    try {
        const LineCounting fresh = FreshCounting(s);
        const std::optional<AnalysisReport> start = AnalysisOfLogStart(s, fresh);
        if (!start) return std::nullopt;
        bool mayRun = false;
        Settings run = Analysed(s, *start, prepare, mayRun);
        if (!mayRun || run.OutputType == OutputKind::OVL) return std::nullopt;

        AnalysisWithRun result;
        AnalysisReport& report = result.report;
        RunCounting counting{fresh, [&](const AnalysisCounts& counts) {
                                 report.counts = counts;
                                 DecideFromCounts(s, s.InputFilePath, report);
                                 return SetsUpAlike(report, *start);
                             }};
        result.run = PerformConversionRun(run, nullptr, &counting);
        if (result.run.outcome != RunReport::Outcome::Written) return std::nullopt;
        // What the whole log's analysis sets (its count of records too).
        result.asAnalysed = Analysed(s, report, prepare, mayRun);
        report.inParts = result.run.inParts;
        run.DetectedRecordCount = result.asAnalysed.DetectedRecordCount;
        s = std::move(run);
        return result;
    } catch (const std::exception&) {  // short of memory: the passes one after the other tell
        return std::nullopt;
    }
}

}  // namespace torvane
