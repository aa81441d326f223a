// The pipeline of the shaping options over generated tracks: with every
// option off it hands on every position unchanged; with any set of options
// on, what it hands on is what crop, shift, split and simplify give in that
// order, worked out here from the positions alone.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/shape/shape_pipeline.h"
#include "shape_tracks.h"

namespace torvane {
namespace {

using test::CollectingSink;
using test::GeneratedTrack;
using test::IndexOf;
using test::TrackStyle;

constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kStart = 19'783 * kDay + 22 * 3'600'000;  // 2024-03-01T22:00:00Z

std::vector<test::Handed> Shaped(const std::vector<Position>& track, const ShapeOptions& options) {
    CollectingSink sink;
    ShapePipeline pipeline(options, sink);
    for (const Position& p : track) pipeline.Take(p);
    pipeline.End();
    EXPECT_EQ(sink.ends, 1);
    return sink.handed;
}

TEST(ShapePipeline, WithEveryOptionOffHandsOnEveryPositionUnchanged) {
    std::mt19937_64 random(11);
    const std::vector<Position> track = GeneratedTrack(TrackStyle::Mixed, 3000, random, kStart, 0.1);
    const ShapeOptions off;
    EXPECT_FALSE(off.Any());
    const std::vector<test::Handed> out = Shaped(track, off);
    ASSERT_EQ(out.size(), track.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Position &a = out[i].position, &b = track[i];
        EXPECT_EQ(a.latitude, b.latitude);
        EXPECT_EQ(a.longitude, b.longitude);
        EXPECT_EQ(a.utcTime, b.utcTime);
        EXPECT_EQ(a.timeOfDay, b.timeOfDay);
        EXPECT_EQ(out[i].newPiece, i == 0);
    }
}

// A track of `count` positions, with pauses of minutes to hours now and then.
std::vector<Position> PausedTrack(std::size_t count, std::mt19937_64& random) {
    std::vector<Position> track = GeneratedTrack(TrackStyle::Mixed, count, random, kStart, 0.05);
    std::int64_t extra = 0;
    for (Position& p : track) {
        if (random() % 50 == 0) extra += static_cast<std::int64_t>(random() % 10'800'000);
        if (p.utcTime) *p.utcTime += extra;
    }
    return track;
}

ShapeOptions SomeOptions(std::mt19937_64& random) {
    ShapeOptions o;
    const auto coin = [&] { return random() % 2 == 0; };
    if (coin()) o.from = kStart + static_cast<std::int64_t>(random() % 3'600'000);
    if (coin()) o.until = kStart + static_cast<std::int64_t>(random() % 36'000'000);
    if (coin()) o.timeShift = static_cast<std::int64_t>(random() % 14'400'001) - 7'200'000;
    if (coin()) o.splitGap = static_cast<std::int64_t>(random() % 1'800'000);
    o.splitDay = coin();
    if (coin()) o.simplifyMetres = static_cast<double>(random() % 100);
    return o;
}

std::string Described(const ShapeOptions& o) {
    const auto text = [](const std::optional<std::int64_t>& v) { return v ? std::to_string(*v) : std::string("-"); };
    return "from " + text(o.from) + " until " + text(o.until) + " shift " + std::to_string(o.timeShift) + " gap " +
           text(o.splitGap) + (o.splitDay ? " by day" : "") + " simplify " +
           (o.simplifyMetres ? std::to_string(*o.simplifyMetres) : std::string("-"));
}

TEST(ShapePipeline, CropShiftSplitSimplifyInThatOrder) {
    std::mt19937_64 random(12);
    for (int round = 0; round < 150; ++round) {
        const std::vector<Position> track = PausedTrack(1 + random() % 1500, random);
        const ShapeOptions o = SomeOptions(random);
        const std::string what = "round " + std::to_string(round) + ": " + Described(o);

        // Crop on the log's own times, then shift.
        std::vector<Position> kept;
        for (const Position& p : track) {
            const bool within = !o.Crops() || (p.utcTime && (!o.from || *p.utcTime >= *o.from) &&
                                               (!o.until || *p.utcTime <= *o.until));
            if (!within) continue;
            Position q = p;
            if (q.utcTime) *q.utcTime += o.timeShift;
            kept.push_back(q);
        }
        // Pieces of the shifted times.
        std::vector<bool> starts(kept.size());
        std::optional<std::int64_t> last;
        const auto day = [](std::int64_t ms) { return (ms - (((ms % kDay) + kDay) % kDay)) / kDay; };
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const std::optional<std::int64_t>& t = kept[i].utcTime;
            starts[i] = i == 0 || (t && last && ((o.splitGap && *t - *last > *o.splitGap) ||
                                                 (o.splitDay && day(*t) != day(*last))));
            if (t) last = t;
        }

        const std::vector<test::Handed> out = Shaped(track, o);
        if (!o.simplifyMetres) {
            ASSERT_EQ(out.size(), kept.size()) << what;
            for (std::size_t i = 0; i < out.size(); ++i) {
                EXPECT_EQ(IndexOf(out[i].position), IndexOf(kept[i])) << what;
                EXPECT_EQ(out[i].position.utcTime, kept[i].utcTime) << what;
                EXPECT_EQ(out[i].newPiece, starts[i]) << what;
            }
            continue;
        }
        // Simplified within each piece: its first and last kept, the first
        // marked; every one left out within the distance of the arc between
        // the kept ones of its piece on either side.
        std::size_t k = 0;
        int tooFar = 0;
        for (std::size_t begin = 0; begin < kept.size();) {
            std::size_t end = begin + 1;
            while (end < kept.size() && !starts[end]) ++end;
            ASSERT_LT(k, out.size()) << what;
            EXPECT_EQ(IndexOf(out[k].position), IndexOf(kept[begin])) << what;
            EXPECT_TRUE(out[k].newPiece) << what;
            EXPECT_EQ(out[k].position.utcTime, kept[begin].utcTime) << what;
            std::size_t at = begin;  // in `kept`, of out[k]
            for (++k; at + 1 < end; ++k) {
                ASSERT_LT(k, out.size()) << what;
                EXPECT_FALSE(out[k].newPiece) << what;
                std::size_t next = at + 1;
                while (next < end && IndexOf(kept[next]) != IndexOf(out[k].position)) ++next;
                ASSERT_LT(next, end) << what << ": a position handed on that is not of this piece";
                EXPECT_EQ(out[k].position.utcTime, kept[next].utcTime) << what;
                for (std::size_t j = at + 1; j < next; ++j) {
                    if (test::MetresFromArc(kept[j], kept[at], kept[next]) > *o.simplifyMetres) ++tooFar;
                }
                at = next;
            }
            begin = end;
        }
        EXPECT_EQ(k, out.size()) << what;
        EXPECT_EQ(tooFar, 0) << what;
    }
}

Position At(std::int64_t index, std::int64_t time) {
    Position p;
    p.latitude = 45;
    p.longitude = 7 + static_cast<double>(index) * 1e-3;
    p.altitude = static_cast<float>(index);
    p.utcTime = time;
    return p;
}

TEST(ShapePipeline, TheCropComparesTheTimesTheLogGives) {
    const std::vector<Position> track = {At(0, kStart), At(1, kStart + 60'000), At(2, kStart + 120'000)};
    ShapeOptions o;
    o.from = kStart + 60'000;
    o.timeShift = 3'600'000;
    const std::vector<test::Handed> out = Shaped(track, o);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(IndexOf(out[0].position), 1);
    EXPECT_EQ(out[0].position.utcTime, kStart + 60'000 + 3'600'000);
    EXPECT_TRUE(out[0].newPiece);  // the first kept starts the piece
}

TEST(ShapePipeline, TheSplitSeesTheShiftedDays) {
    // 22:00, 23:29:59, 23:30 shifted by half an hour: the last begins a day.
    const std::vector<Position> track = {At(0, kStart), At(1, kStart + 5'399'000), At(2, kStart + 5'400'000)};
    ShapeOptions o;
    o.splitDay = true;
    std::vector<test::Handed> out = Shaped(track, o);
    EXPECT_EQ(Shaped(track, o).size(), 3u);
    EXPECT_FALSE(out[2].newPiece);
    o.timeShift = 1'800'000;
    out = Shaped(track, o);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_TRUE(out[0].newPiece);
    EXPECT_FALSE(out[1].newPiece);
    EXPECT_TRUE(out[2].newPiece);
}

TEST(ShapePipeline, TheSimplifierKeepsTheEndsOfEveryPiece) {
    // A straight line along the equator, with a pause in its middle: two
    // pieces of two kept positions each.
    std::vector<Position> track;
    for (int i = 0; i < 20; ++i) track.push_back(At(i, kStart + i * 1000 + (i >= 10 ? 600'000 : 0)));
    for (Position& p : track) p.latitude = 0;
    ShapeOptions o;
    o.simplifyMetres = 1;
    EXPECT_EQ(Shaped(track, o).size(), 2u);
    o.splitGap = 60'000;
    const std::vector<test::Handed> out = Shaped(track, o);
    ASSERT_EQ(out.size(), 4u);
    const std::int64_t indices[] = {0, 9, 10, 19};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(IndexOf(out[i].position), indices[i]);
        EXPECT_EQ(out[i].newPiece, i == 0 || i == 2);
    }
}

}  // namespace
}  // namespace torvane
