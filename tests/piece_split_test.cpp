// Split over generated tracks with pauses, days and positions without a
// time: the pieces hold every position once and in order, and a piece
// starts exactly where a pause exceeds the gap (a millisecond either side
// tells) or a UTC day begins.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "convert/shape/piece_split.h"
#include "convert/shape/shape_text.h"
#include "shape_tracks.h"

namespace torvane {
namespace {

using test::CollectingSink;
using test::IndexOf;

constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kMidnight = 19'783 * kDay;  // 2024-03-01T00:00:00Z

// Positions at the given times (none: without a time).
std::vector<Position> AtTimes(const std::vector<std::optional<std::int64_t>>& times) {
    std::vector<Position> track;
    for (std::size_t i = 0; i < times.size(); ++i) {
        Position p;
        p.latitude = 45;
        p.longitude = 7 + static_cast<double>(i) * 1e-4;
        p.altitude = static_cast<float>(i);
        p.utcTime = times[i];
        track.push_back(p);
    }
    return track;
}

// The indices of the positions that start a piece; checks that every
// position is handed on once, in order.
std::vector<std::int64_t> Starts(const std::vector<Position>& track, std::optional<std::int64_t> gap, bool byDay) {
    CollectingSink sink;
    PieceSplit split(gap, byDay, sink);
    for (const Position& p : track) split.Take(p, false);
    split.End();
    EXPECT_EQ(sink.ends, 1);
    std::vector<std::int64_t> starts;
    EXPECT_EQ(sink.handed.size(), track.size());
    for (std::size_t i = 0; i < sink.handed.size(); ++i) {
        EXPECT_EQ(IndexOf(sink.handed[i].position), static_cast<std::int64_t>(i));
        if (sink.handed[i].newPiece) starts.push_back(static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(static_cast<std::int64_t>(starts.size()), split.Pieces());
    return starts;
}

TEST(PieceSplit, PiecesHoldEveryPositionOnceInOrder) {
    std::mt19937_64 random(9);
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 1 + random() % 500;
        // Steps of a second, with pauses of minutes to days, now and then
        // back in time; a tenth without a time.
        std::vector<std::optional<std::int64_t>> times;
        std::int64_t t = kMidnight - static_cast<std::int64_t>(random() % 7'200'000);
        for (std::size_t i = 0; i < count; ++i) {
            const int kind = static_cast<int>(random() % 100);
            t += kind < 3 ? static_cast<std::int64_t>(random() % (2 * kDay)) : kind < 4 ? -60'000 : 1000;
            times.push_back(kind >= 90 ? std::nullopt : std::optional<std::int64_t>(t));
        }
        const std::vector<Position> track = AtTimes(times);
        const std::optional<std::int64_t> gap =
            random() % 3 == 0 ? std::nullopt : std::optional<std::int64_t>(random() % 600'000);
        const bool byDay = random() % 2 == 0;

        // Where pieces start, worked out from the times alone.
        std::vector<std::int64_t> expected{0};
        std::optional<std::int64_t> last;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && times[i] && last) {
                const bool paused = gap && *times[i] - *last > *gap;
                const auto day = [](std::int64_t ms) { return (ms - (((ms % kDay) + kDay) % kDay)) / kDay; };
                const bool newDay = byDay && day(*times[i]) != day(*last);
                if (paused || newDay) expected.push_back(static_cast<std::int64_t>(i));
            }
            if (times[i]) last = times[i];
        }
        EXPECT_EQ(Starts(track, gap, byDay), expected) << "round " << round;
    }
}

TEST(PieceSplit, APauseLongerThanTheGapStartsAPiece) {
    const std::int64_t gap = 300'000;
    const std::int64_t t = kMidnight + 3'600'000;
    EXPECT_EQ(Starts(AtTimes({t, t + gap, t + 2 * gap + 1, t + 2 * gap + 2}), gap, false),
              (std::vector<std::int64_t>{0, 2}));
    // Without a gap or a day, the first position alone starts a piece.
    EXPECT_EQ(Starts(AtTimes({t, t + kDay, t + 2 * kDay}), std::nullopt, false), (std::vector<std::int64_t>{0}));
    // Back in time is no pause.
    EXPECT_EQ(Starts(AtTimes({t, t - 10 * gap, t - 10 * gap + 1000}), gap, false), (std::vector<std::int64_t>{0}));
}

TEST(PieceSplit, ANewUtcDayStartsAPiece) {
    EXPECT_EQ(Starts(AtTimes({kMidnight - 2, kMidnight - 1, kMidnight, kMidnight + 1}), std::nullopt, true),
              (std::vector<std::int64_t>{0, 2}));
    // Before 1970 too, and back across midnight.
    EXPECT_EQ(Starts(AtTimes({-1, 0, -1}), std::nullopt, true), (std::vector<std::int64_t>{0, 1, 2}));
    EXPECT_EQ(Starts(AtTimes({-kDay - 1, -kDay, -1}), std::nullopt, true), (std::vector<std::int64_t>{0, 1}));
    // A day and a pause at once start one piece.
    EXPECT_EQ(Starts(AtTimes({kMidnight - 600'000, kMidnight + 600'000}), 60'000, true),
              (std::vector<std::int64_t>{0, 1}));
}

TEST(PieceSplit, APositionWithoutATimeNeverStartsAPiece) {
    const std::int64_t t = kMidnight + 3'600'000;
    // The pause is measured from the last position with a time.
    EXPECT_EQ(Starts(AtTimes({t, std::nullopt, std::nullopt, t + 60'001}), 60'000, false),
              (std::vector<std::int64_t>{0, 3}));
    EXPECT_EQ(Starts(AtTimes({std::nullopt, t, std::nullopt, t + kDay}), std::nullopt, true),
              (std::vector<std::int64_t>{0, 3}));
    EXPECT_TRUE(Starts({}, 1000, true).empty());
}

TEST(ShapeText, Durations) {
    EXPECT_EQ(ParseDuration("90"), 90'000);
    EXPECT_EQ(ParseDuration("90s"), 90'000);
    EXPECT_EQ(ParseDuration("15m"), 900'000);
    EXPECT_EQ(ParseDuration("2h"), 7'200'000);
    EXPECT_EQ(ParseDuration("0"), 0);
    EXPECT_EQ(ParseDuration("00:05:00"), 300'000);
    EXPECT_EQ(ParseDuration("36:00:00"), 36 * 3'600'000);
    EXPECT_EQ(ParseDuration("999999999h"), 999'999'999 * std::int64_t{3'600'000});
    for (const char* refused : {"", "s", "m", "-5m", "+5m", "5 m", "5min", "1.5h", "5d", "1000000000", "05:00",
                                "-00:05:00", "5mm"}) {
        EXPECT_FALSE(ParseDuration(refused)) << refused;
    }
}

}  // namespace
}  // namespace torvane
