// The one fixture of the tests that take a log through the analysis and the
// run, as ANALYZE and START do: a fresh directory, the settings of one
// window, and the last run's report.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "test_files.h"

namespace torvane::test {

class LogRun {
public:
    LogRun() = default;
    // Analyses `content` as track.nmea and prepares a run of `kind`.
    explicit LogRun(std::string_view content, OutputKind kind = OutputKind::Table, bool eliminate = true);

    // Writes `content` as `name` in the directory and analyses it; the
    // analysis must not fail.
    void Analyze(std::string_view name, std::string_view content);
    // Output type and elimination as the window sets them; the output path.
    void Prepare(OutputKind kind, bool eliminate = true);
    // Prepares and performs a run. Every KML written passes a strict XML parser.
    const RunReport& Run(OutputKind kind, bool eliminate = true);
    // Analyses (expecting `type`), runs and returns the output's bytes.
    std::string Convert(std::string_view name, std::string_view content, DataKind type, OutputKind kind,
                        bool eliminate);

    std::string Output() const { return ReadFile(s.OutputFilePath); }

    TempDir dir;
    Settings s;
    RunReport report;
};

}  // namespace torvane::test
