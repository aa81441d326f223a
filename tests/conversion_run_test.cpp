#include "convert/files/line_reader.h"
#include "convert/run/conversion_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "convert/files/input_file.h"
#include "convert/recognise/input_analysis.h"
#include "convert/run/point_limit.h"
#include "convert/write/output_documents.h"
#include "log_run.h"
#include "sample_logs.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kGga = test::kExampleGga;
const std::string kZero = "$GPGGA,101531.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E";
const std::string kEquator = "$GPGGA,101532.00,0000.0000,N,00800.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E";

const std::string kLine1 = " 036930.00  47.3909333  008.5353833  0432.50";
const std::string kEquatorLine = " 036932.00  00.0000000  008.0000000  0432.50";

std::string CrLf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

using test::LogRun;

TEST(OutputPath, FormedFromInputDataTypeAndOutputType) {
    struct Case {
        const char* input;
        DataKind type;
        OutputKind output;
        const char* expected;
    };
    const Case cases[] = {
        {"/logs/track.nmea", DataKind::GPGGA, OutputKind::Table, "/logs/track_GGA.prn"},
        {"/logs/track.nmea", DataKind::GPGLL, OutputKind::KML, "/logs/track_GLL.kml"},
        {"/logs/track.nmea", DataKind::GPRMC, OutputKind::OVL, "/logs/track_RMC.ovl"},
        {"/logs.2009/track.nmea", DataKind::GPGGA, OutputKind::Table, "/logs.2009/track_GGA.prn"},
        {"/logs/track.2009.nmea", DataKind::GPIGC, OutputKind::Table, "/logs/track_IGC.prn"},
        {"/logs/track_CRLF.gpx", DataKind::GPGXT, OutputKind::KML, "/logs/track_CRLF_GXT.kml"},
        {"/logs/ride.fit", DataKind::GPFIT, OutputKind::GPX, "/logs/ride_FIT.gpx"},
        {"/logs/ride.tcx", DataKind::GPTCX, OutputKind::KML, "/logs/ride_TCX.kml"},
        {"/logs/track", DataKind::GPGGA, OutputKind::Table, "/logs/track_GGA.prn"},
        {"track.nmea", DataKind::GPGGA, OutputKind::Table, "track_GGA.prn"},
        {"/logs/track.nmea", DataKind::None, OutputKind::Table, "/logs/track_.prn"},
    };
    for (const Case& c : cases) {
        Settings s;
        s.InputFilePath = c.input;
        s.DataType = c.type;
        s.OutputType = c.output;
        FormOutputPath(s);
        EXPECT_EQ(s.OutputFilePath, c.expected) << c.input;
    }
    Settings s;
    s.OutputFilePath = "kept";
    FormOutputPath(s);  // no output type chosen
    EXPECT_EQ(s.OutputFilePath, "kept");
}

TEST(OutputPath, KmlPlacemarkIsNamedAfterTheOutputUnlessNamed) {
    Settings s;
    s.InputFilePath = "/logs/track.nmea";
    s.DataType = DataKind::GPGGA;
    s.OutputType = OutputKind::KML;
    FormOutputPath(s);
    EXPECT_EQ(s.OutputFileName, "track_GGA.kml");
    EXPECT_EQ(s.KmlProperties[kKmlName], "track_GGA.kml");
    SetOutputPath(s, "/elsewhere/walk.kml");
    EXPECT_EQ(s.KmlProperties[kKmlName], "walk.kml");

    s.KmlProperties[kKmlName] = "My walk";
    FormOutputPath(s);
    EXPECT_EQ(s.KmlProperties[kKmlName], "My walk");
}

TEST(OutputPath, ExistsTestFindsRegularFilesOnly) {
    TempDir dir;
    WriteFile(dir.File("a.prn"), "x");
    EXPECT_TRUE(OutputFileExists(dir.File("a.prn")));
    EXPECT_FALSE(OutputFileExists(dir.File("b.prn")));
    EXPECT_FALSE(OutputFileExists(dir.Path()));
    EXPECT_FALSE(OutputFileExists(dir.Path() + "/"));
    EXPECT_FALSE(OutputFileExists(""));
}

