// A log read in two parts at once gives what one pass gives: the analysis
// (and its GPX copy), the summary with its drawing, and every output, down
// to the message, the files left and the state the run leaves behind;
// also when the later part's thread cannot start or the later part fails.
// The logs are generated, a few KiB each, with the split wherever their
// middle falls: beside CR LF, inside long lines, in CR-only and mixed files,
// with state carried across it (GPX elevation and time, the IGC date,
// midnight).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/platform/thread_placement.h"
#include "convert/recognise/input_analysis.h"
#include "convert/run/analysis_with_run.h"
#include "convert/run/analysis_with_summary.h"
#include "convert/run/conversion_run.h"
#include "convert/summary/track_summary.h"
#include "convert/write/line_account.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

enum class Ends { CrLf, Lf, Cr, Mixed };

std::string Joined(const std::vector<std::string>& lines, Ends ends) {
    static const char* const kMixed[] = {"\r\n", "\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        switch (ends) {
            case Ends::CrLf: text += "\r\n"; break;
            case Ends::Lf: text += "\n"; break;
            case Ends::Cr: text += "\r"; break;
            case Ends::Mixed: text += kMixed[i % 3]; break;
        }
    }
    return text;
}

unsigned Pick(std::mt19937& random, unsigned below) { return static_cast<unsigned>(random() % below); }

