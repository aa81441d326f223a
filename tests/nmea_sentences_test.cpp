#include "convert/read/nmea_sentences.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/read/text_scan.h"
#include "convert/write/path_line.h"
#include "number_oracle.h"
#include "sample_logs.h"

namespace torvane {
namespace {

const char* const kGga = test::kExampleGga.c_str();
const char* const kGll = test::kExampleGll.c_str();
const char* const kRmc = test::kExampleRmc.c_str();

using Converter = void (*)(const RunOptions&, Record&, std::string_view);

// The options of a run, the record a reader fills and the line a table's,
// KML path's or overlay's writer gives it.
struct Lines {
    Settings o;
    Record r;
    std::string line;
};

// Reads one line as the record loop does (without its pre-checks) and
// returns the line written for it.
std::string Convert(Lines& s, Converter read, std::string_view line) {
    s.r.Begin();
    read(s.o, s.r, line);
    ComposePathLine(s.line, s.o.OutputType, s.r, 0, s.o.UseDecimalComma);
    return s.line;
}

Lines WithOutput(OutputKind kind) {
    Lines s;
    s.o.OutputType = kind;
    return s;
}

TEST(NmeaSentences, GgaWorkedExample) {
    Lines s = WithOutput(OutputKind::Table);
    EXPECT_EQ(Convert(s, ReadGgaSentence, kGga), " 036930.00  47.3909333  008.5353833  0432.50");
    EXPECT_FALSE(s.r.invalid);
    EXPECT_FLOAT_EQ(s.r.position.altitude, 432.5f);

    s.o.OutputType = OutputKind::KML;
    EXPECT_EQ(Convert(s, ReadGgaSentence, kGga), "  008.53538333,47.3909333,432.5");
    s.o.OutputType = OutputKind::OVL;
    EXPECT_EQ(Convert(s, ReadGgaSentence, kGga), "XKoord0=8.53538333\nYKoord0=47.3909333");
}

TEST(NmeaSentences, GllAndRmcGiveTheSameLinesWithoutAltitude) {
    for (const auto& [convert, line] : {std::pair<Converter, const char*>{ReadGllSentence, kGll}, std::pair<Converter, const char*>{ReadRmcSentence, kRmc}}) {
        Lines s = WithOutput(OutputKind::Table);
        EXPECT_EQ(Convert(s, convert, line), " 036930.00  47.3909333  008.5353833") << line;
        s.o.OutputType = OutputKind::KML;
        EXPECT_EQ(Convert(s, convert, line), "  008.53538333,47.3909333,000.0") << line;
        EXPECT_FALSE(s.r.invalid);
    }
}

TEST(NmeaSentences, AltitudeManipulationByKind) {
    Lines s = WithOutput(OutputKind::KML);
    s.o.AltitudeMode = AltitudeMode::Add;
    s.o.AltitudeValue = 50;
    EXPECT_EQ(Convert(s, ReadGllSentence, kGll), "  008.53538333,47.3909333,050.0");
    EXPECT_EQ(Convert(s, ReadGgaSentence, kGga), "  008.53538333,47.3909333,482.5");
    s.o.AltitudeMode = AltitudeMode::SetFixed;
    s.o.AltitudeValue = 250;
    EXPECT_EQ(Convert(s, ReadGllSentence, kGll), "  008.53538333,47.3909333,250.0");
    EXPECT_EQ(Convert(s, ReadGgaSentence, kGga), "  008.53538333,47.3909333,250.0");
    // RMC records carry no altitude: always 0, and none given.
    EXPECT_EQ(Convert(s, ReadRmcSentence, kRmc), "  008.53538333,47.3909333,000.0");
    EXPECT_FALSE(s.r.position.altitudeGiven);
}

TEST(NmeaSentences, AltitudeIsHeldAsFloatBeforeFormatting) {
    Lines s = WithOutput(OutputKind::Table);
    // 1000.005 is 1000.00499... as a double but 1000.00500488... as a float.
    Convert(s, ReadGgaSentence, "$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,1000.005,M,48.0,M,,*6E");
    EXPECT_EQ(s.r.position.altitude, 1000.005f);
    EXPECT_EQ(s.line, " 036930.00  47.3909333  008.5353833  1000.01");
}

TEST(NmeaSentences, FieldChecksFailInEachKindsOrderAndKeepThePreviousRecord) {
    struct Case {
        Converter convert;
        const char* line;
    };
    const Case failing[] = {
        {ReadGgaSentence, "$GPGGA,1015,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E"},       // time 4
        {ReadGgaSentence, "$GPGGA,101530.00,4723.4,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E"},    // lat 6
        {ReadGgaSentence, "$GPGGA,101530.00,4723.456,N,00832.12,E,1,07,1.2,432.5,M,48.0,M,,*6E"},    // lon 8
        {ReadGgaSentence, "$GPGGA,101530.00,4723.456,N,00832.123,E,1,07,1.2,12,M,48.0,M,,*6E"},      // alt 2
        {ReadGllSentence, "$GPGLL,4723.4,N,00832.1230,E,101530.00,A,A*63"},                           // lat 6
        {ReadGllSentence, "$GPGLL,4723.4560,N,00832.1230,E,A*63"},                                     // no time
        {ReadRmcSentence, "$GPRMC,10153,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67"},          // time 5
        {ReadRmcSentence, "$GPGSV,3,1,12,04,45,123,42,05,30,060,38,09,70,270,45,12,15,320,30*7F"},
    };
    for (const Case& c : failing) {
        Lines s = WithOutput(OutputKind::Table);
        s.r.position.latitude = 1;
        s.r.position.longitude = 2;
        s.r.position.altitude = 3;
        EXPECT_EQ(Convert(s, c.convert, c.line), "") << c.line;
        EXPECT_TRUE(s.r.invalid) << c.line;
        EXPECT_EQ(s.r.position.latitude, 1) << c.line;
        EXPECT_EQ(s.r.position.longitude, 2) << c.line;
        EXPECT_EQ(s.r.position.altitude, 3) << c.line;
    }
    // Every field at exactly its least length converts.
    const Case passing[] = {
        {ReadGgaSentence, "$GPGGA,101530,4723.45,N,00832.123,E,1,07,1.2,432,M,48.0,M,,*6E"},
        {ReadGllSentence, "$GPGLL,4723.45,N,00832.12,E,101530,A,A*63"},
        {ReadRmcSentence, "$GPRMC,101530,A,4723.45,N,00832.12,E,0.5,54.7,071226,,,A*67"},
    };
    for (const Case& c : passing) {
        Lines s = WithOutput(OutputKind::Table);
        EXPECT_NE(Convert(s, c.convert, c.line), "") << c.line;
        EXPECT_FALSE(s.r.invalid) << c.line;
        EXPECT_DOUBLE_EQ(s.r.position.latitude, 47 + 23.45 / 60) << c.line;
        EXPECT_DOUBLE_EQ(s.r.position.timeOfDay, 36930) << c.line;
    }
}

TEST(NmeaSentences, LongitudeOfEightCharactersPassesOnlyInGllAndRmc) {
    Lines s = WithOutput(OutputKind::Table);
    Convert(s, ReadGgaSentence, "$GPGGA,101530.00,4723.4560,N,00832.12,E,1,07,1.2,432.5,M,48.0,M,,*6E");
    EXPECT_TRUE(s.r.invalid);
    EXPECT_EQ(Convert(s, ReadGllSentence, "$GPGLL,4723.4560,N,00832.12,E,101530.00,A,A*63"),
              " 036930.00  47.3909333  008.5353333");
    EXPECT_FALSE(s.r.invalid);
    EXPECT_EQ(Convert(s, ReadRmcSentence, "$GPRMC,101530.00,A,4723.4560,N,00832.12,E,0.5,54.7,071226,,,A*67"),
              " 036930.00  47.3909333  008.5353333");
}

TEST(NmeaSentences, HemispheresRangesAndTimeFractions) {
    Lines s = WithOutput(OutputKind::Table);
    EXPECT_EQ(Convert(s, ReadGgaSentence, "$GPGGA,101530.55,4723.4560,s,00832.1230,w,1,07,1.2,-12.5,M,48.0,M,,*6E"),
              " 036930.55 -47.3909333 -008.5353833 -0012.50");
    EXPECT_FALSE(s.r.invalid);

    // A missing hemisphere letter counts as north and east.
    EXPECT_EQ(Convert(s, ReadGgaSentence, "$GPGGA,101530.00,4723.4560,,00832.1230,,1,07,1.2,0.0,M,48.0,M,,*6E"),
              " 036930.00  47.3909333  008.5353833  0000.00");

    // Out of range: composed, but marked invalid.
    EXPECT_EQ(Convert(s, ReadGgaSentence, "$GPGGA,101530.00,9123.0000,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E"),
              " 036930.00  91.3833333  008.5353833  0432.50");
    EXPECT_TRUE(s.r.invalid);
    Convert(s, ReadRmcSentence, "$GPRMC,101530.00,A,4723.4560,N,18100.0000,E,0.5,54.7,071226,,,A*67");
    EXPECT_TRUE(s.r.invalid);

    // A number too large for its value is unreadable: invalid, no line, for
    // every output type (and no position for the overlay's bounds). 38 nines fit a 32-bit
    // float, 40 do not; a minutes field of 400 digits does not fit a double.
    const std::string nines38(38, '9'), nines40(40, '9'), digits400(400, '9');
    EXPECT_EQ(Convert(s, ReadGgaSentence,
                      "$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2," + nines38 + ",M,48.0,M,,*6E"),
              " 036930.00  47.3909333  008.5353833  99999996802856924650656260769173209088.00");
    EXPECT_FALSE(s.r.invalid);
    for (const OutputKind kind : {OutputKind::Table, OutputKind::KML, OutputKind::OVL}) {
        for (const std::string& line :
             {"$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2," + nines40 + ",M,48.0,M,,*6E",
              "$GPGGA,101530.00,47" + digits400 + ",N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E",
              "$GPRMC,101530.00,A,4723.4560,N,008" + digits400 + ",E,0.5,54.7,071226,,,A*67"}) {
            Lines t = WithOutput(kind);
            EXPECT_EQ(Convert(t, line.rfind("$GPGGA", 0) == 0 ? Converter{ReadGgaSentence} : Converter{ReadRmcSentence}, line), "")
                << line.substr(0, 60);
            EXPECT_TRUE(t.r.invalid);
            EXPECT_FALSE(t.r.hasPosition);
        }
    }
}

TEST(NmeaSentences, AnyLineOfRmcShapeIsConverted) {
    Lines s = WithOutput(OutputKind::Table);
    EXPECT_EQ(Convert(s, ReadRmcSentence, "$GNRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67"),
              " 036930.00  47.3909333  008.5353833");
}

TEST(NmeaSentences, CommaScanRestartsAfterAMissingComma) {
    std::array<int, 16> positions{};
    MarkPositions(ScanMarks("a,b,c", ','), 15, positions);
    const std::array<int, 16> expected{1, 2, 4, 0, 2, 4, 0, 2, 4, 0, 2, 4, 0, 2, 4, 0};
    EXPECT_EQ(positions, expected);
    // The first search starts after position 1: a comma there is found only after a restart.
    MarkPositions(ScanMarks(",x", ','), 3, positions);
    EXPECT_EQ(positions[1], 0);
    EXPECT_EQ(positions[2], 1);
    EXPECT_EQ(positions[3], 0);
    // Commas enough for the whole chain, or one short of it: no restart, or
    // one at the last element.
    std::array<int, 16> enough{}, oneShort{};
    MarkPositions(ScanMarks("x,,,", ','), 3, enough);
    EXPECT_EQ(enough, (std::array<int, 16>{1, 2, 3, 4}));
    MarkPositions(ScanMarks("x,,", ','), 3, oneShort);
    EXPECT_EQ(oneShort, (std::array<int, 16>{1, 2, 3, 0}));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(LeadingNumber("  12.5xyz"), 12.5);
    EXPECT_EQ(LeadingNumber("30*6E"), 30);
    EXPECT_EQ(LeadingNumber("-0012"), -12);
    EXPECT_EQ(LeadingNumber("+7"), 7);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("12,5"), 12);
    EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(LeadingNumber("1e5"), 1);
    EXPECT_EQ(LeadingNumber("0x1A"), 0);
    // Up to 15 digits the value is gathered exactly; longer numbers must
    // still be the correctly rounded value of all their digits.
    for (const char* digits : {"4723.45601234567", "9304.812536290363", "4723.4560123456789", "99.53162247613507",
                               "93515093206858.25", "-945.1199455806891", "0.000000000000000000001234567890123456"}) {
        EXPECT_EQ(LeadingNumber(digits), oracle::LeadingNumberValue(digits)) << digits;
    }
    for (const char* zero : {"", "-", ".", "-.", "abc", " ", "+-1"}) EXPECT_EQ(LeadingNumber(zero), 0) << zero;
    EXPECT_EQ(LeadingNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("-" + std::string(400, '9')), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0);
}

}  // namespace
}  // namespace torvane