TEST(ConversionRun, LineEndVariantsGiveTheSameRecords) {
    const std::string crlf = CrLf({kGga, kEquator});
    for (const std::string& separator : {std::string("\n"), std::string("\r")}) {
        std::string other = crlf;
        for (std::size_t at; (at = other.find("\r\n")) != std::string::npos;) other.replace(at, 2, separator);
        LogRun f(other);
        EXPECT_EQ(f.s.DataType, DataKind::GPGGA);
        f.Run(OutputKind::Table);
        EXPECT_EQ(f.Output(), CrLf({kLine1, kEquatorLine}));
    }
}

TEST(ConversionRun, LoopPreChecksOnEachSideOfTheirBounds) {
    // Each line follows two sentences of its kind that make the log
    // recognised; its fields pass the converter's checks, so only the
    // loop's tag and comma tests decide whether it is written.
    struct Case {
        std::string line;
        bool anyTalker;
        bool written;
    };
    const std::string gga = "$GPGGA,101545.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,";
    const std::string gll = "$GPGLL,4723.4560,N,00832.1230,E,101545.00,A";
    const std::string rmc = "$GPRMC,101545.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,";
    const Case cases[] = {
        {gga + "*6E", false, false},                    // 13 commas
        {gga + ",*6E", false, true},                    // 14
        {gga + ",,*6E", false, false},                  // 15
        {"$GNGGA" + gga.substr(6) + ",*6E", false, false},  // no "$GPGGA"
        {"$GNGGA" + gga.substr(6) + ",*6E", true, true},
        {gll + "*63", false, true},                     // 6 commas
        {gll + ",A*63", false, true},                   // 7
        {gll + ",A,*63", false, false},                 // 8
        {"$GNGLL" + gll.substr(6) + ",A*63", false, false},
        {rmc + "*67", false, false},                    // 10 commas
        {rmc + ",*67", false, true},                    // 11
        {rmc + ",,*67", false, true},                   // 12
        {rmc + ",,,*67", false, false},                 // 13
        {rmc + ",,,*67", true, true},                   // 13: the status field of multi-system receivers
        {rmc + ",,,,*67", true, false},                 // 14
        {"$GNRMC" + rmc.substr(6) + ",*67", false, true},  // RMC has no tag test
        // With any talker the commas of the sentence count, from its "$" to
        // its "*": a phone's prefix and time stamp, binary bytes before it.
        {gga + ",*6E", true, true},
        {"NMEA," + gga + ",*6E,1649760913000", false, false},
        {"NMEA," + gga + ",*6E,1649760913000", true, true},
        {"NMEA,$GNGGA" + gga.substr(6) + ",*6E,1649760913000", true, true},
        {"\xb5\x62\x01\x07,\x5c,\x90" + gga + ",*6E", false, false},
        {"\xb5\x62\x01\x07,\x5c,\x90" + gga + ",*6E", true, true},
        {"\xb5\x62,$GPGGA,1015" + gga + ",*6E", true, true},  // a restarted sentence: the last start
        {"NMEA," + gga + ",,*6E,1649760913000", true, false},   // 15 commas in the sentence
        {"NMEA," + gga + ",,1649760913000", true, false},       // no "*": to the line's end
        {"NMEA," + gll + ",A*63,1649760913000", false, false},
        {"NMEA," + gll + ",A*63,1649760913000", true, true},
        {"NMEA," + rmc + ",,*67,1649760913000", false, false},
        {"NMEA," + rmc + ",,*67,1649760913000", true, true},
        // With any talker a GGA altitude of one or two characters is read.
        {gga.substr(0, 51) + "12,M,48.0,M,,*6E", false, false},
        {gga.substr(0, 51) + "12,M,48.0,M,,*6E", true, true},
        {gga.substr(0, 51) + "-2,M,48.0,M,,*6E", true, true},
        {gga.substr(0, 51) + "0,M,48.0,M,,*6E", false, false},
        {gga.substr(0, 51) + "0,M,48.0,M,,*6E", true, true},
        {gga.substr(0, 51) + "-12,M,48.0,M,,*6E", false, true},
        {gga.substr(0, 51) + ",M,48.0,M,,*6E", true, false},  // empty
    };
    for (const Case& c : cases) {
        const std::size_t at = c.line.find("GA,");
        const std::string kind = at != std::string::npos ? "GGA" : c.line.find("GLL") != std::string::npos ? "GLL" : "RMC";
        const std::string example = kind == "GGA" ? kGga : kind == "GLL" ? test::kExampleGll : test::kExampleRmc;
        LogRun f(CrLf({example, example, c.line}));
        f.s.AcceptAnyTalker = c.anyTalker;
        const RunReport report = f.Run(OutputKind::Table);
        EXPECT_EQ(report.count, c.written ? 3 : 2) << c.line << (c.anyTalker ? " (any talker)" : "");
        EXPECT_EQ(f.Output().find(" 036945.00 ") != std::string::npos, c.written) << c.line;
    }
}

