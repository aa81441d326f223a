// Inputs no GPS device writes: each gives a defined result (a clear failure
// or a defined conversion), never a crash or unbounded memory.
#include <gtest/gtest.h>

#include <string>

#include "convert/files/line_reader.h"
#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "sample_logs.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using test::Repeat;

const std::string kGga = test::kExampleGga;

const std::string kCapMessage = " is longer than " + std::to_string(kMaxLineLength) + " bytes; this is not a text log.";

TEST(HostileInput, FileWithoutLineEndsFailsAtTheLineCap) {
    TempDir dir;
    const std::string noLineEnd(kMaxLineLength + 100, 'x');
    Settings s;
    s.InputFilePath = dir.File("blob.nmea");
    WriteFile(s.InputFilePath, noLineEnd);
    AnalysisReport report = AnalyzeInput(s);
    EXPECT_TRUE(report.failed);
    EXPECT_EQ(report.message, "Cannot read input file " + s.InputFilePath + ": line 1" + kCapMessage);

    // The GPX copy stops at the same cap instead of copying the whole file,
    // whether the long line has tags in it or not.
    for (const std::string& content : {noLineEnd, "<gpx>\r\n<trk>" + noLineEnd}) {
        s.InputFilePath = dir.File("blob.gpx");
        WriteFile(s.InputFilePath, content);
        report = AnalyzeInput(s);
        EXPECT_TRUE(report.failed);
        const std::string line = content == noLineEnd ? "1" : "2";
        EXPECT_EQ(report.message,
                  "Cannot read input file " + dir.File("blob.gpx") + ": line " + line + " of its GPX copy" + kCapMessage);
        EXPECT_FALSE(FileExists(dir.File("blob_CRLF.gpx")));
    }
}

TEST(HostileInput, GpxCopyTakesTheLinesTheReaderTakes) {
    // A line of the copy as long as the cap is copied and analysed; one
    // byte more stops the copy, also where blanks after a tag end make it so.
    const std::string point = "<trkpt lat=\"53.1\" lon=\"8.8\">\r\n</trkpt>\r\n";
    for (const std::string end : {"", "> "}) {
        for (const std::size_t length : {kMaxLineLength - 1, kMaxLineLength, kMaxLineLength + 1}) {
            TempDir dir;
            Settings s;
            s.InputFilePath = dir.File("long.gpx");
            WriteFile(s.InputFilePath, "<gpx>\r\n<desc>" + std::string(length - 6 - end.size(), 'x') + end +
                                           "\r\n</desc>\r\n" + Repeat(point, 2) + "</gpx>\r\n");
            const AnalysisReport report = AnalyzeInput(s);
            if (length <= kMaxLineLength) {
                ASSERT_FALSE(report.failed) << length << ": " << report.message;
                EXPECT_EQ(report.counts.trackPoint, 2) << length;
            } else {
                EXPECT_EQ(report.message, "Cannot read input file " + s.InputFilePath + ": line 2 of its GPX copy" +
                                              kCapMessage) << end;
                EXPECT_FALSE(FileExists(dir.File("long_CRLF.gpx"))) << end;
            }
        }
    }
}

TEST(HostileInput, GpxDocumentOnOneLongLineIsSplitAtItsTags) {
    // One line far beyond the cap, but every line of the copy is short.
    const std::string point = "<trkpt lat=\"53.1\" lon=\"8.8\"><ele>5</ele></trkpt> ";
    const std::size_t points = kMaxLineLength / point.size() + 1000;
    TempDir dir;
    Settings s;
    s.InputFilePath = dir.File("one-line.gpx");
    WriteFile(s.InputFilePath, "<gpx><trk><trkseg>" + Repeat(point, points) + "</trkseg></trk></gpx>");
    const AnalysisReport report = AnalyzeInput(s);
    ASSERT_FALSE(report.failed) << report.message;
    EXPECT_EQ(s.DataType, DataKind::GPGXT);
    EXPECT_EQ(report.counts.trackPoint, static_cast<std::int64_t>(points));
}

