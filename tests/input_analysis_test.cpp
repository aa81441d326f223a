#include "convert/recognise/input_analysis.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/about.h"
#include "convert/files/line_reader.h"
#include "convert/recognise/gpx_copy.h"
#include "sample_logs.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kGga = test::kExampleGga + "\r\n";
const std::string kGll = test::kExampleGll + "\r\n";
const std::string kRmc = test::kExampleRmc + "\r\n";

using test::Repeat;

AnalysisCounts Count(const std::string& bytes) {
    AnalysisCounts counts;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        CountLine(std::string_view(bytes).substr(start, end - start), counts);
        start = end + 2;
    }
    return counts;
}

TEST(InputAnalysis, DecisionRules) {
    struct Case {
        int gga, gll, rmc;
        DataKind expected;
    };
    const Case cases[] = {
        {1, 0, 0, DataKind::None},     {2, 0, 0, DataKind::GPGGA},     {10, 0, 100, DataKind::GPGGA},
        {10, 20, 100, DataKind::GPRMC}, {10, 11, 0, DataKind::GPGGA},  {9, 10, 10, DataKind::GPGGA},
        {8, 10, 10, DataKind::GPGLL},   {0, 2, 3, DataKind::GPRMC},    {0, 0, 2, DataKind::GPRMC},
        {0, 1, 0, DataKind::None},     {0, 2, 0, DataKind::GPGLL},     {0, 0, 1, DataKind::None},
    };
    for (const Case& c : cases) {
        AnalysisCounts counts;
        counts.gga = c.gga;
        counts.gll = c.gll;
        counts.rmc = c.rmc;
        EXPECT_EQ(DecideDataType(counts), c.expected) << c.gga << " " << c.gll << " " << c.rmc;
    }
    AnalysisCounts igc;
    igc.igcHeader = 2;
    EXPECT_EQ(DecideDataType(igc), DataKind::None);
    igc.igcHeader = 3;
    EXPECT_EQ(DecideDataType(igc), DataKind::GPIGC);
    AnalysisCounts gpx;
    gpx.trackPoint = 1;
    EXPECT_EQ(DecideDataType(gpx), DataKind::None);  // one track point is not enough
    gpx.trackPoint = 2;
    EXPECT_EQ(DecideDataType(gpx), DataKind::GPGXT);
    gpx.rmc = 2;
    EXPECT_EQ(DecideDataType(gpx), DataKind::GPRMC);  // NMEA kinds are tested first
}

TEST(InputAnalysis, CountsLinesByTheirMarks) {
    const AnalysisCounts c = Count(kGga + kGll + kRmc +
                                   "$GPGGA,no star\r\n"
                                   "junk $GPRMC and $GPGGA* on one line\r\n"
                                   "$GNGGA,101530.00,4723.4560,N*00\r\n"
                                   "HFDTE150807\r\n"
                                   "HFPLTPILOT:  Hans Muster\r\n"
                                   "HFGIDGLIDERID:D-1234 HFPRS\r\n"
                                   "B1012345307123N00852345EA0012300150\r\n"
                                   "B1012345307123N00852345EV0012300150\r\n"
                                   " B1012345307123N00852345EA0012300150\r\n"
                                   "<trkpt lat=\"53.1\" lon=\"8.8\">\r\n"
                                   "<trkpt>\r\n"
                                   // marks cut off at the line's end
                                   "lat= lon= * $GPXYZ $GPGG\r\n"
                                   "B1012345307123N00852345EA H\r\n"
                                   "lat= lon= <trkp\r\n"
                                   // the same marks a byte before the end, in a line of 16 and more bytes
                                   "lat= lon= * $GPGGA\r\n"
                                   "HFGID lat= lon= <trkpt\r\n");
    EXPECT_EQ(c.gga, 3);
    EXPECT_EQ(c.gll, 1);
    EXPECT_EQ(c.rmc, 2);
    EXPECT_EQ(c.igcHeader, 5);
    EXPECT_EQ(c.validFix, 2);
    EXPECT_EQ(c.trackPoint, 2);
    EXPECT_EQ(c.igcFlightDate, "150807");
    EXPECT_EQ(c.igcPilot, "  Hans Muster");
}