std::string Printed(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// From 23:59:00 on, steps of 1 to 3 s (or of `step` s): midnight falls in the log.
std::string NextTime(int& t, std::mt19937& random, const char* format, int step = 0) {
    t = (t + (step > 0 ? step : 1 + static_cast<int>(Pick(random, 3)))) % 86400;
    return Printed(format, t / 3600, t / 60 % 60, t % 60);
}

// GGA with zero positions, other talkers, RMC and GLL among them, and long lines.
std::vector<std::string> NmeaLines(std::mt19937& random, int records) {
    std::vector<std::string> lines;
    int t = 86340;
    for (int i = 0; i < records; ++i) {
        // Late in some logs, a time with a fraction: every time then has
        // milliseconds; in some on the last line alone.
        const bool fraction = (records % 3 == 0 && i > records * 3 / 4 && Pick(random, 4) == 0) ||
                              (records % 3 == 1 && i == records - 1);
        // In some, a fall of exactly 12 hours with fractions near the middle: no new day.
        if (records % 4 == 2 && i == records / 2) {
            const std::string at = Printed("%02d%02d%02d.10", t / 3600, t / 60 % 60, t % 60);
            t = (t + 43200) % 86400;
            const std::string back = Printed("%02d%02d%02d.10", t / 3600, t / 60 % 60, t % 60);
            for (const std::string& time : {at, back}) {
                lines.push_back("$GPGGA," + time + ",4700.0000,N,00800.0000,E,1,07,1.2,1.0,M,48.0,M,,*00");
            }
        }
        const std::string time = NextTime(t, random, fraction ? "%02d%02d%02d.25" : "%02d%02d%02d.00");
        const bool zero = random() % 9 == 0;
        const std::string lat = zero ? "0000.0000" : Printed("47%02u.%04u", Pick(random, 60), Pick(random, 10000));
        const std::string lon = zero ? "00000.0000" : Printed("008%02u.%04u", Pick(random, 60), Pick(random, 10000));
        const std::string alt = Printed("%u.%u", Pick(random, 900), Pick(random, 10));
        const std::string gga = "GGA," + time + "," + lat + ",N," + lon + ",E,1,07,1.2," + alt + ",M,48.0,M,,*00";
        switch (Pick(random, 8)) {
            case 0: lines.push_back("$GN" + gga); break;
            case 1: lines.push_back("$GPRMC," + time + ",A," + lat + ",N," + lon + ",E,0.5,54.7,071226,,,A*00"); break;
            case 2: lines.push_back("$GPGLL," + lat + ",N," + lon + ",E," + time + ",A,A*00"); break;
            case 3: lines.push_back(std::string(Pick(random, 3000), 'x')); break;
            default: lines.push_back("$GP" + gga);
        }
    }
    return lines;
}

// The flight date only in the header, before any split; midnight early in
// some flights, near the middle in some, in none in others, and several in
// a recording of days.
std::vector<std::string> IgcLines(std::mt19937& random, int records) {
    std::vector<std::string> lines = {"AXXX001", "HFDTE150807", "HFPLTPILOT: Ada", "HFGIDGLIDERID: D-1"};
    int t = records % 2 == 1 ? 36000 : records % 4 == 0 ? 86340 : 86390;
    const int step = records > 60 ? 3600 : 0;
    for (int i = 0; i < records; ++i) {
        const std::string time = NextTime(t, random, "%02d%02d%02d", step);
        const char valid = random() % 7 == 0 ? 'V' : 'A';
        lines.push_back("B" + time + Printed("47%05uN008%05uE", Pick(random, 60000), Pick(random, 60000)) + valid +
                        Printed("%05u%05u", Pick(random, 3000), Pick(random, 3000)));
        if (random() % 5 == 0) lines.push_back("LXXX comment");
        // In some, a second flight near the middle, on a date of its own.
        if (records % 3 == 2 && i == records / 2) lines.push_back("HFDTE170807");
    }
    return lines;
}

// Points that take their elevation, time or position from those before them.
std::vector<std::string> GpxLines(std::mt19937& random, int records) {
    std::vector<std::string> lines = {"<gpx><trk><trkseg>"};
    int t = 86340;
    for (int i = 0; i < records; ++i) {
        const std::string position =
            Printed("<trkpt lat=\"47.%u\" lon=\"8.%u\">", Pick(random, 100000), Pick(random, 100000));
        const bool fraction = records % 3 == 0 && i > records * 3 / 4 && Pick(random, 4) == 0;
        const std::string time =
            "<time>2026-12-08T" + NextTime(t, random, fraction ? "%02d:%02d:%02d.5Z" : "%02d:%02d:%02dZ") + "</time>";
        // Some tracks have no elevation at all: the state at a split is not
        // known then, and the track is read in one pass.
        const std::string ele =
            records % 4 == 0 ? "<name/>" : Printed("<ele>%u.%u</ele>", Pick(random, 900), Pick(random, 10));
        // Some points measure heart rate, power or both (the summary's
        // figures and the dated outputs' arrays join across the parts).
        const unsigned measured = Pick(random, 4);
        std::string measures = "<extensions>";
        if ((measured & 1) != 0) measures += Printed("<gpxtpx:hr>%u</gpxtpx:hr>", 60 + Pick(random, 120));
        if ((measured & 2) != 0) measures += Printed("<power>%u</power>", Pick(random, 400));
        measures += "</extensions>";
        switch (i < 3 ? 0 : Pick(random, 5)) {
            case 0: lines.insert(lines.end(), {position, ele, time, measures, "</trkpt>"}); break;
            case 1: lines.insert(lines.end(), {position, "</trkpt>"}); break;  // elevation and time carried
            case 2: lines.insert(lines.end(), {"<trkpt>", time, "</trkpt>"}); break;  // position carried
            case 3: lines.push_back(Printed("<trkpt lat=\"0\" lon=\"0\">%s</trkpt>", ele.c_str())); break;
            default: lines.insert(lines.end(), {position + " " + ele + " " + time, "</trkpt>"});
        }
    }
    lines.push_back("</trkseg></trk></gpx>");
    return lines;
}

struct Log {
    std::string name;
    std::string text;
};

// The parts' outcome, as a text to compare whole (the directory's path
// aside), and whether each piece of work ran in parts.
struct Observed {
    std::string text;
    bool analysisInParts = false, summaryInParts = false;
    std::vector<std::pair<std::string, bool>> runsInParts;
};

std::string Described(const TrackSummary& t) {
    std::string text = TrackSummaryText(t);
    text += Printed("motion %.17g %.17g %.17g %.17g %.17g\n", t.climbMetres, t.descentMetres, t.movingSeconds,
                    t.movingMetres, t.speedMax);
    for (const auto* points : {&t.polyline, &t.profile}) {
        text += "points " + std::to_string(points->size()) + ":";
        for (const TrackSample& p : *points) {
            text += Printed(" %llu/%.17g/%.17g/%.17g/%.17g/%.17g", static_cast<unsigned long long>(p.index), p.latitude,
                            p.longitude, p.altitude, p.elapsed, p.distance);
        }
        text += "\n";
    }
    return text;
}

std::string WithoutDir(std::string text, const std::string& dir) {
    for (std::size_t at; (at = text.find(dir)) != std::string::npos;) text.replace(at, dir.size(), "DIR");
    return text;
}

Observed Observe(const Log& log, const PartsRule& parts, bool anyTalker = false) {
    TempDir dir;
    Observed seen;
    std::string& text = seen.text;
    Settings s;
    s.Parts = parts;
    s.AcceptAnyTalker = anyTalker;
    s.InputFilePath = dir.File(log.name);
    WriteFile(s.InputFilePath, log.text);
    const AnalysisReport analysis = AnalyzeInput(s);
    seen.analysisInParts = analysis.inParts;
    const AnalysisCounts& c = analysis.counts;
    text += Printed("analysis %d %d %lld %lld %lld %lld %lld %lld %d\n", analysis.failed, analysis.recognised, c.gga,
                    c.gll, c.rmc, c.igcHeader, c.validFix, c.trackPoint, static_cast<int>(s.DataType));
    text += analysis.message + "|" + s.IgcFlightDate + "|" + s.IgcPilot + "|" +
            std::to_string(s.DetectedRecordCount) + "\n";
    if (!analysis.gpxCopyPath.empty()) text += "copy:" + ReadFile(analysis.gpxCopyPath) + "\n";

    TrackSummary summary;
    std::string error;
    text += ComputeTrackSummary(s, summary, error) ? Described(summary) : "summary failed: " + error + "\n";
    if (summary.hasPosition) text += TrackSvg(DrawingOf(summary, "preview")) + "\n";
    seen.summaryInParts = summary.inParts;

    // The analysis and the summary in one pass: the same counts, settings
    // and figures, wherever it is had (a recognised log of bytes, not
    // UTF-16 text, that is not GPX, whose run reads the copy, nor TCX, read
    // as bytes, not lines).
    Settings once;
    once.Parts = parts;
    once.AcceptAnyTalker = anyTalker;
    once.InputFilePath = dir.File(log.name);
    const std::optional<AnalysisWithSummary> both = AnalyzeWithSummaryInOnePass(once, {});
    const bool utf16 = log.text.rfind("\xFF\xFE", 0) == 0 || log.text.rfind("\xFE\xFF", 0) == 0;
    EXPECT_EQ(both.has_value(),
              analysis.recognised && analysis.gpxCopyPath.empty() && !utf16 && s.DataType != DataKind::GPTCX);
    if (both) {
        const AnalysisCounts& o = both->report.counts;
        EXPECT_EQ(Printed("%d %lld %lld %lld %lld %lld %d %d", both->report.recognised, o.gga, o.gll, o.rmc,
                          o.igcHeader, o.validFix, o.startsWithARecord, static_cast<int>(once.DataType)),
                  Printed("%d %lld %lld %lld %lld %lld %d %d", analysis.recognised, c.gga, c.gll, c.rmc, c.igcHeader,
                          c.validFix, c.startsWithARecord, static_cast<int>(s.DataType)));
        EXPECT_EQ(both->report.message + "|" + once.IgcFlightDate + "|" + once.IgcPilot + "|" +
                      std::to_string(once.DetectedRecordCount) + "|" + once.KmlProperties[1],
                  analysis.message + "|" + s.IgcFlightDate + "|" + s.IgcPilot + "|" +
                      std::to_string(s.DetectedRecordCount) + "|" + s.KmlProperties[1]);
        EXPECT_EQ(Described(both->summary), Described(summary));
    }

    const struct {
        const char* name;
        OutputKind kind;
        bool eliminate;
        AltitudeMode altitude;
        bool timeTrack = false;
    } runs[] = {
        {"table", OutputKind::Table, true, AltitudeMode::NeverSet},
        {"table all", OutputKind::Table, false, AltitudeMode::Add},
        {"kml", OutputKind::KML, true, AltitudeMode::SetFixed},
        {"kml all", OutputKind::KML, false, AltitudeMode::NeverSet},
        {"ovl", OutputKind::OVL, true, AltitudeMode::NeverSet},
        {"gpx", OutputKind::GPX, true, AltitudeMode::NeverSet},
        {"geojson", OutputKind::GeoJSON, false, AltitudeMode::Add},
        {"kml time", OutputKind::KML, false, AltitudeMode::NeverSet, true},
    };
    // The account of the lines: every line once, and as many positions as a
    // run that eliminates writes.
    std::int64_t lines = 0;
    {
        InputFile input;
        EXPECT_TRUE(input.Open(s.InputFilePath));
        LineReader reader(input.Descriptor());
        reader.SetEncoding(LogEncoding(s, input.Descriptor()));
        for (std::string_view line; reader.Next(line) == LineReader::Status::Line;) ++lines;
    }
    for (const auto& run : runs) {
        const auto setUp = [&run](Settings& x) {
            x.OutputType = run.kind;
            x.EliminateZeroPositions = run.eliminate;
            x.AltitudeMode = run.altitude;
            x.AltitudeValue = 12.5F;
            x.KmlTimeTrack = run.timeTrack;
            FormOutputPath(x);
            return true;
        };
        Settings r = s;
        setUp(r);
        LineAccount account;
        if (!AccountLines(r, account, error)) ADD_FAILURE() << error;
        if (s.DataType != DataKind::GPTCX) {  // its account has a line per trackpoint
            EXPECT_EQ(account.lines, lines) << run.name;
        }
        // Progress reaches the whole log's bytes, whichever part ends last.
        std::uint64_t done = 0, total = 1;
        ProgressHooks hooks;
        hooks.progress = [&](std::uint64_t d, std::uint64_t t) { done = d, total = t; };
        const RunReport report = PerformConversionRun(r, &hooks);
        if (report.outcome == RunReport::Outcome::Written) {
            EXPECT_EQ(done, total) << run.name;
        }
        if (run.eliminate && s.DataType != DataKind::None) {
            EXPECT_EQ(account.Positions(), report.count) << run.name;
        }
        seen.runsInParts.emplace_back(run.name, report.inParts);
        const GpxPointStateRecord& g = r.GpxPointState;
        text += Printed("%s: %d %lld %lld | %.17g %.17g %.17g %.17g ", run.name, static_cast<int>(report.outcome),
                        static_cast<long long>(report.count), static_cast<long long>(r.RecordCount),
                        g.EleValue.value_or(-1), g.Time ? g.Time->hour : -1, g.Time ? g.Time->minute : -1,
                        g.Time ? g.Time->second : -1);
        text += g.LatText.value_or("-") + " " + g.LonText.value_or("-") + " " + report.message +
                (report.undated ? " undated\n" : "\n");
        const std::string written = ReadFile(r.OutputFilePath);
        text += written + "\n";

        // The analysis and the run in one pass, wherever it is had (as the
        // summary's above, not for an overlay, and where the run wrote):
        // the same output, report and counts.
        Settings onceRun;
        onceRun.Parts = parts;
        onceRun.AcceptAnyTalker = anyTalker;
        onceRun.InputFilePath = s.InputFilePath;
        const std::optional<AnalysisWithRun> converted = AnalyzeAndConvertInOnePass(onceRun, setUp);
        EXPECT_EQ(converted.has_value(), both.has_value() && run.kind != OutputKind::OVL &&
                                             report.outcome == RunReport::Outcome::Written)
            << run.name;
        if (converted) {
            EXPECT_EQ(converted->run.message + "|" + std::to_string(converted->run.count) + "|" +
                          std::to_string(onceRun.RecordCount) + "|" + converted->report.message + "|" +
                          std::to_string(converted->asAnalysed.DetectedRecordCount),
                      report.message + "|" + std::to_string(report.count) + "|" + std::to_string(r.RecordCount) + "|" +
                          analysis.message + "|" + std::to_string(s.DetectedRecordCount))
                << run.name;
            EXPECT_EQ(ReadFile(r.OutputFilePath), written) << run.name;
        }
    }
    text += test::Listing(dir.Path()) + "\n";
    seen.text = WithoutDir(text, dir.Path());
    return seen;
}
// Trackpoints with and without a position, altitude or measures, between
// laps and tracks that open and close (other elements stand open around
// the points at the split), after comments that hold a trackpoint's tag.
std::vector<std::string> TcxLines(std::mt19937& random, int records) {
    std::vector<std::string> lines = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        "<TrainingCenterDatabase xmlns:ns3=\"x\"><Activities><Activity Sport=\"Biking\"><Id>2026-12-08</Id>",
        "<Lap StartTime=\"2026-12-08T23:59:00Z\"><Track>"};
    int t = 86340;
    for (int i = 0; i < records; ++i) {
        std::string point = "<Trackpoint><Time>2026-12-08T" + NextTime(t, random, "%02d:%02d:%02dZ") + "</Time>";
        if (Pick(random, 6) != 0) {
            point += Printed("<Position><LatitudeDegrees>47.%u</LatitudeDegrees><LongitudeDegrees>8.%u</LongitudeDegrees>"
                             "</Position>",
                             Pick(random, 100000), Pick(random, 100000));
        }
        if (Pick(random, 3) != 0) point += Printed("<AltitudeMeters>%u.%u</AltitudeMeters>", Pick(random, 900), Pick(random, 10));
        const unsigned measured = Pick(random, 4);
        if ((measured & 1) != 0) point += Printed("<HeartRateBpm><Value>%u</Value></HeartRateBpm>", 60 + Pick(random, 120));
        if ((measured & 2) != 0) point += Printed("<Extensions><ns3:TPX><ns3:Watts>%u</ns3:Watts></ns3:TPX></Extensions>", Pick(random, 400));
        switch (Pick(random, 8)) {
            case 0: lines.push_back("</Track><Track>"); break;
            case 1: lines.push_back("</Track></Lap><Lap StartTime=\"2026-12-09T00:00:00Z\"><Notes>a</Notes><Track>"); break;
            case 2: lines.push_back("<!-- <Trackpoint > --><Trackpoint/>"); break;
            default: break;
        }
        lines.push_back(point + "</Trackpoint>");
    }
    lines.push_back("</Track></Lap></Activity></Activities></TrainingCenterDatabase>");
    return lines;
}

