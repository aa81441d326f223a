// Crop and shift over generated tracks: a crop keeps exactly the positions
// within its times (both bounds inclusive, a millisecond either side
// tells), positions without a time are left out by a crop, and the shift
// commutes with the crop as documented. The texts of their options.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "convert/shape/shape_text.h"
#include "convert/shape/time_stages.h"
#include "shape_tracks.h"

namespace torvane {
namespace {

using test::CollectingSink;
using test::GeneratedTrack;
using test::IndexOf;
using test::TrackStyle;

constexpr std::int64_t kStart = 1'700'000'000'000;  // 2023-11-14T22:13:20Z

std::vector<std::int64_t> Indices(const CollectingSink& sink) {
    std::vector<std::int64_t> indices;
    for (const test::Handed& h : sink.handed) indices.push_back(IndexOf(h.position));
    return indices;
}

std::vector<std::int64_t> Cropped(const std::vector<Position>& track, std::optional<std::int64_t> from,
                                  std::optional<std::int64_t> until, std::int64_t* untimed = nullptr) {
    CollectingSink sink;
    TimeCrop crop(from, until, sink);
    for (const Position& p : track) crop.Take(p, false);
    crop.End();
    if (untimed) *untimed = crop.Untimed();
    EXPECT_EQ(sink.ends, 1);
    return Indices(sink);
}

TEST(TimeCrop, KeepsExactlyThePositionsWithinItsTimes) {
    std::mt19937_64 random(1);
    for (int round = 0; round < 200; ++round) {
        const std::size_t count = 1 + random() % 400;
        const std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, count, random, kStart, 0.1);
        const auto someTime = [&] {  // a position's time, or a millisecond beside one, or none
            const std::int64_t t = kStart + static_cast<std::int64_t>(random() % (count + 10)) * 1000 - 5000;
            const int beside = static_cast<int>(random() % 4);
            return beside == 3 ? std::optional<std::int64_t>() : std::optional<std::int64_t>(t + beside - 1);
        };
        const std::optional<std::int64_t> from = someTime(), until = someTime();
        std::vector<std::int64_t> expected;
        for (const Position& p : track) {
            const bool any = from || until;
            if (!any || (p.utcTime && (!from || *p.utcTime >= *from) && (!until || *p.utcTime <= *until))) {
                expected.push_back(IndexOf(p));
            }
        }
        EXPECT_EQ(Cropped(track, from, until), expected) << "round " << round;
    }
}

TEST(TimeCrop, BothBoundsAreInclusive) {
    std::mt19937_64 random(2);
    const std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, 10, random, kStart);
    const std::int64_t t3 = kStart + 3000, t6 = kStart + 6000;
    EXPECT_EQ(Cropped(track, t3, t6), (std::vector<std::int64_t>{3, 4, 5, 6}));
    EXPECT_EQ(Cropped(track, t3 + 1, t6 - 1), (std::vector<std::int64_t>{4, 5}));
    EXPECT_EQ(Cropped(track, t3 - 1, t6 + 1), (std::vector<std::int64_t>{3, 4, 5, 6}));
    EXPECT_EQ(Cropped(track, t3, t3), (std::vector<std::int64_t>{3}));
    EXPECT_TRUE(Cropped(track, t6, t3).empty());
    EXPECT_EQ(Cropped(track, std::nullopt, kStart + 1000), (std::vector<std::int64_t>{0, 1}));
    EXPECT_EQ(Cropped(track, kStart + 8000, std::nullopt), (std::vector<std::int64_t>{8, 9}));
}

TEST(TimeCrop, PositionsWithoutATimeAreLeftOutByACropOnly) {
    std::mt19937_64 random(3);
    std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, 6, random, kStart);
    track[0].utcTime.reset();
    track[4].utcTime.reset();
    std::int64_t untimed = 0;
    EXPECT_EQ(Cropped(track, kStart, std::nullopt, &untimed), (std::vector<std::int64_t>{1, 2, 3, 5}));
    EXPECT_EQ(untimed, 2);
    EXPECT_EQ(Cropped(track, std::nullopt, kStart + 9000, &untimed), (std::vector<std::int64_t>{1, 2, 3, 5}));
    EXPECT_EQ(Cropped(track, std::nullopt, std::nullopt, &untimed), (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(untimed, 0);
}

TEST(TimeCrop, APieceMarkOnAPositionLeftOutPassesToTheNextKept) {
    std::mt19937_64 random(4);
    const std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, 6, random, kStart);
    CollectingSink sink;
    TimeCrop crop(kStart + 3000, std::nullopt, sink);
    for (std::size_t i = 0; i < track.size(); ++i) crop.Take(track[i], i == 1);
    crop.End();
    ASSERT_EQ(sink.handed.size(), 3u);
    EXPECT_TRUE(sink.handed[0].newPiece);
    EXPECT_FALSE(sink.handed[1].newPiece);
}

std::vector<test::Handed> Pass(const std::vector<Position>& track, ShapeSink& first, CollectingSink& sink) {
    for (const Position& p : track) first.Take(p, false);
    first.End();
    return sink.handed;
}