TEST(InputAnalysis, TalkerAndChecksumRules) {
    struct Case {
        const char* line;
        SentenceRules rules;
        std::int64_t gga, rmc;
    };
    const Case cases[] = {
        {"$GNGGA,1,2*4B", {}, 0, 0},                      // default: "$GP" only
        {"$GNGGA,1,2*4B", {true, false}, 1, 0},           // any talker
        {"$GLRMC,1,2*54", {true, false}, 0, 1},
        {"$G1GGA,1,2*00", {true, false}, 0, 0},           // digit is no talker letter
        {"$1PGGA,1,2*00", {true, false}, 0, 0},           // in either place
        {"$gnGGA,1,2*00", {true, false}, 0, 0},           // lower case is no talker
        {"$GNGGA,1,2", {true, false}, 1, 0},              // no star: taken with any talker alone
        {"$GPGGA,1,2", {}, 0, 0},
        {"$GPGGA,1,2", {true, true}, 0, 0},               // but not with checksums verified
        {"$GPGGA,1,2*55", {false, true}, 1, 0},           // right checksum
        {"$GPGGA,1,2*56", {false, true}, 0, 0},           // wrong checksum
        {"$GPGGA,1,2*", {false, true}, 0, 0},             // missing digits
        {"$GPGGA,1,2*5", {false, true}, 0, 0},            // one digit only
        {"$GLRMC,1,2*54", {true, true}, 0, 1},
        {"$GNGGA,1,2*4b", {true, true}, 1, 0},            // lower-case hex
        {"$GPGGA,brok$GNGGA,1,2*4B", {true, true}, 1, 0},  // the last "$" before "*" is summed
    };
    for (const Case& c : cases) {
        AnalysisCounts counts;
        CountLine(c.line, counts, c.rules);
        EXPECT_EQ(counts.gga, c.gga) << c.line;
        EXPECT_EQ(counts.rmc, c.rmc) << c.line;
    }
}