TEST(ConversionRun, RunsWithoutDataSetsWriteNoFile) {
    LogRun f(CrLf({kGga, kGga}));
    WriteFile(f.s.InputFilePath, "");  // emptied after the analysis
    for (const OutputKind kind : {OutputKind::Table, OutputKind::KML, OutputKind::OVL}) {
        for (const bool eliminate : {true, false}) {
            // No file there: none appears.
            f.Prepare(kind, eliminate);
            const RunReport fresh = PerformConversionRun(f.s);
            EXPECT_EQ(fresh.outcome, RunReport::Outcome::NothingWritten);
            EXPECT_EQ(fresh.message, "Could not recognize/process input data. ");
            EXPECT_EQ(test::Listing(f.dir.Path()), "track.nmea");
            // A file there: it stays as it was, and the message says so.
            WriteFile(f.s.OutputFilePath, "a good table\r\n");
            const RunReport kept = PerformConversionRun(f.s);
            EXPECT_EQ(kept.outcome, RunReport::Outcome::NothingWritten);
            EXPECT_EQ(kept.message, "Could not recognize/process input data. The existing file " +
                                        f.s.OutputFilePath + " is kept as it was.");
            EXPECT_EQ(f.Output(), "a good table\r\n");
            std::remove(f.s.OutputFilePath.c_str());
        }
    }
    // One data set is enough for a file.
    WriteFile(f.s.InputFilePath, CrLf({kGga}));
    EXPECT_EQ(f.Run(OutputKind::Table).outcome, RunReport::Outcome::Written);
    EXPECT_EQ(test::Listing(f.dir.Path()), "track.nmea track_GGA.prn");
}

TEST(ConversionRun, OverlayKeepsOrCorrectsItsPointCount) {
    LogRun f(CrLf({kGga, kZero, kEquator}));
    f.s.OvlProperties.colour = 7;
    f.s.OvlProperties.lineWidth = "2";
    f.Run(OutputKind::OVL, false);
    const std::string header = CrLf({"[Symbol 1]", "Typ=3", "Group=2", "Col=7", "Zoom=2", "Size=102", "Art=1"});
    const std::string trailer = CrLf({"[Overlay]", "Symbols=1", "[MapLage]", "MapName=Top. Karte 1:50.000 Nieders.",
                                      "DimmFc=100", "ZoomFc=100", "CenterLat=23.6954667", "CenterLong=4.2676917",
                                      "RefOn=0"});
    EXPECT_EQ(f.Output(), header + "Punkte=4\r\n" +
                              "XKoord0=8.53538333\nYKoord0=47.3909333\r\n"
                              "XKoord1=.00000000\nYKoord1=.0000000\r\n"
                              "XKoord2=8.00000000\nYKoord2=.0000000\r\n" + trailer);

    // With elimination the count is corrected, and every line now ends in CR LF.
    f.Run(OutputKind::OVL, true);
    EXPECT_EQ(f.Output(), header + "Punkte=2\r\n" +
                              "XKoord0=8.53538333\r\nYKoord0=47.3909333\r\n"
                              "XKoord1=8.00000000\r\nYKoord1=.0000000\r\n" +
                              CrLf({"[Overlay]", "Symbols=1", "[MapLage]", "MapName=Top. Karte 1:50.000 Nieders.",
                                    "DimmFc=100", "ZoomFc=100", "CenterLat=23.6954667", "CenterLong=4.2676917",
                                    "RefOn=0"}));
    EXPECT_EQ(test::Listing(f.dir.Path()), "track.nmea track_GGA.ovl");
}

