#include "output/number_pattern.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "convert/read/text_scan.h"
#include "number_oracle.h"
#include "output/coordinate_text.h"

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
    // Up to four digits before the point are written apart from longer ones.
    EXPECT_EQ(Format(9999.994, patterns::TableAltitude), "  9999.99");
    EXPECT_EQ(Format(9999.995, patterns::TableAltitude), "  10000.00");
    EXPECT_EQ(Format(-9999.94, patterns::KmlAltitude), " -9999.9");
    EXPECT_EQ(Format(-9999.95, patterns::KmlAltitude), " -10000.0");
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

// Seeded, so that every run checks the same values; a failure names the
// value, which can then become a row above.
constexpr std::uint64_t kOracleSeed = 20261208;
constexpr int kOracleRounds = 10000;

// A double of one of the kinds where rounding goes wrong: any bit pattern;
// magnitudes from 1e-9 to 1e17 spread evenly on a log scale; values a few
// units of the last place beside a decimal half-way point; exact binary ties.
double RandomValue(std::mt19937_64& random, int decimals) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double sign = random() % 2 == 0 ? 1.0 : -1.0;
    const double scale = std::pow(10.0, decimals);
    switch (random() % 4) {
        case 0: return std::bit_cast<double>(random());
        case 1: return sign * std::pow(10.0, -9.0 + 26.0 * unit(random));
        case 2: {
            const double n = std::floor(std::pow(10.0, 8.0 * unit(random)));
            double value = (n + 0.5) / scale;
            for (int steps = static_cast<int>(random() % 7) - 3; steps != 0; steps += steps > 0 ? -1 : 1) {
                value = std::nextafter(value, steps > 0 ? INFINITY : 0.0);
            }
            return sign * value;
        }
        default: {
            // n + 5^d (2i + 1) / 2^(d + 1) is exactly half-way at d decimals.
            const double five = std::pow(5.0, decimals);
            const double odd = static_cast<double>(2 * (random() % 64) + 1);
            const double fraction = std::fmod(five * odd, std::ldexp(1.0, decimals + 1));
            return sign * (static_cast<double>(random() % 100000) + fraction / std::ldexp(1.0, decimals + 1));
        }
    }
}

// Text that a field may hold: blanks, a sign, up to 24 digits with perhaps a
// point, and a tail that stops the number.
std::string RandomNumberText(std::mt19937_64& random) {
    static constexpr std::string_view kTails[] = {"", "*6E", ",N", ".5", "e5", "-1", " 7"};
    std::string text(random() % 3, ' ');
    if (random() % 3 == 0) text += random() % 2 == 0 ? '-' : '+';
    const int digits = static_cast<int>(random() % 25);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;  // -1: none
    for (int i = 0; i < digits; ++i) {
        if (i == point) text += '.';
        text += static_cast<char>('0' + random() % 10);
    }
    return text += kTails[random() % std::size(kTails)];
}

TEST(NumberPattern, AgreesWithTheExactRoundingOracle) {
    std::mt19937_64 random(kOracleSeed);
    int failures = 0;
    for (int round = 0; round < kOracleRounds && failures < 10; ++round) {
        for (const NumberPattern* pattern : oracle::kAllPatterns) {
            const double value = RandomValue(random, pattern->decimals);
            const std::string expected = oracle::PatternText(value, *pattern);
            const std::string written = Format(value, *pattern);
            if (written != expected) ++failures;
            EXPECT_EQ(written, expected) << std::hexfloat << value << " (seed " << kOracleSeed << ")";
        }
    }
}

TEST(CoordinateText, DegreesAgreeWithTheExactRoundingOracle) {
    // The seven decimals of the dated outputs against the exact rounding,
    // on values beside decimal half-way points and on both sides of the
    // bound where the general formatter takes over.
    constexpr NumberPattern kDegrees{"", "-", false, 1, 7};
    const auto expected = [&](double value, bool longitude) {
        std::string text = oracle::PatternText(value, kDegrees);
        if (text == "-0.0000000") text.erase(0, 1);
        if (longitude && text == "180.0000000") text.insert(0, 1, '-');
        return text;
    };
    std::mt19937_64 random(kOracleSeed);
    int failures = 0;
    for (int round = 0; round < 20 * kOracleRounds && failures < 10; ++round) {
        double value = RandomValue(random, 7);
        if (round % 2 == 0) value = std::fmod(value, 1000.0);
        if (std::isnan(value)) continue;
        const bool longitude = round % 3 == 0;
        std::string written;
        AppendDegrees(written, value, longitude);
        if (written != expected(value, longitude)) ++failures;
        EXPECT_EQ(written, expected(value, longitude)) << std::hexfloat << value;
    }
    for (const double value : {899.99999995, 900.0, -899.99999994999, 0.00000005, -0.00000005, 179.99999995}) {
        std::string written;
        AppendDegrees(written, value, true);
        EXPECT_EQ(written, expected(value, true)) << value;
    }
}

TEST(AltitudeText, IsTheShortestTextThatReadsBack) {
    // Every altitude of up to two decimals from -5000 to 100000 m (the
    // written ones and the library's beyond), and floats of every kind.
    const auto expected = [](float metres) {
        char buffer[64];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, metres).ptr);
    };
    const auto written = [](float metres) {
        std::string text;
        AppendAltitude(text, metres);
        return text;
    };
    int failures = 0;
    for (int hundredths = -500000; hundredths <= 10000000 && failures < 10; hundredths += 11) {
        const float metres = static_cast<float>(hundredths / 100.0);
        if (written(metres) != expected(metres)) ++failures;
        EXPECT_EQ(written(metres), expected(metres)) << hundredths;
    }
    std::mt19937_64 random(kOracleSeed);
    for (int round = 0; round < 200 * kOracleRounds && failures < 20; ++round) {
        const auto bits = static_cast<std::uint32_t>(random());
        float metres;
        std::memcpy(&metres, &bits, sizeof metres);
        // Half of them brought to 1 to 2^20 in size, where altitudes lie.
        if (round % 2 == 0 && std::isnormal(metres)) {
            metres = std::ldexp(metres, -std::ilogb(metres) + static_cast<int>(random() % 20));
        }
        if (written(metres) != expected(metres)) ++failures;
        EXPECT_EQ(written(metres), expected(metres)) << std::hexfloat << metres;
    }
    for (const float metres : {0.0f, -0.0f, 1e5f, -1e5f, 99999.99f, 0.01f, 0.005f}) {
        EXPECT_EQ(written(metres), expected(metres)) << metres;
    }
}

TEST(LeadingNumber, AgreesWithTheCorrectlyRoundedReading) {
    std::mt19937_64 random(kOracleSeed);
    int failures = 0;
    for (int round = 0; round < 50 * kOracleRounds && failures < 10; ++round) {
        const std::string text = RandomNumberText(random);
        const double value = LeadingNumber(text);
        const double expected = oracle::LeadingNumberValue(text);
        if (!oracle::SameLeadingNumber(value, expected)) ++failures;
        EXPECT_TRUE(oracle::SameLeadingNumber(value, expected))
            << '"' << text << "\" gives " << value << ", not " << expected << " (seed " << kOracleSeed << ")";
    }
}

}  // namespace
}  // namespace torvane
