#include "log_run.h"

namespace torvane::test {

LogRun::LogRun(std::string_view content, OutputKind kind, bool eliminate) {
    Analyze("track.nmea", content);
    Prepare(kind, eliminate);
}

void LogRun::Analyze(std::string_view name, std::string_view content) {
    s.InputFilePath = dir.File(name);
    WriteFile(s.InputFilePath, content);
    const AnalysisReport analysis = AnalyzeInput(s);
    EXPECT_FALSE(analysis.failed) << analysis.message;
}

void LogRun::Prepare(OutputKind kind, bool eliminate) {
    s.OutputType = kind;
    s.EliminateZeroPositions = eliminate;
    FormOutputPath(s);
}

const RunReport& LogRun::Run(OutputKind kind, bool eliminate) {
    Prepare(kind, eliminate);
    report = PerformConversionRun(s);
    if (kind == OutputKind::KML && report.outcome != RunReport::Outcome::Failed) {
        std::string complaint;
        EXPECT_TRUE(IsWellFormedXml(s.OutputFilePath, complaint)) << complaint;
    }
    return report;
}

std::string LogRun::Convert(std::string_view name, std::string_view content, DataKind type, OutputKind kind,
                            bool eliminate) {
    Analyze(name, content);
    EXPECT_EQ(s.DataType, type);
    Run(kind, eliminate);
    return Output();
}

}  // namespace torvane::test
