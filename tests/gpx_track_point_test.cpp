#include "convert/read/gpx_track_point.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "convert/write/path_line.h"
#include "log_run.h"
#include "test_files.h"

namespace torvane {
namespace {

// The reader's options and state, the record it fills, and the line a
// table's, KML path's or overlay's writer gives that record.
struct GpxLines : Settings {
    Record r;
    std::string OutputLine;
};

// Feeds the lines of `text` (separated by "\n") to the reader. Lines that
// complete no track point must leave an empty, invalid record line; the
// lines of completed points (and every line with "/trkpt") are returned,
// with "!" in front when invalid.
std::vector<std::string> Feed(GpxLines& s, std::string_view text) {
    std::vector<std::string> produced;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        s.r.Begin();
        ReadGpxLine(s, s.GpxPointState, s.r, line);
        ComposePathLine(s.OutputLine, s.OutputType, s.r, s.RecordCount, s.UseDecimalComma);
        if (line.find("/trkpt") == std::string_view::npos && s.OutputLine.empty()) {
            EXPECT_TRUE(s.r.invalid) << line;
            EXPECT_EQ(s.OutputLine, "") << line;
            continue;
        }
        produced.push_back((s.r.invalid ? "!" : "") + s.OutputLine);
    }
    return produced;
}
using Lines = std::vector<std::string>;

constexpr std::string_view kPoint =
    "      <trkpt lat=\"53.1\" lon=\"8.8\">\n"
    "        <ele>12.5</ele>\n"
    "        <time>2009-10-23T08:15:30Z</time>\n"
    "      </trkpt>";

TEST(GpxTrackPoint, WorkedExampleInEveryOutputType) {
    GpxLines s;
    s.OutputType = OutputKind::Table;
    EXPECT_EQ(Feed(s, kPoint), Lines{" 029730.00  53.1000000  008.8000000  0012.50"});
    EXPECT_EQ(s.r.position.latitude, 53.1);
    EXPECT_EQ(s.r.position.longitude, 8.8);
    EXPECT_EQ(s.r.position.altitude, 12.5f);
    EXPECT_EQ(s.GpxPointState.TimeSeconds, 29730);
    EXPECT_FALSE(s.GpxPointState.InTrackPoint);

    s.OutputType = OutputKind::KML;
    EXPECT_EQ(Feed(s, kPoint), Lines{"  008.80000000,53.1000000,012.5"});

    s.OutputType = OutputKind::OVL;
    s.RecordCount = 3;
    EXPECT_EQ(Feed(s, kPoint), Lines{"XKoord3=8.80000000\nYKoord3=53.1000000"});
}

TEST(GpxTrackPoint, OnePointInManyWritings) {
    struct Case {
        std::string_view point;
        std::string_view line;  // "!" in front: marked invalid
    };
    const Case cases[] = {
        // Attribute order decides by the positions of "lat" and "lon".
        {"<trkpt lon=\"8.8\" lat=\"53.1\">\n<ele>12.5</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         " 029730.00  53.1000000  008.8000000  0012.50"},
        // Single quotes, also mixed with double quotes.
        {"<trkpt lat='53.1' lon='8.8'>\n<ele>12.5</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         " 029730.00  53.1000000  008.8000000  0012.50"},
        {"<trkpt lon='8.8' lat=\"53.1\">\n<ele>12.5</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         " 029730.00  53.1000000  008.8000000  0012.50"},
        // One line: the elevation is the empty text after the start tag.
        {"<trkpt lat=\"53.1\" lon=\"8.8\"><ele>12.5</ele><time>2009-10-23T08:15:30Z</time></trkpt>",
         " 029730.00  53.1000000  008.8000000  0000.00"},
        // Fractions of a second and the zone are not read.
        {"<trkpt lat=\"-14.9\" lon=\"-75\">\n<ele>-3.25</ele>\n<time>2009-10-23T23:59:59.750+01:00</time>\n</trkpt>",
         " 086399.00 -14.9000000 -075.0000000 -0003.25"},
        // No "<" after the first ">": elevation 0.
        {"<trkpt lat=\"53.1\" lon=\"8.8\">\n<ele>12.5\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         " 029730.00  53.1000000  008.8000000  0000.00"},
        // Numbers end at the first character that cannot continue them.
        {"<trkpt lat=\" 53.1x\" lon=\"abc\">\n<ele> 7m</ele>\n<time>2009-10-23T8:5:3Z</time>\n</trkpt>",
         " 028800.00  53.1000000  000.0000000  0007.00"},
        // Out of range: built, but marked invalid.
        {"<trkpt lat=\"95\" lon=\"8.8\">\n<ele>1</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         "! 029730.00  95.0000000  008.8000000  0001.00"},
        {"<trkpt lat=\"-53.1\" lon=\"-180.5\">\n<ele>1</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         "! 029730.00 -53.1000000 -180.5000000  0001.00"},
        {"<trkpt lat=\"-90\" lon=\"180\">\n<ele>1</ele>\n<time>2009-10-23T08:15:30Z</time>\n</trkpt>",
         " 029730.00 -90.0000000  180.0000000  0001.00"},
    };
    for (const Case& c : cases) {
        GpxLines s;
        s.OutputType = OutputKind::Table;
        EXPECT_EQ(Feed(s, c.point), Lines{std::string(c.line)}) << c.point;
    }
}

TEST(GpxTrackPoint, FewerThanFourQuotesLeaveThePointUnwritten) {
    for (const std::string_view start : {"<trkpt lat=\"53.2\">", "<trkpt lat=\"53.2\" lon=8.9>",
                                         "<trkpt lat=53.2 lon=8.9>", "<trkpt lat=\"53.2\" lon='8.9>"}) {
        GpxLines s;
        s.OutputType = OutputKind::OVL;
        EXPECT_EQ(Feed(s, kPoint), Lines{"XKoord0=8.80000000\nYKoord0=53.1000000"});
        const std::string bad = std::string(start) + "\n<ele>20</ele>\n</trkpt>";
        EXPECT_EQ(Feed(s, bad), Lines{"!"}) << start;
        // The previous record and the overlay bounds are left as they were.
        EXPECT_EQ(s.r.position.latitude, 53.1);
        // The next point is read normally, also after a point left open.
        EXPECT_EQ(Feed(s, "<trkpt lat=\"53.3\" lon=\"8.7\">\n</trkpt>"),
                  Lines{"XKoord0=8.70000000\nYKoord0=53.3000000"});
        EXPECT_EQ(Feed(s, std::string(start) + "\n<trkpt lat=\"53.4\" lon=\"8.6\">\n</trkpt>"),
                  Lines{"XKoord0=8.60000000\nYKoord0=53.4000000"});
    }
}

TEST(GpxTrackPoint, ValuesCarryOverAndLinesOutsidePointsAreIgnored) {
    GpxLines s;
    s.OutputType = OutputKind::Table;
    EXPECT_EQ(Feed(s, "<ele>99</ele>\n<time>2000-01-01T01:01:01Z</time>\n<wpt lat=\"1\" lon=\"2\">\n</wpt>"),
              Lines{});
    EXPECT_EQ(Feed(s, kPoint), Lines{" 029730.00  53.1000000  008.8000000  0012.50"});
    EXPECT_EQ(Feed(s,
                   "<wpt lat=\"1\" lon=\"2\">\n<ele>99</ele>\n<time>2000-01-01T01:01:01Z</time>\n</wpt>\n"
                   "<trkpt lat=\"53.2\" lon=\"8.9\">\n</trkpt>\n"
                   "<trkpt lat=\"53.3\" lon=\"8.7\">\n<ele>13</ele>\n</trkpt>\n"
                   "<trkpt lat=\"53.4\" lon=\"8.6\">\n<time>2009-10-23T08:15:40Z</time>\n</trkpt>\n"
                   "<trkpt>\n</trkpt>\n"
                   "<trkpt lat=\"53.5\" lon=\"8.5\"/>\n"
                   "<trkpt lat=\"53.6\" lon=\"8.4\"><extensions><hr/></extensions>\n<ele>14</ele>\n</trkpt>"),
              (Lines{" 029730.00  53.2000000  008.9000000  0012.50", " 029730.00  53.3000000  008.7000000  0013.00",
                     " 029740.00  53.4000000  008.6000000  0013.00", " 029740.00  53.4000000  008.6000000  0013.00",
                     " 029740.00  53.5000000  008.5000000  0013.00", " 029740.00  53.6000000  008.4000000  0014.00"}));
}

// Comments and CDATA sections hold no points, on one line or across lines;
// a coordinate, elevation or time may be written with numeric character
// references, and a coordinate with any other reference is no position.
TEST(GpxTrackPoint, CommentsCDataAndReferences) {
    const struct {
        const char* text;
        Lines lines;
    } rows[] = {
        // (A line with "/trkpt" that completes no point shows as "!".)
        {"<!-- <trkpt lat=\"1\" lon=\"2\"></trkpt> -->", {"!"}},
        {"<!-- <trkpt lat=\"1\" lon=\"2\">\n</trkpt> -->\n<trkpt lat=\"53.2\" lon=\"8.9\">\n</trkpt>",
         {"!", " 029730.00  53.2000000  008.9000000  0012.50"}},
        {"<![CDATA[ <trkpt lat=\"1\" lon=\"2\">\n</trkpt> ]]><trkpt lat=\"53.2\" lon=\"8.9\">\n</trkpt>",
         {"!", " 029730.00  53.2000000  008.9000000  0012.50"}},
        {"<trkpt lat=\"53.2\" lon=\"8.9\"><!-- <ele>99</ele> -->\n</trkpt>",
         {" 029730.00  53.2000000  008.9000000  0012.50"}},
        {"<!-- a note --><trkpt lat=\"53.2\" lon=\"8.9\"><![CDATA[x]]>\n<ele>7</ele>\n</trkpt>",
         {" 029730.00  53.2000000  008.9000000  0007.00"}},
        {"<trkpt lat=\"5&#51;.2\" lon=\"&#x38;.9\">\n<ele>1&#50;</ele>\n<time>2009-10-23&#84;08:15:31Z</time>\n</trkpt>",
         {" 029731.00  53.2000000  008.9000000  0012.00"}},
        {"<trkpt lat=\"&la;\" lon=\"8.9\">\n</trkpt>", {"!"}},
        {"<trkpt lat=\"53.2\" lon=\"8&amp;9\">\n</trkpt>", {"!"}},
        {"<trkpt lat=\"5&#51.2\" lon=\"8.9\">\n</trkpt>", {"!"}},      // no ";"
        {"<trkpt lat=\"5&#x110000;\" lon=\"8.9\">\n</trkpt>", {"!"}},  // no character
    };
    for (const auto& row : rows) {
        GpxLines s;
        s.OutputType = OutputKind::Table;
        Feed(s, kPoint);
        EXPECT_EQ(Feed(s, row.text), row.lines) << row.text;
        EXPECT_EQ(s.GpxPointState.Inside, XmlMarkup::Content) << row.text;
    }
}

// What a point gives itself, for the dated outputs: an elevation and a time
// are its own only where it has them, never carried from the points before.
TEST(GpxTrackPoint, OwnElevationAndTime) {
    GpxLines s;
    s.OutputType = OutputKind::Table;
    Feed(s, kPoint);
    EXPECT_TRUE(s.r.position.altitudeGiven);
    EXPECT_TRUE(s.GpxPointState.UtcTime.has_value());
    EXPECT_EQ(Feed(s, "<trkpt lat=\"53.2\" lon=\"8.9\">\n</trkpt>"),
              Lines{" 029730.00  53.2000000  008.9000000  0012.50"});
    EXPECT_FALSE(s.r.position.altitudeGiven);
    EXPECT_FALSE(s.GpxPointState.UtcTime.has_value());
    s.AltitudeMode = AltitudeMode::SetFixed;  // a fixed altitude is given to every point
    Feed(s, "<trkpt lat=\"53.2\" lon=\"8.9\"/>");
    EXPECT_TRUE(s.r.position.altitudeGiven);
}

// One extension element inside a point: what it gives (its bit and the
// value as written back), on both sides of each range's ends.
TEST(GpxTrackPoint, ExtensionMeasurements) {
    struct Row {
        const char* element;
        std::uint8_t bit;   // 0: no value
        const char* value;  // as the outputs write it
    };
    const Row rows[] = {
        {"<gpxtpx:hr>150</gpxtpx:hr>", Measurements::kHeartRate, "150"},
        {"<ns3:hr> 0 </ns3:hr>", Measurements::kHeartRate, "0"},
        {"<hr>255</hr>", Measurements::kHeartRate, "255"},
        {"<hr>256</hr>", 0, ""},
        {"<hr>-1</hr>", 0, ""},
        {"<hr>n/a</hr>", 0, ""},
        {"<hr>1e2</hr>", 0, ""},
        {"<hr>&#49;50</hr>", 0, ""},
        {"<hr>.</hr>", 0, ""},
        {"<hr/>", 0, ""},
        {"<hr>", 0, ""},
        {"<gpxdata:hr>99.6</gpxdata:hr>", Measurements::kHeartRate, "100"},
        {"<gpxtpx:cad>80</gpxtpx:cad>", Measurements::kCadence, "80"},
        {"<gpxdata:cadence>255</gpxdata:cadence>", Measurements::kCadence, "255"},
        {"<gpxdata:cadence>256</gpxdata:cadence>", 0, ""},
        {"<power>65535</power>", Measurements::kPower, "65535"},
        {"<power>65536</power>", 0, ""},
        {"<pwr:PowerInWatts>0</pwr:PowerInWatts>", Measurements::kPower, "0"},
        {"<gpxtpx:atemp>-3276.7</gpxtpx:atemp>", Measurements::kTemperature, "-3276.7"},
        {"<gpxtpx:atemp>-3276.8</gpxtpx:atemp>", 0, ""},
        {"<gpxdata:temp>21.25</gpxdata:temp>", Measurements::kTemperature, "21.3"},
        {"<gpxdata:temp>-0.5</gpxdata:temp>", Measurements::kTemperature, "-0.5"},
        {"<gpxtpx:speed>3.25</gpxtpx:speed>", Measurements::kSpeed, "3.25"},
        {"<gpxtpx:speed>-0.1</gpxtpx:speed>", 0, ""},
        {"<gpxtpx:course>90</gpxtpx:course>", 0, ""},
        {"<gpxtpx:heart>90</gpxtpx:heart>", 0, ""},
    };
    for (const Row& row : rows) {
        GpxLines s;
        s.OutputType = OutputKind::GPX;
        Feed(s, std::string("<trkpt lat=\"53.2\" lon=\"8.9\">\n<extensions>\n") + row.element +
                    "\n</extensions>\n</trkpt>");
        const Measurements& m = s.r.position.measurements;
        EXPECT_EQ(m.has, row.bit) << row.element;
        char text[kMaxMeasureText];
        EXPECT_EQ(std::string(text, WriteMeasure(text, m, row.bit)), row.value) << row.element;
    }
}

// A point's measurements are its own: the next point without them has none.
TEST(GpxTrackPoint, MeasurementsAreNotCarriedOver) {
    GpxLines s;
    s.OutputType = OutputKind::GPX;
    Feed(s, "<trkpt lat=\"53.2\" lon=\"8.9\">\n<hr>120</hr>\n<cad>80</cad>\n</trkpt>");
    EXPECT_EQ(s.r.position.measurements.has, Measurements::kHeartRate | Measurements::kCadence);
    Feed(s, "<trkpt lat=\"53.2\" lon=\"8.9\">\n<ele>3</ele>\n</trkpt>");
    EXPECT_EQ(s.r.position.measurements.has, 0);
}

TEST(GpxTrackPoint, AltitudeManipulationByTheGpxRule) {
    struct Case {
        int mode;
        float value;
        float first, carried;  // altitude of a point, and of the next point without elevation
    };
    for (const Case c : {Case{2, 0, 0, 0}, Case{1, 0, 12.5f, 12.5f}, Case{1, 100, 112.5f, 112.5f},
                         Case{2, 250, 250, 250}, Case{0, 100, 12.5f, 12.5f}, Case{1, -20.25f, -7.75f, -7.75f}}) {
        GpxLines s;
        s.OutputType = OutputKind::KML;
        s.AltitudeMode = static_cast<AltitudeMode>(c.mode);
        s.AltitudeValue = c.value;
        Feed(s, kPoint);
        EXPECT_EQ(s.r.position.altitude, c.first) << "mode " << c.mode << " value " << c.value;
        Feed(s, "<trkpt lat=\"53.2\" lon=\"8.9\">\n</trkpt>");
        EXPECT_EQ(s.r.position.altitude, c.carried) << "mode " << c.mode << " value " << c.value;
    }
}

// Whole files, from the analysis (with its copy) to the written output.
class GpxFile : public ::testing::Test, protected test::LogRun {
protected:
    std::string Convert(std::string_view name, std::string_view text, OutputKind kind, bool eliminate) {
        return LogRun::Convert(name, text, DataKind::GPGXT, kind, eliminate);
    }
};

// Pretty-printed, LF line ends: a waypoint before the track, a point without
// elevation and time, one out of range, one at 0/0, one in single quotes and
// one with a quote missing.
constexpr std::string_view kHike =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "  <metadata><time>2020-01-01T00:00:00Z</time></metadata>\n"
    "  <wpt lat=\"47.0\" lon=\"9.0\">\n"
    "    <ele>999</ele>\n"
    "    <time>2020-01-01T23:59:59Z</time>\n"
    "  </wpt>\n"
    "  <trk>\n"
    "    <name>Test</name>\n"
    "    <trkseg>\n"
    "      <trkpt lat=\"53.1\" lon=\"8.8\">\n"
    "        <ele>12.5</ele>\n"
    "        <time>2009-10-23T08:15:30Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lon=\"8.81\" lat=\"53.11\">\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"95\" lon=\"8.82\">\n"
    "        <ele>14</ele>\n"
    "        <time>2009-10-23T08:15:32Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"0\" lon=\"0\">\n"
    "        <ele>-3.25</ele>\n"
    "        <time>2009-10-23T08:15:33.5Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lat='53.12' lon='8.83'>\n"
    "        <ele>15</ele>\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"53.13\" lon=8.84>\n"
    "        <ele>16</ele>\n"
    "      </trkpt>\n"
    "    </trkseg>\n"
    "  </trk>\n"
    "</gpx>\n";

TEST_F(GpxFile, TableWithoutEliminationWritesOnlyCompletedValidPoints) {
    const std::string out = Convert("hike.gpx", kHike, OutputKind::Table, false);
    EXPECT_EQ(s.InputFilePath, dir.File("hike_CRLF.gpx"));
    EXPECT_EQ(s.OutputFilePath, dir.File("hike_CRLF_GXT.prn"));
    EXPECT_EQ(s.DetectedRecordCount, 6);
    EXPECT_EQ(out,
              " 029730.00  53.1000000  008.8000000  0012.50\r\n"
              " 029730.00  53.1100000  008.8100000  0012.50\r\n"
              " 029733.00  00.0000000  000.0000000 -0003.25\r\n"
              " 029733.00  53.1200000  008.8300000  0015.00\r\n");
    EXPECT_EQ(report.count, 4);
}

TEST_F(GpxFile, TableWithEliminationDropsTheZeroPosition) {
    const std::string out = Convert("hike.gpx", kHike, OutputKind::Table, true);
    EXPECT_EQ(out,
              " 029730.00  53.1000000  008.8000000  0012.50\r\n"
              " 029730.00  53.1100000  008.8100000  0012.50\r\n"
              " 029733.00  53.1200000  008.8300000  0015.00\r\n");
}

// The whole document on one line without a line end: the copy puts every
// tag on a line of its own, so elevations are read too. The last point is an
// empty element and takes the elevation and time before it.
constexpr std::string_view kMinified =
    "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\"><trk><trkseg>"
    "<trkpt lat=\"53.1\" lon=\"8.8\"><ele>12.5</ele><time>2009-10-23T08:15:30Z</time></trkpt> "
    "<trkpt lat=\"-53.2\" lon=\"-8.9\">\t<ele>13</ele> <time>2009-10-23T08:15:31Z</time></trkpt>"
    "<trkpt lat=\"53.3\" lon=\"8.7\"/></trkseg></trk></gpx>";

TEST_F(GpxFile, MinifiedDocumentConvertsCompletely) {
    EXPECT_EQ(Convert("min.gpx", kMinified, OutputKind::Table, true),
              " 029730.00  53.1000000  008.8000000  0012.50\r\n"
              " 029731.00 -53.2000000 -008.9000000  0013.00\r\n"
              " 029731.00  53.3000000  008.7000000  0013.00\r\n");
}

// One track point per line, CR LF: split by the copy as well. Without a copy
// (a name not ending in "gpx") such points keep elevation 0.
constexpr std::string_view kOneLinePoints =
    "<gpx>\r\n"
    "<trkpt lon=\"8.8\" lat=\"53.1\"><ele>12.5</ele><time>2009-10-23T08:15:30Z</time></trkpt>\r\n"
    "<trkpt lon=\"8.9\" lat=\"53.2\"><ele>13</ele></trkpt>\r\n"
    "</gpx>";

TEST_F(GpxFile, OneLineTrackPoints) {
    EXPECT_EQ(Convert("points.GPX", kOneLinePoints, OutputKind::Table, true),
              " 029730.00  53.1000000  008.8000000  0012.50\r\n"
              " 029730.00  53.2000000  008.9000000  0013.00\r\n");
    EXPECT_EQ(s.OutputFilePath, dir.File("points_CRLF_GXT.prn"));

    EXPECT_EQ(Convert("points.txt", kOneLinePoints, OutputKind::Table, true),
              " 029730.00  53.1000000  008.8000000  0000.00\r\n"
              " 029730.00  53.2000000  008.9000000  0000.00\r\n");
}

TEST_F(GpxFile, ReaderStateLastsIntoTheNextRun) {
    Convert("first.gpx", std::string(kPoint) + "\n" + std::string(kPoint), OutputKind::Table, true);
    // Two points without elevation or time: both take the last run's values.
    EXPECT_EQ(Convert("second.gpx",
                      "<trkpt lat=\"1.5\" lon=\"2.5\">\n</trkpt>\n<trkpt lat=\"1.6\" lon=\"2.6\">\n</trkpt>\n",
                      OutputKind::Table, true),
              " 029730.00  01.5000000  002.5000000  0012.50\r\n"
              " 029730.00  01.6000000  002.6000000  0012.50\r\n");
}

}  // namespace
}  // namespace torvane