// The same after more bytes of lines without a position: the first part holds none.
std::vector<std::string> LateNmeaLines(std::mt19937& random, int records) {
    std::vector<std::string> lines(static_cast<std::size_t>(records) * 2, "$GPGSV,3,1,12" + std::string(400, '0'));
    for (std::string& line : NmeaLines(random, records)) lines.push_back(std::move(line));
    return lines;
}

std::vector<Log> GeneratedLogs() {
    std::vector<Log> logs;
    std::mt19937 random(20261208);
    const struct {
        const char* name;
        std::vector<std::string> (*lines)(std::mt19937&, int);
    } kinds[] = {{"track.nmea", NmeaLines}, {"late.nmea", LateNmeaLines}, {"flight.igc", IgcLines}, {"walk.gpx", GpxLines},
                 {"ride.tcx", TcxLines}};
    for (const auto& kind : kinds) {
        for (const Ends ends : {Ends::CrLf, Ends::Lf, Ends::Cr, Ends::Mixed}) {
            for (int variant = 0; variant < 4; ++variant) {
                std::vector<std::string> lines = kind.lines(random, 40 + variant * 7);
                // A line of its own length moves the middle about.
                lines.insert(lines.begin() + 1, std::string(variant * 97, ' '));
                logs.push_back({kind.name, Joined(lines, ends)});
                // A TCX log's middle just at a trackpoint's "<" (it splits
                // there) and one byte after it (it splits at the next one).
                std::string& text = logs.back().text;
                if (kind.lines == TcxLines && ends == Ends::Lf && variant < 2) {
                    const std::size_t at = text.find("<Trackpoint>", (text.size() + 1) / 2);
                    text.append(2 * at + variant * 2 - text.size(), ' ');
                }
            }
        }
    }
    return logs;
}