TEST(InputAnalysis, ReceiverOptionsOnEachSideOfTheirRules) {
    // A phone's UTF-16 text, and IGC files of flight apps and small
    // recorders with fewer than three header hits.
    const std::string gga = Repeat(kGga, 3);
    const std::string fixes = "B1015304723456N00832123EA0043200450\r\nB1015354723460N00832130EA0043500452\r\n";
    const std::string oneFix = "B1015304723456N00832123EA0043200450\r\nB1015354723460N00832130EV0043500452\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        bool anyTalker, anyRecorder;
        DataKind type;
        std::int64_t count;
        bool fewIgcHeaders;
    };
    const Case cases[] = {
        {"UTF-16 LE", test::Utf16(gga, false), false, false, DataKind::None, 0, false},
        {"UTF-16 LE", test::Utf16(gga, false), true, false, DataKind::GPGGA, 3, false},
        {"UTF-16 BE", test::Utf16(gga, true), false, false, DataKind::None, 0, false},
        {"UTF-16 BE", test::Utf16(gga, true), true, false, DataKind::GPGGA, 3, false},
        {"UTF-16 LE without mark", test::Utf16(gga, false, false), true, false, DataKind::None, 0, false},
        {"UTF-16 BE without mark", test::Utf16(gga, true, false), true, false, DataKind::None, 0, false},
        {"no header line, A record", "AXCT7B0\r\n" + fixes, false, false, DataKind::None, 0, true},
        {"no header line, A record", "AXCT7B0\r\n" + fixes, false, true, DataKind::GPIGC, 2, false},
        {"no header line, no A record", fixes, false, true, DataKind::None, 0, false},
        {"A record after the first line", "HFPLTPILOT:Ada\r\nAXCT7B0\r\n" + fixes, false, true, DataKind::None, 0,
         false},
        {"one header line, the date", "HFDTEDATE:150807,01\r\n" + fixes, false, false, DataKind::None, 0, true},
        {"one header line, the date", "HFDTEDATE:150807,01\r\n" + fixes, false, true, DataKind::GPIGC, 2, false},
        {"one header line, the pilot", "HFPLTPILOT:Ada\r\n" + fixes, false, true, DataKind::None, 0, false},
        {"two header lines", "HFPLTPILOT:Ada\r\nHFDTE150807\r\n" + fixes, false, false, DataKind::None, 0, true},
        {"two header lines", "HFPLTPILOT:Ada\r\nHFDTE150807\r\n" + fixes, false, true, DataKind::GPIGC, 2, false},
        {"two header lines, one valid fix", "AXSKY\r\nHFPLTPILOT:Ada\r\nHFDTE150807\r\n" + oneFix, false, false,
         DataKind::None, 0, false},
        {"two header lines, one valid fix", "AXSKY\r\nHFPLTPILOT:Ada\r\nHFDTE150807\r\n" + oneFix, false, true,
         DataKind::None, 0, false},
        {"three header lines", "HFPLTPILOT:Ada\r\nHFDTE150807\r\nHFGIDGLIDERID:D-1\r\n" + oneFix, false, false,
         DataKind::GPIGC, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + (c.anyTalker ? ", any talker" : "") + (c.anyRecorder ? ", any recorder" : ""));
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("log.txt");
        s.AcceptAnyTalker = c.anyTalker;
        s.AcceptAnyRecorder = c.anyRecorder;
        WriteFile(s.InputFilePath, c.bytes);
        const AnalysisReport report = AnalyzeInput(s);
        EXPECT_FALSE(report.failed);
        EXPECT_EQ(s.DataType, c.type);
        EXPECT_EQ(s.DetectedRecordCount, c.count);
        EXPECT_EQ(report.fewIgcHeaders, c.fewIgcHeaders);
        EXPECT_FALSE(report.otherTalkersOnly);
    }
    // The flight date of a flight app's date line, for the KML description.
    for (const bool anyRecorder : {false, true}) {
        AnalysisCounts counts;
        CountLine("HFDTEDATE: 150807,01", counts, SentenceRules{false, false, anyRecorder});
        EXPECT_EQ(counts.igcFlightDate, anyRecorder ? "150807" : "DATE: ");
        CountLine("HFDTE160807", counts, SentenceRules{false, false, anyRecorder});
        EXPECT_EQ(counts.igcFlightDate, "160807");
    }
}

TEST(InputAnalysis, MessagesOfEachResult) {
    // GGA has a wording of its own; the other kinds ask to choose the output
    // type; a file not recognised is named after two blanks.
    TempDir dir;
    const struct {
        std::string name;
        std::string content;
        std::string message;
    } cases[] = {
        {"walk.nmea", Repeat(kGga, 2), "NMEA GPGGA data found. \r\nSelect options then press START. "},
        {"drive.nmea", Repeat(kRmc, 2), "NMEA GPRMC data found. \r\nChose output file type and options then press START. "},
        {"flight.igc", "HFDTE150807\r\nHFPLTPILOT: Jane\r\nHFGIDGLIDERID: D-1234\r\n",
         "IGC data found. \r\nChose output file type and options then press START. "},
        {"notes.txt", kGga + "plain text\r\n", "Could not recognize data in selected file  " + dir.File("notes.txt") + "."},
    };
    for (const auto& c : cases) {
        Settings s;
        s.InputFilePath = dir.File(c.name);
        WriteFile(s.InputFilePath, c.content);
        EXPECT_EQ(AnalyzeInput(s).message, c.message) << c.name;
    }
}

