// The track's figures against values worked out by hand from the haversine
// formula, and the drawing's bound and kept extremes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "convert/files/line_reader.h"
#include "convert/summary/track_summary.h"
#include "output/track_figure_rows.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::TempDir;

constexpr double kR = 6371008.8;
constexpr double kArcMinute = std::numbers::pi / 180 / 60;  // radians

// A GGA sentence at `time` (hhmmss), latitude/longitude as written.
std::string Gga(const std::string& time, const std::string& lat, const std::string& ns, const std::string& lon,
                const std::string& ew, const std::string& alt) {
    return "$GPGGA," + time + ".00," + lat + "," + ns + "," + lon + "," + ew + ",1,07,1.2," + alt +
           ",M,48.0,M,,*00\r\n";
}

std::string Meridian() {  // 47°00' to 47°10' N along 8° E, one minute of arc a minute
    std::string log;
    for (int i = 0; i <= 10; ++i) {
        char lat[16], time[8];
        std::snprintf(lat, sizeof lat, "47%02d.0000", i);
        std::snprintf(time, sizeof time, "10%02d00", i);
        log += Gga(time, lat, "N", "00800.0000", "E", std::to_string(400 + (i % 4) * 10));
    }
    return log;
}

struct Row {
    const char* name;
    std::string log;
    std::int64_t records;
    bool hasTime;
    double start, end, duration, length;
    double latMin, latMax, lonMin, lonMax, altMin, altMax;
};

