#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "convert/dates/date_sources.h"
#include "convert/dates/track_calendar.h"
#include "convert/recognise/line_counts.h"
#include "output/coordinate_text.h"
#include "output/track_time.h"

namespace torvane {
namespace {

std::string Iso(std::optional<std::int64_t> ms, bool milliseconds = false) {
    if (!ms) return "none";
    std::string text;
    AppendIsoTime(text, *ms, milliseconds);
    return text;
}

std::int64_t Day(int y, int m, int d) { return DaysFromCivil(y, m, d); }

TEST(TrackTime, CivilDaysAndIsoText) {
    EXPECT_EQ(Day(1970, 1, 1), 0);
    EXPECT_EQ(Day(1, 1, 1), -719162);  // the first day a date may name
    EXPECT_EQ(Day(2000, 3, 1) - Day(2000, 2, 28), 2);  // 2000 is a leap year
    EXPECT_EQ(Day(1900, 3, 1) - Day(1900, 2, 28), 1);  // 1900 is not
    EXPECT_EQ(Iso(Day(1969, 12, 31) * kMillisecondsPerDay + 86399999, true), "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(Iso(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(Iso(Day(2024, 2, 29) * kMillisecondsPerDay + 5, true), "2024-02-29T00:00:00.005Z");
    EXPECT_TRUE(IsCivilDate(2024, 2, 29));
    EXPECT_FALSE(IsCivilDate(2023, 2, 29));
    EXPECT_TRUE(IsCivilDate(2000, 2, 29));
    EXPECT_FALSE(IsCivilDate(1900, 2, 29));
    EXPECT_FALSE(IsCivilDate(2100, 2, 29));
    EXPECT_FALSE(IsCivilDate(2023, 13, 1));
    EXPECT_FALSE(IsCivilDate(2023, 4, 31));
    EXPECT_EQ(YearOfTwoDigits(79), 2079);
    EXPECT_EQ(YearOfTwoDigits(80), 1980);
}

// The day each position of a sequence falls on, from a calendar that
// learns the date where a row says so.
struct Event {
    double time;            // seconds since midnight
    int givenDay = 0;       // a date the log gives here (day of January 2000), 0 for a position
};

std::vector<std::string> Dated(const std::vector<Event>& events, std::optional<std::int64_t> firstDay) {
    TrackCalendar calendar = firstDay ? TrackCalendar(*firstDay) : TrackCalendar();
    std::vector<std::string> out;
    for (const Event& e : events) {
        if (e.givenDay != 0) calendar.DateGiven(Day(2000, 1, e.givenDay), e.time);
        else out.push_back(Iso(calendar.Position(e.time)));
    }
    return out;
}

constexpr double H = 3600;

TEST(TrackCalendar, MidnightOnBothSidesOfTwelveHours) {
    const std::int64_t jan1 = Day(2000, 1, 1);
    // A fall of exactly 12 hours is a step back; a second more is a new day.
    EXPECT_EQ(Dated({{13 * H}, {1 * H}}, jan1), (std::vector<std::string>{"2000-01-01T13:00:00Z", "2000-01-01T01:00:00Z"}));
    EXPECT_EQ(Dated({{13 * H + 1}, {1 * H}}, jan1),
              (std::vector<std::string>{"2000-01-01T13:00:01Z", "2000-01-02T01:00:00Z"}));
    // Also with fractions, whose difference in binary is a hair over 12 hours.
    EXPECT_EQ(Dated({{22 * H + 59 * 60 + 27.1}, {10 * H + 59 * 60 + 27.1}}, jan1),
              (std::vector<std::string>{"2000-01-01T22:59:27Z", "2000-01-01T10:59:27Z"}));
    EXPECT_EQ(Dated({{22 * H + 59 * 60 + 27.101}, {10 * H + 59 * 60 + 27.1}}, jan1),
              (std::vector<std::string>{"2000-01-01T22:59:27Z", "2000-01-02T10:59:27Z"}));
    // One second back stays on its day.
    EXPECT_EQ(Dated({{1}, {0}}, jan1), (std::vector<std::string>{"2000-01-01T00:00:01Z", "2000-01-01T00:00:00Z"}));
    // Undated: no time at all.
    EXPECT_EQ(Dated({{10 * H}}, std::nullopt), (std::vector<std::string>{"none"}));
}

TEST(TrackCalendar, GivenDatesResetAndCountBack) {
    // The first pass learns the first position's day from a later date,
    // counted back across the midnight between them.
    TrackCalendar first;
    first.Position(23 * H + 59 * 60 + 59);
    first.Position(0);
    first.DateGiven(Day(2000, 1, 5), 1.0);
    EXPECT_EQ(first.FirstDay(), Day(2000, 1, 4));
    // Without a midnight between, the same day; a date before any position too.
    TrackCalendar same;
    same.DateGiven(Day(2000, 1, 5), 10 * H);
    same.Position(10 * H);
    EXPECT_EQ(same.FirstDay(), Day(2000, 1, 5));

    // RMC first in the epoch after midnight: the date resets the day, and
    // the GGA of the same second does not add another.
    EXPECT_EQ(Dated({{23 * H + 3599}, {23 * H + 3599, 1}, {0, 2}, {0}, {1}}, Day(2000, 1, 1)),
              (std::vector<std::string>{"2000-01-01T23:59:59Z", "2000-01-02T00:00:00Z", "2000-01-02T00:00:01Z"}));
    // A date without a time of day (a flight's own date line) starts afresh:
    // the next position is measured from it, not from the flight before.
    TrackCalendar flights(Day(2000, 1, 1));
    flights.Position(23 * H + 59 * 60);
    flights.DateGiven(Day(2000, 1, 2), std::nullopt);
    EXPECT_EQ(Iso(flights.Position(10 * H)), "2000-01-02T10:00:00Z");
    flights.Position(23 * H);
    EXPECT_EQ(Iso(flights.Position(1 * H)), "2000-01-03T01:00:00Z");  // its own midnight still counts
    // A date that jumps is taken as it is.
    EXPECT_EQ(Dated({{10 * H}, {10 * H, 20}, {10 * H}}, Day(2000, 1, 1)),
              (std::vector<std::string>{"2000-01-01T10:00:00Z", "2000-01-20T10:00:00Z"}));
}

TEST(DateSources, NmeaSentences) {
    struct Row {
        const char* line;
        const char* date;  // ISO of the given day and time, or "none"
    } rows[] = {
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67", "1994-03-23T10:15:30Z"},
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,010180,,,A*67", "1980-01-01T10:15:30Z"},
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,311279,,,A*67", "2079-12-31T10:15:30Z"},
        {"$GNRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A,V*67", "1994-03-23T10:15:30Z"},
        {"junk$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67", "1994-03-23T10:15:30Z"},
        // Two sentences on one line, a line end lost between them.
        {"$GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1*39$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67",
         "1994-03-23T10:15:30Z"},
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7*67,230394", "none"},  // after the checksum
        {"$GPRMC,101530.00,V,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67", "none"},  // void
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,23039,,,A*67", "none"},   // five digits
        {"$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,300294,,,A*67", "none"},  // 30 February
        {"$GPZDA,235959.50,31,12,1999,00,00*4B", "1999-12-31T23:59:59Z"},
        {"$GNZDA,000000.00,01,01,2000,,*4B", "2000-01-01T00:00:00Z"},
        {"$GPZDA,000000.00,1,01,2000,,*4B", "none"},
        {"$GPZDA,000000.00,01,01,200,,*4B", "none"},
        {"$GPZDA,235959.00,31,12,0000,,*4B", "none"},  // no year 0000 in the outputs
        {"$GPZDA,000000.00,01,01,0001,,*4B", "0001-01-01T00:00:00Z"},
        {"$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E", "none"},
        {"$1PRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67", "none"},  // no talker
    };
    // The rows read in turn with one memo of the last date field (the same
    // field again, a new one, one that is no date) give what each gives alone.
    ShortDateMemo memo;
    for (const Row& row : rows) {
        const auto given = NmeaSentenceDate(row.line);
        std::optional<std::int64_t> ms;
        if (given) ms = given->day * kMillisecondsPerDay + static_cast<std::int64_t>(given->timeOfDay.value_or(0) * 1000);
        EXPECT_EQ(Iso(ms), row.date) << row.line;
        const auto inTurn = NmeaSentenceDate(row.line, memo);
        EXPECT_EQ(inTurn.has_value(), given.has_value()) << row.line;
        if (inTurn && given) {
            EXPECT_EQ(inTurn->day, given->day) << row.line;
            EXPECT_EQ(inTurn->timeOfDay, given->timeOfDay) << row.line;
        }
        // The analysis's count of a line tells each line that may give a date.
        AnalysisCounts counts;
        if (given) {
            EXPECT_TRUE(CountLine(row.line, counts)) << row.line;
        }
    }
    AnalysisCounts counts;
    EXPECT_FALSE(CountLine("$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E", counts));
    EXPECT_FALSE(CountLine("$1PRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*67", counts));
}

TEST(DateSources, IgcHeaderForms) {
    const std::optional<std::int64_t> day = Day(2007, 8, 15);
    EXPECT_EQ(IgcHeaderDate("HFDTE150807"), day);
    EXPECT_EQ(IgcHeaderDate("HFDTEDATE:150807,01"), day);
    EXPECT_EQ(IgcHeaderDate("HFDTEDATE: 150807"), day);
    EXPECT_EQ(IgcHeaderDate("HFDTEDATE:150807"), day);
    EXPECT_EQ(IgcHeaderDate("HFDTE1508071"), std::nullopt);  // seven digits
    EXPECT_EQ(IgcHeaderDate("HFDTE15080"), std::nullopt);
    EXPECT_EQ(IgcHeaderDate("HFDTE320807"), std::nullopt);
    EXPECT_EQ(IgcHeaderDate("HFPLTPILOT:150807"), std::nullopt);
}

TEST(DateSources, IsoTimesInUtc) {
    struct Row {
        const char* text;
        const char* utc;  // with milliseconds
    } rows[] = {
        {"2024-06-01T10:00:00Z", "2024-06-01T10:00:00.000Z"},
        {"2024-06-01T10:00:00", "2024-06-01T10:00:00.000Z"},  // no zone: UTC
        {"2024-06-01T12:00:00+02:00", "2024-06-01T10:00:00.000Z"},
        {"2024-06-01T01:30:00+02:00", "2024-05-31T23:30:00.000Z"},
        {"2024-12-31T20:00:00-05:00</time>", "2025-01-01T01:00:00.000Z"},
        {"2024-06-01T10:00:00.5Z", "2024-06-01T10:00:00.500Z"},
        {"2024-06-01T10:00:00.1234Z", "2024-06-01T10:00:00.123Z"},
        {"2024-06-01T10:00:00.9995Z", "2024-06-01T10:00:01.000Z"},
        {"2024-06-01T10:00:00+0530", "2024-06-01T04:30:00.000Z"},
        {"2016-12-31T23:59:60Z", "2017-01-01T00:00:00.000Z"},  // a leap second
        {"2016-12-31T23:59:61Z", "none"},
        {"2000-02-29T10:00:00Z", "2000-02-29T10:00:00.000Z"},
        {"1900-02-29T10:00:00Z", "none"},
        {"2100-02-29T10:00:00Z", "none"},
        {"2024-02-30T10:00:00Z", "none"},
        {"2024-06-01 10:00:00Z", "none"},
        {"2024-06-01T10:00", "none"},
        {"2024-06-01T10:00:00.Z", "none"},
        // From 0001-01-01T00:00:00Z on, also where the zone carries a time there.
        {"0000-12-31T23:59:59.999Z", "none"},
        {"0001-01-01T00:00:00Z", "0001-01-01T00:00:00.000Z"},
        {"0001-01-01T00:59:59.999+01:00", "none"},
        {"0001-01-01T01:00:00+01:00", "0001-01-01T00:00:00.000Z"},
    };
    for (const Row& row : rows) EXPECT_EQ(Iso(IsoTimeMilliseconds(row.text), true), row.utc) << row.text;
}

TEST(CoordinateText, SevenDecimalsAndTheDateLine) {
    const auto degrees = [](double value, bool longitude) {
        std::string text;
        AppendDegrees(text, value, longitude);
        return text;
    };
    EXPECT_EQ(degrees(47.39093333, false), "47.3909333");
    EXPECT_EQ(degrees(-0.00000004, false), "0.0000000");
    EXPECT_EQ(degrees(-0.00000006, false), "-0.0000001");
    EXPECT_EQ(degrees(179.99999994, true), "179.9999999");
    EXPECT_EQ(degrees(179.99999996, true), "-180.0000000");
    EXPECT_EQ(degrees(180, false), "180.0000000");  // GeoJSON keeps 180
    std::string alt;
    AppendAltitude(alt, 432.6f);
    EXPECT_EQ(alt, "432.6");
    EXPECT_EQ(JsonText("a\"b\\c\x01\xfc"), "a\\\"b\\\\c\\u0001\xc3\xbc");
}

}  // namespace
}  // namespace torvane