TEST(ConversionRun, FailedCorrectionLeavesTheOverlayAsItWas) {
    LogRun f(CrLf({kGga, kGga}));
    f.Run(OutputKind::OVL, false);
    const std::string before = f.Output();
    // A symbolic link at the overlay's name is not replaced by the correction.
    const std::string real = f.s.OutputFilePath + ".real";
    std::filesystem::rename(f.s.OutputFilePath, real);
    std::filesystem::create_symlink(real, f.s.OutputFilePath);
    f.s.RecordCount = 1;
    std::string error;
    InputFile written;
    ASSERT_TRUE(written.Open(real));
    EXPECT_FALSE(CorrectOverlayPointCount(f.s, written.Descriptor(), error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    EXPECT_EQ(f.Output(), before);
    EXPECT_TRUE(std::filesystem::is_symlink(f.s.OutputFilePath));

    // The correction makes no file beside the overlay: something at the
    // ".new" name does not stop it and is left alone.
    std::filesystem::remove(f.s.OutputFilePath);
    std::filesystem::create_directory(f.s.OutputFilePath + ".new");
    const RunReport report = f.Run(OutputKind::OVL, true);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Written) << report.message;
    EXPECT_TRUE(std::filesystem::is_directory(f.s.OutputFilePath + ".new"));
}

TEST(ConversionRun, FileFailuresAreReportedAndWriteNothing) {
    LogRun f(CrLf({kGga, kGga}));
    // Input gone after the analysis.
    std::filesystem::remove(f.s.InputFilePath);
    RunReport report = f.Run(OutputKind::Table);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
    EXPECT_EQ(report.message.rfind("Cannot read input file " + f.s.InputFilePath, 0), 0u) << report.message;
    EXPECT_FALSE(FileExists(f.s.OutputFilePath));

    // Input is a directory.
    f.s.InputFilePath = f.dir.Path();
    f.s.OutputFilePath = f.dir.File("out.prn");
    EXPECT_EQ(PerformConversionRun(f.s).outcome, RunReport::Outcome::Failed);
    EXPECT_FALSE(FileExists(f.s.OutputFilePath));

    // Output cannot be created: its parent is a regular file.
    WriteFile(f.dir.File("track.nmea"), CrLf({kGga, kGga}));
    WriteFile(f.dir.File("blocker"), "");
    f.s.InputFilePath = f.dir.File("track.nmea");
    f.s.OutputFilePath = f.dir.File("blocker/out.prn");
    report = PerformConversionRun(f.s);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
    EXPECT_EQ(report.message.rfind("Cannot write output file " + f.s.OutputFilePath, 0), 0u) << report.message;

    // No file chosen at all.
    Settings empty;
    EXPECT_EQ(PerformConversionRun(empty).outcome, RunReport::Outcome::Failed);
}

TEST(ConversionRun, UnreadableInputKeepsThePreviousOutput) {
    LogRun f(CrLf({kGga, kGga}));
    f.Run(OutputKind::Table);
    const std::string previous = f.Output();
    WriteFile(f.s.InputFilePath, CrLf({kGga}) + std::string(5u << 20, 'x'));  // a line no log has
    const RunReport report = f.Run(OutputKind::Table);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
    EXPECT_NE(report.message.find("line 2 is longer than"), std::string::npos) << report.message;
    EXPECT_EQ(f.Output(), previous);
    EXPECT_EQ(test::Listing(f.dir.Path()), "track.nmea track_GGA.prn");
}

// The record lines of a KML document: the text between its coordinates tags.
std::string Coordinates(const std::string& kml) {
    const std::size_t start = kml.find("<coordinates>\r\n");
    const std::size_t end = kml.find("        </coordinates>\n");
    if (start == std::string::npos || end == std::string::npos || end < start) return "<no coordinates element>";
    return kml.substr(start + 15, end - start - 15);
}

TEST(ConversionRun, BrokenInputGivesDefinedResults) {
    // Converted as GGA into KML without elimination: every line the reader
    // finds is written, as an empty line where the field checks fail.
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131) & 0xFF);
    std::string nul = kGga;
    nul.insert(20, 1, '\0');  // inside the latitude minutes, which then read "2"
    const struct {
        std::string input;
        std::int64_t count;
        std::string lines;
    } cases[] = {
        // Each of the 16 runs through all byte values holds one CR and one LF,
        // never side by side; the bytes after the last one make a last line.
        {binary, 33, test::Repeat("\r\n", 33)},
        {std::string(1u << 20, 'A') + "\r\n" + kGga + "\r\n", 2, "\r\n  008.53538333,47.3909333,432.5\r\n"},
        {nul + "\r\n" + kGga + "\r\n", 2, "  008.53538333,47.0333333,432.5\r\n  008.53538333,47.3909333,432.5\r\n"},
        {std::string("\xFF\xFE$\0G\0P\0G\0G\0A\0", 14), 1, "\r\n"},  // UTF-16, no line end
    };
    for (const auto& c : cases) {
        LogRun f(c.input);
        f.s.DataType = DataKind::GPGGA;  // converted as GGA whatever the analysis found
        const RunReport report = f.Run(OutputKind::KML, false);
        EXPECT_EQ(report.outcome, RunReport::Outcome::Written) << report.message;
        EXPECT_EQ(report.count, c.count) << report.message;
        EXPECT_EQ(Coordinates(f.Output()), c.lines);
    }
}