TEST(InputAnalysis, KmlDefaultsAreSetAfreshByDataType) {
    Settings s;
    const std::string generator = "Generator: Torvane, " + std::string(kHomePage);
    s.DataType = DataKind::GPGLL;
    s.KmlProperties[kKmlName] = "old name";
    SetKmlDefaults(s);
    EXPECT_EQ(s.KmlProperties, (std::array<std::string, 6>{"", "GPS data path" + generator, "ff00ffff", " 1", " 1",
                                                            "relativeToGround"}));
    SetKmlDefaults(s);  // never grows
    EXPECT_EQ(s.KmlProperties[kKmlDescription], "GPS data path" + generator);

    s.DataType = DataKind::GPIGC;
    s.IgcFlightDate = "150807";
    s.IgcPilot = " Hans";
    SetKmlDefaults(s);
    EXPECT_EQ(s.KmlProperties[kKmlDescription],
              "Flight recorder (IGC) path,  Flight date: 150807,  Pilot:  Hans, " + generator);
    s.DataType = DataKind::GPGXT;
    SetKmlDefaults(s);
    EXPECT_EQ(s.KmlProperties[kKmlDescription], "GPX track path" + generator);
    s.DataType = DataKind::None;
    SetKmlDefaults(s);
    EXPECT_EQ(s.KmlProperties[kKmlDescription], generator);
}

TEST(InputAnalysis, AnalysesAFileAndKeepsTheTypeWhenNothingIsRecognised) {
    TempDir dir;
    const std::string log = dir.File("track.nmea");
    WriteFile(log, Repeat(kGga, 3) + Repeat(kRmc, 5));
    Settings s;
    s.InputFilePath = log;
    AnalysisReport report = AnalyzeInput(s);
    EXPECT_FALSE(report.failed);
    EXPECT_TRUE(report.recognised);
    EXPECT_EQ(s.DataType, DataKind::GPGGA);
    EXPECT_EQ(s.DetectedRecordCount, 3);

    // An RMC-rich file without enough GGA: the counter of the earlier type is used.
    const std::string other = dir.File("other.txt");
    WriteFile(other, kGga + "HFDTE010203\r\n" + Repeat("plain text\r\n", 3));
    s.InputFilePath = other;
    report = AnalyzeInput(s);
    EXPECT_FALSE(report.recognised);
    EXPECT_EQ(report.message, "Could not recognize data in selected file  " + other + ".");
    EXPECT_EQ(s.DataType, DataKind::GPGGA);
    EXPECT_EQ(s.DetectedRecordCount, 1);
    EXPECT_EQ(s.IgcFlightDate, "010203");
    EXPECT_EQ(s.KmlProperties[kKmlDescription].rfind("GPS data path", 0), 0u);
}

TEST(InputAnalysis, LfOnlyLogIsRecognisedLikeItsCrLfTwin) {
    TempDir dir;
    std::string lf = Repeat(kGga, 4);
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    const std::string log = dir.File("lf.log");
    WriteFile(log, lf);
    Settings s;
    s.InputFilePath = log;
    EXPECT_TRUE(AnalyzeInput(s).recognised);
    EXPECT_EQ(s.DetectedRecordCount, 4);
}

TEST(InputAnalysis, FailuresChangeNothing) {
    TempDir dir;
    Settings s;
    s.DataType = DataKind::GPRMC;
    for (const std::string& path : {dir.File("missing.nmea"), dir.Path()}) {
        s.InputFilePath = path;
        const AnalysisReport report = AnalyzeInput(s);
        EXPECT_TRUE(report.failed) << path;
        EXPECT_NE(report.message.find(path), std::string::npos) << report.message;
        EXPECT_EQ(s.DataType, DataKind::GPRMC);
    }
    // An unreadable GPX copy location: the copy's parent is a regular file.
    WriteFile(dir.File("blocker"), "");
    s.InputFilePath = dir.File("blocker/track.gpx");
    EXPECT_TRUE(AnalyzeInput(s).failed);
}