TEST(TimeShift, MovesEveryTimeAndTheTimeOfDayWithIt) {
    std::mt19937_64 random(5);
    std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, 50, random, kStart, 0.2);
    for (Position& p : track) p.timeOfDay = 86390 + IndexOf(p) / 1000.0;  // ten seconds before midnight
    for (const std::int64_t shift : {std::int64_t{0}, std::int64_t{3'600'000}, std::int64_t{-86'400'000 - 30'000},
                                     std::int64_t{15'000}}) {
        CollectingSink sink;
        TimeShift stage(shift, sink);
        const std::vector<test::Handed> out = Pass(track, stage, sink);
        ASSERT_EQ(out.size(), track.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            const Position &in = track[i], &moved = out[i].position;
            EXPECT_EQ(moved.latitude, in.latitude);
            if (!in.utcTime) {
                EXPECT_FALSE(moved.utcTime);
                EXPECT_EQ(moved.timeOfDay, in.timeOfDay);
                continue;
            }
            ASSERT_TRUE(moved.utcTime);
            EXPECT_EQ(*moved.utcTime, *in.utcTime + shift);
            EXPECT_GE(moved.timeOfDay, 0);
            EXPECT_LT(moved.timeOfDay, 86400);
            const double expected = std::fmod(in.timeOfDay + static_cast<double>(shift) / 1000 + 2 * 86400, 86400);
            EXPECT_NEAR(moved.timeOfDay, expected, 1e-6);
        }
    }
}

TEST(TimeShift, CommutesWithTheCropMovedByTheShift) {
    // Crop [from, until] then shift by s == shift by s then crop [from + s, until + s].
    std::mt19937_64 random(6);
    for (int round = 0; round < 100; ++round) {
        const std::size_t count = 1 + random() % 300;
        const std::vector<Position> track = GeneratedTrack(TrackStyle::Zigzag, count, random, kStart, 0.1);
        const std::int64_t s = static_cast<std::int64_t>(random() % 7'200'001) - 3'600'000;
        const std::int64_t from = kStart + static_cast<std::int64_t>(random() % (count * 1000));
        const std::int64_t until = from + static_cast<std::int64_t>(random() % (count * 1000));

        CollectingSink cropThenShift;
        TimeShift shiftAfter(s, cropThenShift);
        TimeCrop cropFirst(from, until, shiftAfter);
        const std::vector<test::Handed> a = Pass(track, cropFirst, cropThenShift);

        CollectingSink shiftThenCrop;
        TimeCrop cropAfter(from + s, until + s, shiftThenCrop);
        TimeShift shiftFirst(s, cropAfter);
        const std::vector<test::Handed> b = Pass(track, shiftFirst, shiftThenCrop);

        ASSERT_EQ(a.size(), b.size()) << "round " << round;
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(IndexOf(a[i].position), IndexOf(b[i].position));
            EXPECT_EQ(a[i].position.utcTime, b[i].position.utcTime);
            EXPECT_EQ(a[i].position.timeOfDay, b[i].position.timeOfDay);
        }
    }
}

TEST(ShapeText, ZonedTimes) {
    const std::optional<std::int64_t> utc = ParseZonedTime("2024-03-01T09:00:00Z");
    ASSERT_TRUE(utc);
    EXPECT_EQ(*utc, 1'709'283'600'000);
    EXPECT_EQ(ParseZonedTime("2024-03-01T10:00:00+01:00"), utc);
    EXPECT_EQ(ParseZonedTime("2024-03-01T10:00:00+0100"), utc);
    EXPECT_EQ(ParseZonedTime("2024-03-01T10:00:00+01"), utc);
    EXPECT_EQ(ParseZonedTime("2024-03-01T03:30:00-05:30"), utc);
    EXPECT_EQ(ParseZonedTime("2024-03-01T09:00:00.250Z"), *utc + 250);
    EXPECT_EQ(ParseZonedTime("2024-03-01T09:00:00,5Z"), *utc + 500);
    EXPECT_EQ(ParseZonedTime("2024-03-01T00:30:00+01:00"), ParseZonedTime("2024-02-29T23:30:00Z"));
    for (const char* refused : {"", "2024-03-01T09:00:00", "2024-03-01T09:00:00z", "2024-03-01T09:00:00Z ",
                                "2024-03-01T09:00:00.Z", "2024-03-01T09:00:00+1", "2024-03-01T09:00:00+01:0",
                                "2024-03-01 09:00:00Z", "2024-02-30T09:00:00Z", "2024-03-01T09:60:00Z",
                                "2024-03-01T09:00Z", "2024-03-01T09:00:00+24:00", "2024-03-01T09:00:00ZZ"}) {
        EXPECT_FALSE(ParseZonedTime(refused)) << refused;
    }
}

TEST(ShapeText, TimeShifts) {
    EXPECT_EQ(ParseTimeShift("+01:00:00"), 3'600'000);
    EXPECT_EQ(ParseTimeShift("01:00:00"), 3'600'000);
    EXPECT_EQ(ParseTimeShift("-00:00:30"), -30'000);
    EXPECT_EQ(ParseTimeShift("-0:01:00"), -60'000);
    EXPECT_EQ(ParseTimeShift("+00:00:00"), 0);
    EXPECT_EQ(ParseTimeShift("100:59:59"), (100 * 3600 + 59 * 60 + 59) * std::int64_t{1000});
    EXPECT_EQ(ParseTimeShift("999999:00:00"), 999'999 * std::int64_t{3'600'000});
    for (const char* refused : {"", "+", "01:00", "1:0:0", "+01:60:00", "+01:00:60", "01:00:00x", " 01:00:00",
                                "1234567:00:00", "+-01:00:00", "01-00-00", ":00:00"}) {
        EXPECT_FALSE(ParseTimeShift(refused)) << refused;
    }
}

}  // namespace
}  // namespace torvane