TEST(TrackSummary, FiguresOfGeneratedTracks) {
    const std::vector<Row> rows = {
        {"meridian", Meridian(), 11, true, 36000, 36600, 600, kR * 10 * kArcMinute, 47, 47 + 10.0 / 60, 8, 8, 400,
         430},
        {"midnight",
         Gga("235930", "4700.0000", "N", "00800.0000", "E", "5.0") +
             Gga("235959", "4701.0000", "N", "00800.0000", "E", "7.0") +
             Gga("000029", "4702.0000", "N", "00800.0000", "E", "6.0"),
         3, true, 86370, 29, 59, kR * 2 * kArcMinute, 47, 47 + 2.0 / 60, 8, 8, 5, 7},
        {"antimeridian on the equator",
         Gga("120000", "0000.0000", "N", "17959.0000", "E", "0.0") +
             Gga("120010", "0000.0000", "N", "17959.0000", "W", "0.0"),
         2, true, 43200, 43210, 10, kR * 2 * kArcMinute, 0, 0, -(179 + 59.0 / 60), 179 + 59.0 / 60, 0, 0},
        {"no times",
         Gga("000000", "4700.0000", "S", "00800.0000", "W", "1.0") +
             Gga("000000", "4701.0000", "S", "00800.0000", "W", "2.0"),
         2, false, 0, 0, 0, kR * kArcMinute, -(47 + 1.0 / 60), -47, -8, -8, 1, 2},
        {"single point", Gga("101530", "4700.0000", "N", "00800.0000", "E", "3.0"), 1, true, 36930, 36930, 0, 0, 47,
         47, 8, 8, 3, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("log.nmea");
        s.DataType = DataKind::GPGGA;
        test::WriteFile(s.InputFilePath, row.log);
        TrackSummary t;
        std::string error;
        ASSERT_TRUE(ComputeTrackSummary(s, t, error)) << error;
        EXPECT_EQ(t.records, row.records);
        EXPECT_EQ(t.hasTime, row.hasTime);
        EXPECT_DOUBLE_EQ(t.start, row.start);
        EXPECT_DOUBLE_EQ(t.end, row.end);
        EXPECT_NEAR(t.duration, row.duration, 1e-6);
        EXPECT_NEAR(t.lengthMetres, row.length, 1e-3);
        EXPECT_NEAR(t.latMin, row.latMin, 1e-9);
        EXPECT_NEAR(t.latMax, row.latMax, 1e-9);
        EXPECT_NEAR(t.lonMin, row.lonMin, 1e-9);
        EXPECT_NEAR(t.lonMax, row.lonMax, 1e-9);
        EXPECT_TRUE(t.hasAltitude);
        EXPECT_NEAR(t.altMin, row.altMin, 1e-6);
        EXPECT_NEAR(t.altMax, row.altMax, 1e-6);
        EXPECT_EQ(t.polyline.size(), static_cast<std::size_t>(row.records));
        EXPECT_EQ(s.RecordCount, 0);  // the caller's settings stay as they were
    }
}

// A dated log's figures come from the dates of its outputs: days counted
// across sessions and flights, altitudes only where a position has one, and
// a track whose times go back says so instead of giving a negative span.
TEST(TrackSummary, DatedFiguresCountDays) {
    const auto gpxPoint = [](const char* time, const char* ele) {
        std::string point = "<trkpt lat=\"46.75\" lon=\"14.35\">\n";
        if (*ele != 0) point += std::string("<ele>") + ele + "</ele>\n";
        if (*time != 0) point += std::string("<time>") + time + "</time>\n";
        return point + "</trkpt>\n";
    };
    const struct {
        const char* name;
        DataKind kind;
        std::string log;
        const char* start;
        const char* end;
        const char* duration;
        const char* altitudes;  // alt_min and alt_max
        bool overTime;          // the profile's axis
    } rows[] = {
        {"two days of GPX without elevations", DataKind::GPGXT,
         gpxPoint("2024-06-01T08:00:00Z", "") + gpxPoint("2024-06-02T17:00:00Z", ""), "2024-06-01T08:00:00Z",
         "2024-06-02T17:00:00Z", "33:00:00", "alt_min: -\nalt_max: -", true},
        {"GPX with one elevation and a point without time", DataKind::GPGXT,
         gpxPoint("2024-06-01T08:00:00Z", "") + gpxPoint("", "512.5") + gpxPoint("2024-06-01T08:00:10Z", ""),
         "2024-06-01T08:00:00Z", "2024-06-01T08:00:10Z", "00:00:10", "alt_min: 512.5\nalt_max: 512.5", true},
        {"GPX whose times go back", DataKind::GPGXT,
         gpxPoint("2024-06-01T10:00:00Z", "1") + gpxPoint("2024-06-01T09:00:00Z", "2"), "2024-06-01T10:00:00Z",
         "2024-06-01T09:00:00Z", "- (the times go back)", "alt_min: 1\nalt_max: 2", false},
        {"RMC of two sessions two days apart", DataKind::GPRMC,
         "$GPRMC,100000.00,A,4700.0000,N,00800.0000,E,0.5,54.7,010624,,,A*00\r\n"
         "$GPRMC,090000.00,A,4701.0000,N,00800.0000,E,0.5,54.7,030624,,,A*00\r\n",
         "2024-06-01T10:00:00Z", "2024-06-03T09:00:00Z", "47:00:00", "alt_min: -\nalt_max: -", true},
        {"IGC of two flights, the later one earlier in the day", DataKind::GPIGC,
         "HFDTE010624\r\nB1200004700000N00800000EA0010000100\r\nB1300004701000N00800000EA0020000200\r\n"
         "HFDTE030624\r\nB0800004702000N00800000EA0030000300\r\nB0800014703000N00800000EA\r\n",
         "2024-06-01T12:00:00Z", "2024-06-03T08:00:01Z", "44:00:01", "alt_min: 100\nalt_max: 300", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("log");
        s.DataType = row.kind;
        test::WriteFile(s.InputFilePath, row.log);
        TrackSummary t;
        std::string error;
        ASSERT_TRUE(ComputeTrackSummary(s, t, error)) << error;
        const std::string text = TrackSummaryText(t);
        EXPECT_NE(text.find(std::string("start: ") + row.start + "\nend: " + row.end + "\nduration: " + row.duration +
                            "\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(row.altitudes), std::string::npos) << text;
        const TrackDrawing drawing = DrawingOf(t, "log");
        EXPECT_EQ(drawing.profileOverTime, row.overTime);
        // The profile runs forward over its axis (time, or else distance),
        // from the start to the end.
        for (std::size_t i = 1; i < drawing.profile.size(); ++i) {
            EXPECT_GE(drawing.profile[i].x, drawing.profile[i - 1].x);
        }
    }
}

// Heart rate and power: a position without a value is left out (not taken
// as 0), a value of 0 counts; a track without them says nothing of them.
TEST(TrackSummary, HeartRateAndPowerWhereGiven) {
    const auto point = [](const char* extensions) {
        return std::string("<trkpt lat=\"46.75\" lon=\"14.35\">\n<extensions>\n") + extensions +
               "\n</extensions>\n</trkpt>\n";
    };
    const struct {
        std::string log;
        const char* figures;  // the summary's lines after alt_max, before the motion figures
    } rows[] = {
        {point("<gpxtpx:hr>100</gpxtpx:hr>") + point("") + point("<gpxtpx:hr>121</gpxtpx:hr>\n<power>0</power>"),
         "hr_avg: 110.5\nhr_max: 121\npower_avg: 0\npower_max: 0\n"},
        {point("<power>250</power>") + point("<power>101</power>"), "power_avg: 175.5\npower_max: 250\n"},
        {point("") + point("<gpxtpx:cad>80</gpxtpx:cad>"), ""},
    };
    for (const auto& row : rows) {
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("log.gpx");
        s.DataType = DataKind::GPGXT;
        test::WriteFile(s.InputFilePath, row.log);
        TrackSummary t;
        std::string error;
        ASSERT_TRUE(ComputeTrackSummary(s, t, error)) << error;
        const std::string text = TrackSummaryText(t);
        const std::size_t after = text.find("alt_max: -\n") + 11;
        EXPECT_EQ(text.substr(after, text.find("climb_m: ") - after), row.figures) << row.log;
    }
}

TEST(TrackSummary, KindWithoutAltitudeHasNone) {
    TempDir dir;
    Settings s;
    s.InputFilePath = dir.File("log.nmea");
    s.DataType = DataKind::GPGLL;
    test::WriteFile(s.InputFilePath, "$GPGLL,4700.0000,N,00800.0000,E,101530.00,A,A*00\r\n");
    TrackSummary t;
    std::string error;
    ASSERT_TRUE(ComputeTrackSummary(s, t, error)) << error;
    EXPECT_EQ(t.records, 1);
    EXPECT_FALSE(t.hasAltitude);
    EXPECT_TRUE(t.profile.empty());
    EXPECT_NE(TrackSummaryText(t).find("alt_min: -\n"), std::string::npos);
}

// Many more records than drawing points: both drawings stay within the
// bound, start with the first and end with the last record, and keep the
// single highest and lowest samples wherever they fall.
TEST(TrackSummary, DrawingsKeepExtremesWithinTheBound) {
    for (const std::int64_t count : {std::int64_t{3999}, std::int64_t{4001}, std::int64_t{250007}}) {
        SCOPED_TRACE(count);
        TrackSummaryBuilder builder;
        Record r;
        r.hasPosition = true;
        Position& p = r.position;
        p.tableAltitude = p.altitudeGiven = true;
        const std::int64_t spike = count * 2 / 3 + 1;
        for (std::int64_t i = 0; i < count; ++i) {
            p.timeOfDay = static_cast<double>(i % 86400);
            p.latitude = 47 + 1e-6 * static_cast<double>(i % 97) + (i == spike ? 1 : 0);
            p.longitude = 8 - (i == spike + 5 ? 1 : 0);
            p.altitude = static_cast<float>(i % 50) - (i == spike + 9 ? 1000.0F : 0.0F);
            builder.Take(r, static_cast<std::uint64_t>(i));
        }
        const TrackSummary t = builder.Finish();
        ASSERT_EQ(t.records, count);
        for (const auto* points : {&t.polyline, &t.profile}) {
            ASSERT_LE(points->size(), kMaxDrawingPoints);
            EXPECT_EQ(points->front().index, 0U);
            EXPECT_EQ(points->back().index, static_cast<std::uint64_t>(count - 1));
            EXPECT_TRUE(std::is_sorted(points->begin(), points->end(),
                                       [](const auto& a, const auto& b) { return a.index <= b.index; }) ||
                        points->size() == 1);
        }
        const auto has = [](const std::vector<TrackSample>& v, std::int64_t index) {
            return std::any_of(v.begin(), v.end(),
                               [index](const TrackSample& p) { return p.index == static_cast<std::uint64_t>(index); });
        };
        EXPECT_TRUE(has(t.polyline, spike));
        EXPECT_TRUE(has(t.polyline, spike + 5));
        EXPECT_TRUE(has(t.profile, spike + 9));
        EXPECT_DOUBLE_EQ(t.altMin, static_cast<double>((spike + 9) % 50) - 1000);
    }
}

// Climb and descent by their rule, on both sides of the threshold, and in
// two parts joined at every place as in one pass; a later part whose
// course meets the one pass's only after the altitudes it keeps is refused.
TEST(TrackMotion, ClimbByItsRuleAndInParts) {
    const struct {
        const char* name;
        std::vector<double> altitudes;
        double climb, descent;
    } rows[] = {
        {"the hand-made walk", {100, 103, 101, 104, 110, 120, 117, 130, 124, 122, 126, 110, 116, 118}, 38, 20},
        {"swings of exactly 5 m count nothing", {0, 5, 0, 5, 0}, 0, 0},
        {"swings of 5.001 m count", {0, 5.001, 0, 5.001}, 10.002, 5.001},
        {"a descent first", {50, 44.9, 60, 40}, 15.1, 25.1},
        {"one altitude", {7}, 0, 0},
    };
    std::mt19937 random(5);
    std::vector<double> wander;
    for (int i = 0; i < 400; ++i) {
        wander.push_back(std::round((std::sin(i / 9.0) * 30 + static_cast<double>(random() % 70) / 10) * 10) / 10);
    }
    const auto onePass = [](const std::vector<double>& a) {
        ClimbCounter c;
        for (const double v : a) c.Add(v);
        return c;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ClimbCounter c = onePass(row.altitudes);
        EXPECT_EQ(c.ClimbMillimetres(), std::llround(row.climb * 1000));
        EXPECT_EQ(c.DescentMillimetres(), std::llround(row.descent * 1000));
    }
    std::vector<std::vector<double>> tracks = {wander};
    for (const auto& row : rows) tracks.push_back(row.altitudes);
    for (const std::vector<double>& track : tracks) {
        const ClimbCounter whole = onePass(track);
        for (std::size_t k = 0; k <= track.size(); ++k) {
            ClimbCounter first = onePass({track.begin(), track.begin() + static_cast<std::ptrdiff_t>(k)});
            ASSERT_TRUE(first.Append(onePass({track.begin() + static_cast<std::ptrdiff_t>(k), track.end()}))) << k;
            EXPECT_EQ(first.ClimbMillimetres(), whole.ClimbMillimetres()) << k;
            EXPECT_EQ(first.DescentMillimetres(), whole.DescentMillimetres()) << k;
        }
    }
    // After a turn at 0 the first part falls; the later part climbs without
    // a turn, so the two courses never meet: exact while it keeps every altitude.
    for (const std::size_t n : {ClimbCounter::kReplayAltitudes, ClimbCounter::kReplayAltitudes + 1}) {
        std::vector<double> climb;
        for (std::size_t i = 1; i <= n; ++i) climb.push_back(static_cast<double>(i));
        ClimbCounter first = onePass({0, 20, 0});
        const bool joined = first.Append(onePass(climb));
        EXPECT_EQ(joined, n == ClimbCounter::kReplayAltitudes);
        // Not joined, the counter is left as it was (the builder counts on it).
        EXPECT_EQ(first.ClimbMillimetres(), (joined ? static_cast<std::int64_t>(20 + n) : 20) * 1000);
        EXPECT_EQ(first.DescentMillimetres(), 20 * 1000);
    }
}

// The sines kept are the library's own for every argument, also where
// arguments share a place (many more than there are places), both zeros
// and one argument met again after others took its place.
TEST(GreatCircle, RecentSinesAreTheLibrarysOwn) {
    RecentSines sines;
    std::mt19937_64 random(7);
    std::vector<double> arguments = {0.0, -0.0, 1e-300, -1e-7};
    for (int i = 0; i < 20000; ++i) arguments.push_back(std::ldexp(static_cast<double>(random() >> 11), -60));
    for (int round = 0; round < 2; ++round) {
        for (const double x : arguments) {
            const double kept = sines.Sine(x), library = std::sin(x);
            ASSERT_EQ(std::memcmp(&kept, &library, sizeof kept), 0) << x;
        }
    }
}

// Moving time on both sides of its speed, steps whose time does not go
// forward, and two parts joined at every place as in one pass.
TEST(TrackMotion, MovingTimeByItsRuleAndInParts) {
    const double metres = HaversineMetres(47, 8, 47.001, 8);
    const auto slowest = static_cast<std::int64_t>(std::floor(metres * 3600));  // ms: just above 1 km/h
    struct Timed {
        double latitude;
        std::int64_t ms;
    };
    const std::vector<Timed> track = {{47, 0},          {47.001, slowest},      {47.002, 2 * slowest + 1},
                                      {47.002, 2 * slowest + 1}, {47.003, 2 * slowest + 1}, {47.004, 1000},
                                      {47.005, 61000},  {47.005, 61000 + 600000}};
    MotionCounter whole;
    for (const Timed& t : track) whole.Add(t.latitude, 8, t.ms);
    // Moving: the first step (just above 1 km/h) and the one of 60 s; not
    // the second (just below), those of no time or back in time, the pause.
    EXPECT_EQ(whole.MovingMilliseconds(), slowest + 60000);
    EXPECT_NEAR(static_cast<double>(whole.MovingNanometres()), 2 * metres * 1e9, 1e3);
    EXPECT_NEAR(whole.GreatestSpeed(), metres / 60, 1e-9);
    for (std::size_t k = 0; k <= track.size(); ++k) {
        MotionCounter first, later;
        for (std::size_t i = 0; i < track.size(); ++i) {
            (i < k ? first : later).Add(track[i].latitude, 8, track[i].ms - (i < k ? 0 : 7));
        }
        first.Append(later, 7);
        EXPECT_EQ(first.MovingMilliseconds(), whole.MovingMilliseconds()) << k;
        EXPECT_EQ(first.MovingNanometres(), whole.MovingNanometres()) << k;
        EXPECT_EQ(first.GreatestSpeed(), whole.GreatestSpeed()) << k;
    }
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// The profile's axis: the end's date only when it is another day than the
// start's; times of day without a date; distances over distance.
TEST(TrackSvg, ProfileAxisLabels) {
    constexpr long long kDay = 86'400'000;
    constexpr long long k20261208 = 20'795 * kDay;  // 2026-12-08T00:00:00Z
    struct AxisRow {
        bool overTime, dated;
        long long startUtc, endUtc;
        double start, end, lastX;
        const char* expectedStart;
        const char* expectedEnd;
    };
    const AxisRow rows[] = {
        {true, true, k20261208 + 36'930'000, k20261208 + kDay - 1'000, 0, 0, 1, "2026-12-08 10:15:30", "23:59:59"},
        {true, true, k20261208 + 36'930'000, k20261208 + kDay, 0, 0, 1, "2026-12-08 10:15:30", "2026-12-09 00:00:00"},
        {true, false, 0, 0, 36'930, 39'629.5, 1, "10:15:30", "11:00:29"},
        {false, false, 0, 0, 0, 0, 999.4, "0 m", "999 m"},
        {false, false, 0, 0, 0, 0, 1234.5, "0 m", "1.23 km"},
    };
    for (const AxisRow& row : rows) {
        TrackDrawing d;
        d.profileOverTime = row.overTime;
        d.figures.dated = row.dated;
        d.figures.startUtc = row.startUtc;
        d.figures.endUtc = row.endUtc;
        d.figures.start = row.start;
        d.figures.end = row.end;
        d.profile = {{0, 400}, {row.lastX, 410}};
        const AxisLabels labels = ProfileAxisLabels(d);
        EXPECT_EQ(labels.start, row.expectedStart) << row.expectedEnd;
        EXPECT_EQ(labels.end, row.expectedEnd) << row.expectedStart;
    }
}

// The picture's title is the log's path as the file system has it: markup
// and bytes that are not UTF-8 come out as text, and the document stays
// well-formed.
TEST(TrackSvg, TitleIsText) {
    TrackDrawing d;
    d.title = "/logs/<a href=\"x\">&amp;</a> Fl\xfcg.nmea";
    d.track = {{47, 8}, {47.1, 8.1}};
    const std::string svg = TrackSvg(d);
    EXPECT_NE(svg.find("<title>/logs/&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt; Fl\xc3\xbcg.nmea</title>"),
              std::string::npos)
        << svg.substr(0, 400);
    EXPECT_EQ(svg.find("<a href"), std::string::npos);
}

// The figures in words under the command line's picture: thousands apart
// from the first thousand on, a sign without a "-0", the rule after its
// value, the date only where the day changes.
TEST(TrackSvg, FiguresInWords) {
    const FigureStyle english = EnglishFigureStyle();
    EXPECT_EQ(LengthWords(999.4, english), "999 m");
    EXPECT_EQ(LengthWords(1000, english), "1.00 km");
    EXPECT_EQ(LengthWords(1'234'773.7, english), "1,234.8 km");
    EXPECT_EQ(DurationWords(3'600'000, english), "1,000 h 0 min");
    EXPECT_EQ(english.number(-999, 0), "-999");
    EXPECT_EQ(english.number(-1234, 0), "-1,234");
    EXPECT_EQ(english.number(-0.01, 1), "0.0");
    TrackFigures f;
    f.records = 1234;
    f.hasTime = f.dated = true;
    f.startUtc = 1'733'702'399'000;  // 2024-12-08T23:59:59Z
    f.endUtc = f.startUtc + 1000;
    f.hasClimb = true;
    f.climbMetres = 38.4;
    f.hasAltitude = true;
    f.altMin = -3.6;
    f.altMax = 1250;
    std::string text;
    for (const FigureRow& row : TrackFigureRows(f, english)) text += RowText(row) + '\n';
    EXPECT_EQ(text,
              "Positions 1,234\nStart 2024-12-08 23:59:59 UTC\nEnd 2024-12-09 00:00:00 UTC\nDuration 0 s\n"
              "Climb 38 m up, 0 m down (changes over 5 m)\nAltitude -4 to 1,250 m\n");
}

}  // namespace
}  // namespace torvane