TEST(ConversionRun, NextRunUsesTheNextAnalysis) {
    LogRun f(CrLf({kGga, kGga}));
    WriteFile(f.dir.File("drive.log"),
              CrLf({"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67",
                    "$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67"}));
    f.s.InputFilePath = f.dir.File("drive.log");
    AnalyzeInput(f.s);
    const RunReport report = f.Run(OutputKind::Table);
    EXPECT_EQ(f.s.OutputFilePath, f.dir.File("drive_RMC.prn"));
    EXPECT_EQ(report.message.rfind("2 GPRMC data sets written", 0), 0u);
    EXPECT_EQ(f.Output(), CrLf({" 036930.00  47.3909333  008.5353833", " 036930.00  47.3909333  008.5353833"}));
}

// The limit a --max-points run finds is the same whether the track is held
// in memory, given up midway for want of room, or read anew for each
// distance tried: on a wandering log with pauses, split and not.
TEST(ConversionRun, PointLimitIsTheSameHeldOrReadAgain) {
    std::string log;
    double lat = 4730, lon = 830;
    unsigned seed = 7;
    const auto step = [&seed] { return (seed = seed * 1103515245u + 12345u) % 1000 / 1000.0; };
    for (int i = 0, second = 0; i < 400; ++i, second += i % 97 == 0 ? 600 : 1) {
        lat += step() * 0.02 - 0.004;
        lon += step() * 0.02 - 0.01;
        char line[96];
        std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d.00,A,%09.4f,N,%010.4f,E,0.0,0.0,010624,,,A*00\r\n",
                      10 + second / 3600, second / 60 % 60, second % 60, lat, lon);
        log += line;
    }
    LogRun r(log, OutputKind::GPX);
    InputFile input;
    ASSERT_TRUE(input.Open(r.s.InputFilePath));
    std::string error;
    std::optional<LogStart> start;
    ASSERT_TRUE(FindLogStart(r.s, input.Descriptor(), input.Size(), start, error));
    for (const bool split : {false, true}) {
        r.s.Shape.splitGap = split ? std::optional<std::int64_t>(60'000) : std::nullopt;
        for (const std::int64_t most : {2, 3, 9, 10, 40, 399, 400}) {
            r.s.Shape.maxPoints = most;
            PointLimit held, givenUp, read;
            ASSERT_TRUE(FindPointLimit(r.s, input.Descriptor(), start, held, error));
            ASSERT_TRUE(FindPointLimit(r.s, input.Descriptor(), start, givenUp, error, 16 * 100));
            ASSERT_TRUE(FindPointLimit(r.s, input.Descriptor(), start, read, error, 0));
            for (const PointLimit* other : {&givenUp, &read}) {
                EXPECT_EQ(held.fits, other->fits) << split << " " << most;
                EXPECT_EQ(held.metres, other->metres) << split << " " << most;
                EXPECT_EQ(held.fewest, other->fewest) << split << " " << most;
            }
        }
    }
}

}  // namespace
}  // namespace torvane