TEST(LogParts, InPartsGivesWhatOnePassGives) {
    PartsRule onePass;
    onePass.fromBytes = UINT64_MAX;
    PartsRule parts;
    parts.fromBytes = 1;
    int splitRuns = 0;
    std::map<std::string, int> datedSplits;
    for (const Log& log : GeneratedLogs()) {
        SCOPED_TRACE(log.name + " of " + std::to_string(log.text.size()) + " bytes: " + log.text.substr(0, 300));
        const Observed expected = Observe(log, onePass);
        const Observed seen = Observe(log, parts);
        EXPECT_EQ(seen.text, expected.text);
        // Where a log can split, it does: lines wherever a LF stands (a GPX
        // copy has CR LF throughout), records not for numbered points nor
        // for dated outputs, nor for a GPX track whose elevation at the
        // split is not known.
        const bool gpx = log.name == "walk.gpx";
        const bool tcx = log.name == "ride.tcx";  // where the analysis noted a trackpoint after the middle
        const bool lf = log.text.find('\n') != std::string::npos;
        const bool recordsSplit = gpx ? log.text.find("<ele>") != std::string::npos
                                  : tcx ? log.text.find("<Trackpoint>", log.text.size() / 2) != std::string::npos
                                        : lf;
        // A TCX analysis splits at a trackpoint's tag after the middle,
        // where the first part ends outside any comment.
        if (!tcx) {
            EXPECT_EQ(seen.analysisInParts, lf);
        }
        datedSplits["tcx analysis"] += tcx && seen.analysisInParts;
        // The summary dates its records as the dated outputs do, and splits
        // as they do: always for one flight of less than a day.
        const bool oneFlight = log.name == "flight.igc" && log.text.find("HFDTE170807") == std::string::npos;
        if (oneFlight || gpx || tcx) {
            EXPECT_EQ(seen.summaryInParts, recordsSplit);
        }
        EXPECT_TRUE(recordsSplit || !seen.summaryInParts);
        datedSplits["summary"] += seen.summaryInParts;
        for (const auto& [run, inParts] : seen.runsInParts) {
            SCOPED_TRACE(run);
            const bool splits = recordsSplit && run != "ovl";
            // A dated output splits where the later part begins on the day
            // one pass has there (not, say, where midnight fell in the first
            // part but no date came after it); a flight of less than a day
            // always does.
            const bool dated = run == "gpx" || run == "geojson" || run == "kml time";
            if (!dated || !splits || oneFlight || tcx) {
                EXPECT_EQ(inParts, splits);
            }
            splitRuns += inParts;
            if (dated) datedSplits[log.name] += inParts;
        }
        EXPECT_FALSE(expected.analysisInParts || expected.summaryInParts);
    }
    EXPECT_GT(splitRuns, 100);
    EXPECT_GT(datedSplits["track.nmea"], 10);
    EXPECT_GT(datedSplits["late.nmea"], 10);
    EXPECT_GT(datedSplits["walk.gpx"], 10);
    EXPECT_GT(datedSplits["flight.igc"], 10);
    EXPECT_GT(datedSplits["ride.tcx"], 30);
    EXPECT_GT(datedSplits["tcx analysis"], 8);  // its date in the header alone, midnight in some
    EXPECT_GT(datedSplits["summary"], 30);
}