TEST(HostileInput, MillionEmptyLinesAreReadAsEmptyRecords) {
    for (const std::string& end : {std::string("\r\n"), std::string("\r"), std::string("\n")}) {
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("empty-lines.nmea");
        WriteFile(s.InputFilePath, Repeat(end, 1000000));
        const AnalysisReport report = AnalyzeInput(s);
        ASSERT_FALSE(report.failed) << report.message;
        EXPECT_FALSE(report.recognised);

        s.DataType = DataKind::GPGGA;  // as after the analysis of another file
        s.OutputType = OutputKind::Table;
        FormOutputPath(s);
        EXPECT_EQ(PerformConversionRun(s).outcome, RunReport::Outcome::NothingWritten);
        s.EliminateZeroPositions = false;  // every line is written, empty
        const RunReport run = PerformConversionRun(s);
        EXPECT_EQ(run.count, 1000000);
        EXPECT_EQ(ReadFile(s.OutputFilePath), Repeat("\r\n", 1000000));
    }
}

TEST(HostileInput, Utf16AndBinaryFilesAreNotRecognised) {
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (const char c : Repeat(kGga + "\r\n", 3)) {
        utf16le += c, utf16le += '\0';
        utf16be += '\0', utf16be += c;
    }
    for (const std::string& content : {utf16le, utf16be, std::string(100000, '\0')}) {
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("log.nmea");
        WriteFile(s.InputFilePath, content);
        const AnalysisReport report = AnalyzeInput(s);
        EXPECT_FALSE(report.failed);
        EXPECT_FALSE(report.recognised);
        EXPECT_EQ(report.message, "Could not recognize data in selected file  " + s.InputFilePath + ".");
    }
}

TEST(HostileInput, HugeNumbersAndLoneSignsOrPointsGiveDefinedLines) {
    const std::string digits(400, '9');
    const std::string log = kGga + "\r\n" +
                            "$GPGGA," + digits + "," + digits + ",N," + digits + ",E,1,07,1.2," + digits +
                            ",M,48.0,M,,*6E\r\n"
                            "$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2," + digits + ",M,48.0,M,,*6E\r\n"
                            "$GPGGA,-,-,N,-,E,1,07,1.2,-,M,48.0,M,,*6E\r\n"
                            "$GPGGA,.......,-......,N,.........,W,1,07,1.2,.,M,48.0,M,,*6E\r\n"
                            "$GPGGA,------,-------,S,---------,W,1,07,1.2,-.-,M,48.0,M,,*6E\r\n"
                            "$GPGGA,10" + digits + ",4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E\r\n";
    TempDir dir;
    Settings s;
    s.InputFilePath = dir.File("odd.nmea");
    WriteFile(s.InputFilePath, log);
    ASSERT_TRUE(AnalyzeInput(s).recognised);
    s.OutputType = OutputKind::Table;
    FormOutputPath(s);

    s.EliminateZeroPositions = false;
    EXPECT_EQ(PerformConversionRun(s).count, 7);
    EXPECT_EQ(ReadFile(s.OutputFilePath),
              " 036930.00  47.3909333  008.5353833  0432.50\r\n"
              "\r\n"                                              // a coordinate too large for a double: invalid
              "\r\n"                                              // an altitude too large for a float: invalid
              "\r\n"                                              // fields too short: invalid
              "\r\n"
              " 000000.00  00.0000000  000.0000000  0000.00\r\n"   // -0 takes the first section
              " inf  47.3909333  008.5353833  0432.50\r\n");        // a time is written as its pattern gives it
    s.EliminateZeroPositions = true;
    EXPECT_EQ(PerformConversionRun(s).count, 2);
    EXPECT_EQ(ReadFile(s.OutputFilePath),
              " 036930.00  47.3909333  008.5353833  0432.50\r\n"
              " inf  47.3909333  008.5353833  0432.50\r\n");
}

}  // namespace
}  // namespace torvane
