// A fixture for tests that take a log from the analysis to the written
// output, as ANALYZE and START do.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/conversion_run.h"
#include "convert/input_analysis.h"
#include "test_files.h"

namespace torvane::test {

class WholeFileTest : public ::testing::Test {
protected:
    // Writes `text` as `name`, analyses it (expecting `type`), converts it to
    // `kind` and returns the output's bytes. Every KML made is checked by a
    // strict XML parser.
    std::string ConvertFile(std::string_view name, std::string_view text, DataKind type, OutputKind kind,
                            bool eliminate) {
        const std::string path = dir_.File(name);
        WriteFile(path, text);
        settings_.InputFilePath = path;
        const AnalysisReport analysis = AnalyzeInput(settings_);
        EXPECT_FALSE(analysis.failed) << analysis.message;
        EXPECT_EQ(settings_.DataType, type);
        settings_.OutputType = kind;
        settings_.EliminateZeroPositions = eliminate;
        FormOutputPath(settings_);
        report_ = PerformConversionRun(settings_);
        if (kind == OutputKind::KML && report_.outcome != RunReport::Outcome::Failed) {
            std::string complaint;
            EXPECT_TRUE(IsWellFormedXml(settings_.OutputFilePath, complaint)) << complaint;
        }
        return ReadFile(settings_.OutputFilePath);
    }

    TempDir dir_;
    Settings settings_;
    RunReport report_;
};

}  // namespace torvane::test
