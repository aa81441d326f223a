#include "output/number_pattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace torvane {
namespace {

struct Case {
    double value;
    const NumberPattern* pattern;
    const char* expected;
};

std::string Format(double value, const NumberPattern& pattern) {
    std::string text;
    AppendNumber(text, value, pattern);
    return text;
}

TEST(NumberPattern, WritesEachPatternWithItsSections) {
    const Case cases[] = {
        {36930, &patterns::TableTime, " 036930.00"},
        {36930.55, &patterns::TableTime, " 036930.55"},
        {47.39093333, &patterns::Latitude, "  47.3909333"},
        {-33.8688, &patterns::Latitude, " -33.8688000"},
        {8.53538333, &patterns::TableLongitude, "  008.5353833"},
        {123.4, &patterns::TableLongitude, "  123.4000000"},
        {-151.2093, &patterns::TableLongitude, " -151.2093000"},
        {432.5, &patterns::TableAltitude, "  0432.50"},
        {-12.5, &patterns::TableAltitude, " -0012.50"},
        {8.53538333, &patterns::KmlLongitude, "  008.53538333"},
        {-151.2093, &patterns::KmlLongitude, " -151.20930000"},
        {432.5, &patterns::KmlAltitude, "  432.5"},
        {-12.5, &patterns::KmlAltitude, " -012.5"},
        {8.53538333, &patterns::OvlLongitude, "8.53538333"},
        {-151.2093, &patterns::OvlLongitude, " -151.20930000"},
        {47.39093333, &patterns::OvlLatitude, "47.3909333"},
        {-33.8688, &patterns::OvlLatitude, "-33.8688000"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.value, *c.pattern), c.expected) << c.value;
}

TEST(NumberPattern, HashPatternsWriteNoDigitBeforeThePointBelowOne) {
    EXPECT_EQ(Format(0.5, patterns::OvlLongitude), ".50000000");
    EXPECT_EQ(Format(-0.5, patterns::OvlLongitude), " -.50000000");
    EXPECT_EQ(Format(0, patterns::OvlLatitude), ".0000000");
    EXPECT_EQ(Format(-0.25, patterns::OvlLatitude), "-.2500000");
    // Rounding up to 1 brings the digit back.
    EXPECT_EQ(Format(0.99999999999, patterns::OvlLatitude), "1.0000000");
}

TEST(NumberPattern, IntegerPartsLongerThanThePatternAreWrittenInFull) {
    EXPECT_EQ(Format(1234567, patterns::TableTime), " 1234567.00");
    EXPECT_EQ(Format(12345.5, patterns::KmlAltitude), "  12345.5");
    EXPECT_EQ(Format(1e20, patterns::TableTime), " 100000000000000000000.00");
    EXPECT_EQ(Format(-1e300, patterns::Latitude).size(), 2 + 301 + 8u);
}

TEST(NumberPattern, RoundsHalfAwayFromZeroOnTheExactBinaryValue) {
    EXPECT_EQ(Format(12.25, patterns::KmlAltitude), "  012.3");    // exact tie
    EXPECT_EQ(Format(-12.25, patterns::KmlAltitude), " -012.3");
    EXPECT_EQ(Format(0.125, patterns::TableTime), " 000000.13");   // exact tie
    EXPECT_EQ(Format(0.15, patterns::KmlAltitude), "  000.1");     // 0.1499... in binary
    EXPECT_EQ(Format(2.675, patterns::TableAltitude), "  0002.67");  // 2.67499... in binary
    EXPECT_EQ(Format(5e-8, patterns::OvlLatitude), ".0000000");     // 4.99...e-8 in binary
    EXPECT_EQ(Format(9.99999999999, patterns::Latitude), "  10.0000000");
    // Magnitudes beyond the fast path, with exact ties.
    EXPECT_EQ(Format(2251799813685248.5, patterns::TableTime), " 2251799813685248.50");
    EXPECT_EQ(Format(562949953421312.25, patterns::KmlAltitude), "  562949953421312.3");
    EXPECT_EQ(Format(99999999999999.95, patterns::KmlAltitude), "  100000000000000.0");
}

TEST(NumberPattern, SectionFollowsTheSignBeforeRounding) {
    EXPECT_EQ(Format(-0.0, patterns::Latitude), "  00.0000000");
    EXPECT_EQ(Format(-1e-9, patterns::Latitude), " -00.0000000");
    EXPECT_EQ(Format(-1e-9, patterns::OvlLatitude), "-.0000000");
    // One-section pattern: the sign stands before the whole text.
    EXPECT_EQ(Format(-3600, patterns::TableTime), "- 003600.00");
}

TEST(NumberPattern, InfinityAndNanReplaceTheDigits) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Format(inf, patterns::Latitude), "  inf");
    EXPECT_EQ(Format(-inf, patterns::Latitude), " -inf");
    EXPECT_EQ(Format(-inf, patterns::TableTime), "- inf");
    EXPECT_EQ(Format(std::nan(""), patterns::OvlLongitude), "nan");
    EXPECT_EQ(Format(std::numeric_limits<double>::denorm_min(), patterns::OvlLatitude), ".0000000");
    EXPECT_EQ(Format(std::numeric_limits<double>::max(), patterns::TableTime).size(), 1 + 309 + 3u);
}

}  // namespace
}  // namespace torvane