// The analysis of a log's start sets the run of one pass up; where the
// whole log decides otherwise (another kind after the start, another flight
// date), that run writes nothing and leaves the settings as they were.
TEST(LogParts, OnePassRunHoldsWhereTheWholeLogDecidesAlike) {
    const auto fixes = [](std::string& text, std::size_t bytes, const char* format) {
        for (int i = 0; text.size() < bytes; ++i) text += Printed(format, i / 3600 % 24, i / 60 % 60, i % 60, i % 1000);
    };
    const char* const gga = "$GPGGA,%02d%02d%02d.00,4723.0%03d,N,00832.1000,E,1,08,0.9,440.0,M,46.9,M,,*00\r\n";
    const char* const rmc = "$GPRMC,%02d%02d%02d.00,A,4723.0%03d,N,00832.1000,E,0.5,54.7,081226,,*00\r\n";
    const char* const igc = "B%02d%02d%02d4723%03dN00832100EA0040000450\r\n";
    const std::string header = "AXXX001\r\nHFDTE081226\r\nHFPLTPILOT:Anna\r\nHFGIDGLIDERID:D-1234\r\n";
    struct {
        std::string name, text;
        bool once;
    } logs[] = {{"gga.nmea", "", true}, {"switch.nmea", "", false}, {"flight.igc", header, true},
                {"redated.igc", header, false}};
    fixes(logs[0].text, 400'000, gga);
    fixes(logs[1].text, 300'000, rmc);
    fixes(logs[1].text, 1'000'000, gga);
    fixes(logs[2].text, 400'000, igc);
    fixes(logs[3].text, 400'000, igc);
    logs[3].text += "HFDTE091226\r\n";
    for (const auto& log : logs) {
        SCOPED_TRACE(log.name);
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File(log.name);
        WriteFile(s.InputFilePath, log.text);
        const std::optional<AnalysisWithRun> once = AnalyzeAndConvertInOnePass(s, [](Settings& run) {
            run.OutputType = OutputKind::KML;
            FormOutputPath(run);
            return true;
        });
        EXPECT_EQ(once.has_value(), log.once);
        if (!once) {
            EXPECT_EQ(test::Listing(dir.Path()), log.name);
            EXPECT_EQ(s.DataType, Settings{}.DataType);
            EXPECT_EQ(s.OutputFilePath, "");
        }
    }
}

// A log saved as UTF-16 gives, with "accept every satellite system", what
// its 8-bit text gives, in one pass (a later part could not tell where its
// units start).
TEST(LogParts, Utf16LogsGiveWhatTheirTextGives) {
    PartsRule onePass;
    onePass.fromBytes = UINT64_MAX;
    PartsRule parts;
    parts.fromBytes = 1;
    const std::vector<Log> logs = GeneratedLogs();
    for (std::size_t i = 0; i < logs.size(); i += 5) {
        if (logs[i].name == "walk.gpx") continue;  // GPX is read through its copy, as bytes
        const Observed expected = Observe(logs[i], onePass, true);
        for (const bool bigEndian : {false, true}) {
            SCOPED_TRACE(logs[i].name + (bigEndian ? " big endian " : " little endian ") + std::to_string(i));
            const Observed seen = Observe({logs[i].name, test::Utf16(logs[i].text, bigEndian)}, parts, true);
            EXPECT_EQ(seen.text, expected.text);
            EXPECT_FALSE(seen.analysisInParts || seen.summaryInParts);
            for (const auto& [run, inParts] : seen.runsInParts) EXPECT_FALSE(inParts) << run;
        }
    }
}

// Whatever goes wrong with the later part, the outcome is the one pass's,
// from the state the run was given (a GPX run's point state too).
TEST(LogParts, AFailingLaterPartEndsAsOnePass) {
    PartsRule onePass;
    onePass.fromBytes = UINT64_MAX;
    std::vector<Log> logs = GeneratedLogs();
    for (const PartsRule::Fault fault : {PartsRule::Fault::CannotStart, PartsRule::Fault::Fails}) {
        PartsRule parts;
        parts.fromBytes = 1;
        parts.fault = fault;
        for (std::size_t i = 0; i < logs.size(); i += 5) {
            SCOPED_TRACE(logs[i].name + " with fault " + std::to_string(static_cast<int>(fault)));
            const Observed expected = Observe(logs[i], onePass);
            const Observed seen = Observe(logs[i], parts);
            EXPECT_EQ(seen.text, expected.text);
            EXPECT_FALSE(seen.analysisInParts || seen.summaryInParts);
            for (const auto& [run, inParts] : seen.runsInParts) EXPECT_FALSE(inParts) << run;
        }
    }
}

#if defined(__linux__)
// The later part's thread starts off its maker's processor and may then go
// to any processor its maker may: placed, it is not kept there.
TEST(LogParts, APlacedThreadMayGoAnywhereOnceStarted) {
    cpu_set_t maker;
    ASSERT_EQ(sched_getaffinity(0, sizeof maker, &maker), 0);
    platform::ThreadPlacement placement;
    cpu_set_t started;
    CPU_ZERO(&started);
    std::thread thread([&] {
        placement.Started();
        pthread_getaffinity_np(pthread_self(), sizeof started, &started);
    });
    placement.KeepOffMine(thread);
    thread.join();
    EXPECT_TRUE(CPU_EQUAL(&started, &maker)) << CPU_COUNT(&started) << " of " << CPU_COUNT(&maker) << " processors";
}
#endif

// Many more records than drawing points: the parts' thinned drawings join
// into the very points one pass keeps, also where one part's records lie
// denser than the other's (its buckets narrower) and where the joined
// buckets need no further thinning (the bucket the split falls in then
// joins its two parts' extremes itself).
TEST(LogParts, DrawingPointsDoNotDependOnTheParts) {
    std::mt19937 random(7);
    const struct {
        int records;
        int sparseFrom, sparseTo;  // records among these are far apart
        bool ties = false;         // latitudes and longitudes of a few values only
    } logs[] = {{9000, 0, 0},       {3000, 1500, 3000}, {3000, 0, 1500},       {1300, 1200, 1300},
                {1400, 1280, 1400}, {9000, 0, 0, true}, {5000, 0, 2500, true}};
    for (const auto& log : logs) {
        SCOPED_TRACE(log.records);
        std::vector<std::string> lines;
        std::string comment(401, 'x');
        comment[0] = 'L';
        int record = 0;
        for (std::string& line : IgcLines(random, log.records)) {
            const bool fix = line[0] == 'B';
            if (line == "HFDTE170807") continue;  // undated, see below
            if (fix && log.ties) {
                static const char* const kMinutes[] = {"00000", "30000", "59999"};
                line.replace(9, 5, kMinutes[Pick(random, 3)]);
                line.replace(18, 5, kMinutes[Pick(random, 3)]);
            }
            lines.push_back(std::move(line));
            if (fix && record >= log.sparseFrom && record < log.sparseTo) lines.push_back(comment);
            record += fix;
        }
        // Undated: a recording of days whose pace changes cannot date its
        // later part, which would leave the summary to one pass.
        lines[1] = "HFDTE000000";
        TempDir dir;
        Settings s;
        s.InputFilePath = dir.File("flight.igc");
        WriteFile(s.InputFilePath, Joined(lines, Ends::CrLf));
        ASSERT_FALSE(AnalyzeInput(s).failed);
        std::string error;
        TrackSummary parts, onePass;
        s.Parts.fromBytes = 1;
        ASSERT_TRUE(ComputeTrackSummary(s, parts, error)) << error;
        s.Parts.fromBytes = UINT64_MAX;
        ASSERT_TRUE(ComputeTrackSummary(s, onePass, error)) << error;
        EXPECT_TRUE(parts.inParts);
        EXPECT_LE(onePass.polyline.size(), kMaxDrawingPoints);
        if (log.records >= 3000) {
            EXPECT_LT(onePass.polyline.size(), static_cast<std::size_t>(onePass.records));
        }
        // The first point that differs, then the whole.
        for (std::size_t i = 0; i < std::min(parts.polyline.size(), onePass.polyline.size()); ++i) {
            if (parts.polyline[i].index != onePass.polyline[i].index) {
                ADD_FAILURE() << "drawing point " << i << " is record " << parts.polyline[i].index
                              << " in parts, record " << onePass.polyline[i].index << " in one pass";
                break;
            }
        }
        EXPECT_EQ(Described(parts), Described(onePass));
        EXPECT_EQ(TrackSvg(DrawingOf(parts, "preview")), TrackSvg(DrawingOf(onePass, "preview")));
    }
}

}  // namespace
}  // namespace torvane
