#include "output/position_line.h"

#include <gtest/gtest.h>

#include <string>

namespace torvane {
namespace {

// The line as the record loop writes it.
std::string Line(OutputKind kind, const PositionRecord& record, std::int64_t point = 0, bool decimalComma = false) {
    std::string line;
    ComposeRecordLine(line, kind, record, point);
    PostProcessLine(line, decimalComma);
    return line;
}

const PositionRecord kZurich{36930, 47.39093333, 8.53538333, 432.5, true};
const PositionRecord kSydney{36930, -33.8688, -151.2093, 432.5, true};

TEST(PositionLine, ComposesEachOutputType) {
    EXPECT_EQ(Line(OutputKind::Table, kZurich), " 036930.00  47.3909333  008.5353833  0432.50");
    EXPECT_EQ(Line(OutputKind::Table, kZurich, 0, true), " 036930,00  47,3909333  008,5353833  0432,50");
    EXPECT_EQ(Line(OutputKind::KML, kZurich), "  008.53538333,47.3909333,432.5");
    EXPECT_EQ(Line(OutputKind::OVL, kZurich), "XKoord0=8.53538333\nYKoord0=47.3909333");
    EXPECT_EQ(Line(OutputKind::None, kZurich), "");

    EXPECT_EQ(Line(OutputKind::Table, kSydney), " 036930.00 -33.8688000 -151.2093000  0432.50");
    EXPECT_EQ(Line(OutputKind::OVL, kSydney, 12), "XKoord12= -151.20930000\nYKoord12=-33.8688000");
    PositionRecord rmc = kSydney;
    rmc.altitude = 0;
    rmc.tableAltitude = false;
    EXPECT_EQ(Line(OutputKind::KML, rmc), " -151.20930000,-33.8688000,000.0");
    EXPECT_EQ(Line(OutputKind::Table, rmc), " 036930.00 -33.8688000 -151.2093000");
}

TEST(PositionLine, OverlayPointBelowOneDegreeHasNoLeadingDigit) {
    EXPECT_EQ(Line(OutputKind::OVL, {0, 0.25, 0.5, 0, true}, 7), "XKoord7=.50000000\nYKoord7=.2500000");
}

// Lines as ComposeRecordLine leaves them: "." in numbers, the field separator in KML.
TEST(PositionLine, PostProcessingTurnsTheFieldSeparatorIntoACommaAndWithDecimalCommaThePoints) {
    std::string line = "1.5\xA7 2.5\xA7" "3";
    PostProcessLine(line, false);
    EXPECT_EQ(line, "1.5, 2.5,3");
    line = "1.5\xA7 2.5\xA7" "3";
    PostProcessLine(line, true);
    EXPECT_EQ(line, "1,5, 2,5,3");
}

TEST(PositionLine, AltitudeManipulation) {
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::NeverSet, 50), 123);
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::Add, 50), 173);
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::Add, 0), 123);
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::SetFixed, 250), 250);
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::SetFixed, 0), 0);
    EXPECT_EQ(ApplyAltitudeManipulation(123, AltitudeMode::NeverSet, 0), 123);
}

TEST(PositionLine, WriteTests) {
    // Without elimination everything is written by the standard rule.
    EXPECT_TRUE(PassesWriteTest(false, true, 0, 0));
    EXPECT_FALSE(PassesWriteTest(true, true, 47, 8));
    EXPECT_FALSE(PassesWriteTest(true, false, 0, 0));
    EXPECT_TRUE(PassesWriteTest(true, false, 0, 8));
    EXPECT_TRUE(PassesWriteTest(true, false, 47, 0));
    // GPX: an invalid line is never written.
    EXPECT_FALSE(PassesGpxWriteTest(false, true, 47, 8));
    EXPECT_TRUE(PassesGpxWriteTest(false, false, 0, 0));
    EXPECT_FALSE(PassesGpxWriteTest(true, false, 0, 0));
}

TEST(PositionLine, OverlayCentre) {
    OverlayBounds bounds;
    std::string lat = "old", lon = "old";
    FormatOverlayCenter(bounds, lat, lon);
    EXPECT_EQ(lat, "");
    EXPECT_EQ(lon, "");

    bounds.Include(47.5, 8.25);
    FormatOverlayCenter(bounds, lat, lon);
    EXPECT_EQ(lat, "47.5000000");  // a one-point track: the point itself
    EXPECT_EQ(lon, "8.2500000");

    bounds.Include(-33.5, -151.25);
    bounds.Include(10, 0);
    FormatOverlayCenter(bounds, lat, lon);
    EXPECT_EQ(lat, "7.0000000");
    EXPECT_EQ(lon, "-71.5000000");
}

}  // namespace
}  // namespace torvane
