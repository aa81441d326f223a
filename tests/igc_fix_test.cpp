#include "convert/read/igc_fix.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "convert/write/path_line.h"
#include "log_run.h"
#include "test_files.h"

namespace torvane {
namespace {

constexpr std::string_view kFix = "B1012345307123N00852345EA0012300150";

// The record with the characters from 1-based `position` replaced by `text`.
std::string Patched(std::string_view record, int position, std::string_view text) {
    std::string out(record);
    out.replace(static_cast<std::size_t>(position - 1), text.size(), text);
    return out;
}

// A fix read with `options`: its record, and the line a table's, KML
// path's or overlay's writer gives it.
struct Fix {
    Record r;
    std::string line;
};

Fix Converted(std::string_view record, OutputKind kind = OutputKind::Table, const RunOptions& options = {},
              std::int64_t pointNumber = 0) {
    Fix f;
    ReadIgcFix(options, f.r, record);
    ComposePathLine(f.line, kind, f.r, pointNumber, false);
    return f;
}

TEST(IgcFix, WorkedExampleInEveryOutputType) {
    Fix s = Converted(kFix);
    EXPECT_NEAR(s.r.position.latitude, 53 + 7.123 / 60, 1e-12);
    EXPECT_NEAR(s.r.position.longitude, 8 + 52.345 / 60, 1e-12);
    EXPECT_EQ(s.r.position.altitude, 123.0f);
    EXPECT_FALSE(s.r.invalid);
    EXPECT_EQ(s.line, " 036754.00  53.1187167  008.8724167  0123.00");

    EXPECT_EQ(Converted(kFix, OutputKind::KML).line, "  008.87241667,53.1187167,123.0");

    EXPECT_EQ(Converted(kFix, OutputKind::OVL, {}, 7).line, "XKoord7=8.87241667\nYKoord7=53.1187167");

    EXPECT_EQ(Converted(kFix, OutputKind::None).line, "");
}

TEST(IgcFix, HemisphereLettersIncludingLowerCase) {
    struct Case {
        char latitudeLetter, longitudeLetter;
        double latitudeSign, longitudeSign;
    };
    for (const Case c : {Case{'N', 'E', 1, 1}, Case{'S', 'W', -1, -1}, Case{'s', 'w', -1, -1},
                         Case{'n', 'W', 1, -1}, Case{'S', 'e', -1, 1}, Case{'X', '?', 1, 1}}) {
        std::string record = Patched(kFix, 15, std::string(1, c.latitudeLetter));
        record = Patched(record, 24, std::string(1, c.longitudeLetter));
        const Fix s = Converted(record);
        SCOPED_TRACE(record);
        EXPECT_NEAR(s.r.position.latitude, c.latitudeSign * 53.11871667, 5e-9);
        EXPECT_NEAR(s.r.position.longitude, c.longitudeSign * 8.87241667, 5e-9);
    }
    EXPECT_EQ(Converted(Patched(Patched(kFix, 15, "S"), 24, "W")).line,
              " 036754.00 -53.1187167 -008.8724167  0123.00");
}

TEST(IgcFix, PressureAltitudeOnly) {
    struct Case {
        std::string_view pressureAndGnss;  // positions 26 to 35
        float altitude;
        std::string_view tableLine;
    };
    for (const Case c : {Case{"-001200150", -12, " 036754.00  53.1187167  008.8724167 -0012.00"},
                         Case{"0000001500", 0, " 036754.00  53.1187167  008.8724167  0000.00"},
                         Case{"09999-0001", 9999, " 036754.00  53.1187167  008.8724167  9999.00"},
                         Case{"  42 00150", 42, " 036754.00  53.1187167  008.8724167  0042.00"}}) {
        const Fix s = Converted(Patched(kFix, 26, c.pressureAndGnss));
        EXPECT_EQ(s.r.position.altitude, c.altitude) << c.pressureAndGnss;
        EXPECT_EQ(s.line, c.tableLine);
    }
}

TEST(IgcFix, GnssAltitudeWhenChosen) {
    struct Case {
        std::string_view pressureAndGnss;  // positions 26 to 35
        float altitude;
    };
    for (const Case c : {Case{"0012300150", 150}, Case{"00123-0012", -12}, Case{"00123", 0},
                         Case{"00123     ", 0}}) {
        RunOptions o;
        o.IgcGnssAltitude = true;
        const Fix s = Converted(Patched(kFix, 26, c.pressureAndGnss).substr(0, 25 + c.pressureAndGnss.size()),
                                OutputKind::Table, o);
        EXPECT_EQ(s.r.position.altitude, c.altitude) << c.pressureAndGnss;
    }
}

TEST(IgcFix, AltitudeManipulationLeavesTheFixAloneForValueZero) {
    struct Case {
        int mode;
        float value;
        float altitude;
    };
    for (const Case c : {Case{1, 100, 223}, Case{2, 500, 500}, Case{1, 0, 123}, Case{2, 0, 123},
                         Case{0, 300, 123}, Case{1, -1000, -877}, Case{1, 0.1f, 123.1f}}) {
        RunOptions o;
        o.AltitudeMode = static_cast<AltitudeMode>(c.mode);
        o.AltitudeValue = c.value;
        const Fix s = Converted(kFix, OutputKind::KML, o);
        EXPECT_EQ(s.r.position.altitude, c.altitude) << "mode " << c.mode << " value " << c.value;
    }
}

TEST(IgcFix, RangeMarksWithoutMinuteChecks) {
    // Minutes 99999 are 99.999' and simply added.
    Fix s = Converted(Patched(kFix, 10, "99999"));
    EXPECT_NEAR(s.r.position.latitude, 53 + 1.66665, 1e-12);
    EXPECT_FALSE(s.r.invalid);

    s = Converted(Patched(kFix, 8, "95"));
    EXPECT_TRUE(s.r.invalid);
    EXPECT_EQ(s.line, " 036754.00  95.1187167  008.8724167  0123.00");

    s = Converted(Patched(Patched(kFix, 16, "180"), 19, "00001"));
    EXPECT_TRUE(s.r.invalid);
    s = Converted(Patched(Patched(kFix, 8, "90"), 10, "00000"));
    EXPECT_FALSE(s.r.invalid);
    EXPECT_EQ(s.r.position.latitude, 90);
}

TEST(IgcFix, ShortAndGarbledRecordsReadMissingFieldsAsZero) {
    struct Case {
        std::string_view record;
        std::string_view tableLine;
    };
    for (const Case c : {
             Case{"B1012345307123N00852345EA", " 036754.00  53.1187167  008.8724167  0000.00"},
             Case{"B1012345307123N008", " 036754.00  53.1187167  008.0000000  0000.00"},
             Case{"B10123453", " 036754.00  53.0000000  000.0000000  0000.00"},
             Case{"B", " 000000.00  00.0000000  000.0000000  0000.00"},
             Case{"", " 000000.00  00.0000000  000.0000000  0000.00"},
             Case{"B10XX345307123N00852345EA0012300150", " 036034.00  53.1187167  008.8724167  0123.00"},
             Case{"B1012345307.23N00852345EA0012300150", " 036754.00  53.0001205  008.8724167  0123.00"},
             Case{"B1012345307123N008523X5EA0012300150", " 036754.00  53.1187167  008.0087167  0123.00"},
             // The longitude's last digit is the record's 23rd byte: cut there, or just after.
             Case{"B1012345307123N0085234", " 036754.00  53.1187167  008.0872333  0000.00"},
             Case{"B1012345307123N00852345", " 036754.00  53.1187167  008.8724167  0000.00"},
         }) {
        const Fix s = Converted(c.record);
        EXPECT_EQ(s.line, c.tableLine) << c.record;
    }
}

// Whole files, from the analysis to the written output.
class IgcFile : public ::testing::Test, protected test::LogRun {
protected:
    std::string Convert(std::string_view name, std::string_view text, OutputKind kind, bool eliminate) {
        return LogRun::Convert(name, text, DataKind::GPIGC, kind, eliminate);
    }
};

// Header, task, event and extension records around fixes; one "V" fix, a
// fix at 0/0, a fix out of range, and fixes with extensions after column 35.
constexpr std::string_view kFlight =
    "AXXXABC flight recorder\r\n"
    "HFDTE150807\r\n"
    "HFPLTPILOTINCHARGE: Jane Doe\r\n"
    "HFGIDGLIDERID: D-1234\r\n"
    "HFPRSPRESSALTSENSOR: test\r\n"
    "I023638FXA3940SIU\r\n"
    "C150807101200000000000102\r\n"
    "B1012345307123N00852345EA0012300150\r\n"
    "B1012355307123N00852345EV0012300150\r\n"
    "E101236PEV\r\n"
    "B1012375307200S00852400WA-001200150012\r\n"
    "B1012380000000N00000000EA0000000000\r\n"
    "B1012399507123N00852345EA0012300150\r\n"
    "LXXXcomment B record\r\n"
    "b1012405307123N00852345EA0012300150\r\n"
    "G0123456789ABCDEF";

TEST_F(IgcFile, TableWithoutEliminationWritesEveryValidFix) {
    const std::string out = Convert("flight.igc", kFlight, OutputKind::Table, false);
    EXPECT_EQ(s.OutputFilePath, dir.File("flight_IGC.prn"));
    EXPECT_EQ(out,
              " 036754.00  53.1187167  008.8724167  0123.00\r\n"
              " 036757.00 -53.1200000 -008.8733333 -0012.00\r\n"
              " 036758.00  00.0000000  000.0000000  0000.00\r\n"
              " 036759.00  95.1187167  008.8724167  0123.00\r\n");
    EXPECT_EQ(report.count, 4);
    EXPECT_EQ(s.DetectedRecordCount, 4);
}

TEST_F(IgcFile, TableWithEliminationDropsZeroAndOutOfRangeFixes) {
    const std::string out = Convert("flight.igc", kFlight, OutputKind::Table, true);
    EXPECT_EQ(out,
              " 036754.00  53.1187167  008.8724167  0123.00\r\n"
              " 036757.00 -53.1200000 -008.8733333 -0012.00\r\n");
    EXPECT_EQ(report.count, 2);
}

TEST_F(IgcFile, LfOnlyFileWithDecimalComma) {
    std::string text(kFlight);
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
    s.UseDecimalComma = true;
    const std::string out = Convert("flight.IGC", text, OutputKind::Table, true);
    EXPECT_EQ(out,
              " 036754,00  53,1187167  008,8724167  0123,00\r\n"
              " 036757,00 -53,1200000 -008,8733333 -0012,00\r\n");
}

TEST_F(IgcFile, KmlAndOvlRecordLines) {
    const std::string kml = Convert("flight.igc", kFlight, OutputKind::KML, true);
    EXPECT_NE(kml.find("<coordinates>\r\n"
                       "  008.87241667,53.1187167,123.0\r\n"
                       " -008.87333333,-53.1200000,-012.0\r\n"
                       "        </coordinates>\n"),
              std::string::npos)
        << kml;

    // Without elimination the "XKoord" entry ends in a bare LF; with it, the
    // point-count correction rewrites every line with CR LF.
    const std::string kept = Convert("flight.igc", kFlight, OutputKind::OVL, false);
    EXPECT_NE(kept.find("\r\nXKoord0=8.87241667\nYKoord0=53.1187167\r\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("\r\nXKoord3=8.87241667\nYKoord3=95.1187167\r\n"), std::string::npos) << kept;

    const std::string ovl = Convert("flight.igc", kFlight, OutputKind::OVL, true);
    EXPECT_NE(ovl.find("\r\nXKoord0=8.87241667\r\nYKoord0=53.1187167\r\n"
                       "XKoord1= -8.87333333\r\nYKoord1=-53.1200000\r\n"),
              std::string::npos)
        << ovl;
    EXPECT_EQ(ovl.find("XKoord2"), std::string::npos);
}

}  // namespace
}  // namespace torvane