TEST(GpxCopy, NamesAndLineEnds) {
    EXPECT_EQ(GpxCopyPath("/logs/track.gpx"), "/logs/track_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("/logs/track.GPX"), "/logs/track_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("/logs/track_CRLF.gpx"), "/logs/track_CRLF_CRLF.gpx");
    // Only the file's own name is cut, never the folder part.
    EXPECT_EQ(GpxCopyPath("/logs/a.gpx"), "/logs/a_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("/logs/.gpx"), "/logs/_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("/logs/gpx"), "/logs/_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("/gpx"), "/_CRLF.gpx");
    EXPECT_EQ(GpxCopyPath("gpx"), "_CRLF.gpx");
    EXPECT_TRUE(IsGpxPath("a.Gpx"));
    EXPECT_FALSE(IsGpxPath("a.txt"));

    struct Case {
        std::string input;
        std::string copy;
    };
    // The copy reads blocks of kReadBlockSize bytes; a line end or a tag
    // boundary may fall between two of them.
    const std::string x(kReadBlockSize - 3, 'x');
    const Case cases[] = {
        // One element per line: the same lines, indentation kept, CR LF after each.
        {"<gpx>\n  <trkpt lat=\"1\" lon=\"2\">\n    <ele>5</ele>\n  </trkpt>\n</gpx>",
         "<gpx>\r\n  <trkpt lat=\"1\" lon=\"2\">\r\n    <ele>5</ele>\r\n  </trkpt>\r\n</gpx>\r\n"},
        {"a\r\nb\rc\n", "a\r\nb\r\nc\r\n"},
        // A last line ended by a lone CR gets one CR LF, as any other line.
        {"</gpx>\r", "</gpx>\r\n"},
        {"a\r\r", "a\r\n\r\n"},
        // Tags on one line are split; the blanks between them are dropped.
        {"<trkpt lat=\"1\" lon=\"2\"> \t<ele>5</ele><time>T10:00:00Z</time></trkpt>",
         "<trkpt lat=\"1\" lon=\"2\">\r\n<ele>5</ele>\r\n<time>T10:00:00Z</time>\r\n</trkpt>\r\n"},
        // Text between tags, and blanks before a line end, stay.
        {"<name> a </name> x <b> \r\n", "<name> a </name> x <b> \r\n"},
        {"", ""},
        {x + "ab\r\ny", x + "ab\r\ny\r\n"},                // CR ends the first block, LF starts the next
        {"<a" + x + "> \t<b>", "<a" + x + ">\r\n<b>\r\n"},   // ">" ends the first block
        {"<a" + x + "  <b>", "<a" + x + "  <b>\r\n"},         // no ">" before the blanks
        {"<a" + x.substr(1) + ">  <b>", "<a" + x.substr(1) + ">\r\n<b>\r\n"},  // the blanks straddle
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string input = dir.File("in.gpx");
        WriteFile(input, c.input);
        std::string error;
        ASSERT_EQ(WriteGpxCopy(input, GpxCopyPath(input), error), GpxCopyOutcome::Written) << error;
        const std::string copy = ReadFile(GpxCopyPath(input));
        EXPECT_TRUE(copy == c.copy) << c.input.substr(0, 80) << " (" << c.input.size() << " bytes) gave "
                                    << copy.substr(0, 80) << " (" << copy.size() << " bytes)";
    }
}

TEST(GpxCopy, AnalysisConvertsTheCopy) {
    TempDir dir;
    const std::string gpx = dir.File("walk.gpx");
    WriteFile(gpx,
              "<gpx><trk><trkseg><trkpt lat=\"53.1\" lon=\"8.8\"><ele>1</ele></trkpt>"
              "<trkpt lat=\"53.2\" lon=\"8.9\"></trkpt></trkseg></trk></gpx>");
    Settings s;
    s.InputFilePath = gpx;
    const AnalysisReport report = AnalyzeInput(s);
    EXPECT_TRUE(report.recognised);
    EXPECT_EQ(s.DataType, DataKind::GPGXT);
    EXPECT_EQ(s.InputFilePath, dir.File("walk_CRLF.gpx"));
    EXPECT_EQ(report.gpxCopyPath, s.InputFilePath);
    EXPECT_EQ(s.DetectedRecordCount, 2);
}

}  // namespace
}  // namespace torvane
