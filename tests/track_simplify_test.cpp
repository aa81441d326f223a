// The simplifier over generated tracks: every position left out lies within
// the distance of the arc between the kept positions on either side of it,
// measured with the formulas of spherical trigonometry; the boundary on
// both sides; the window's bound; pieces.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/shape/track_simplify.h"
#include "output/earth.h"
#include "shape_tracks.h"

namespace torvane {
namespace {

using test::CollectingSink;
using test::GeneratedTrack;
using test::IndexOf;
using test::TrackStyle;

struct Simplified {
    std::vector<Position> kept;
    std::vector<bool> newPiece;
    std::size_t forced = 0;
};

Simplified Simplify(const std::vector<Position>& track, double metres, const std::vector<bool>& pieces = {}) {
    CollectingSink sink;
    TrackSimplifier simplifier(metres, sink);
    for (std::size_t i = 0; i < track.size(); ++i) simplifier.Take(track[i], !pieces.empty() && pieces[i]);
    simplifier.End();
    EXPECT_EQ(sink.ends, 1);
    Simplified s;
    for (const test::Handed& h : sink.handed) {
        s.kept.push_back(h.position);
        s.newPiece.push_back(h.newPiece);
    }
    s.forced = simplifier.ForcedKeeps();
    return s;
}

// The kept positions are positions of the track, in order, the first and
// the last among them; every one left out lies within `metres` of the arc
// between the kept ones on either side. Returns the greatest such distance.
double CheckKeptLine(const std::vector<Position>& track, const Simplified& s, double metres,
                     const std::string& what) {
    if (track.empty()) {
        EXPECT_TRUE(s.kept.empty()) << what;
        return 0;
    }
    EXPECT_GE(s.kept.size(), track.size() == 1 ? 1u : 2u) << what;
    EXPECT_EQ(IndexOf(s.kept.front()), 0) << what;
    EXPECT_EQ(IndexOf(s.kept.back()), static_cast<std::int64_t>(track.size()) - 1) << what;
    double worst = 0;
    std::string first;  // the first position too far, described
    int tooFar = 0;
    for (std::size_t k = 0; k + 1 < s.kept.size(); ++k) {
        const std::int64_t from = IndexOf(s.kept[k]), to = IndexOf(s.kept[k + 1]);
        EXPECT_LT(from, to) << what;
        if (from >= to) return worst;
        for (std::int64_t i = from + 1; i < to; ++i) {
            const double off = test::MetresFromArc(track[static_cast<std::size_t>(i)], s.kept[k], s.kept[k + 1]);
            worst = std::max(worst, off);
            if (off > metres && tooFar++ == 0) {
                first = "position " + std::to_string(i) + " left out between " + std::to_string(from) + " and " +
                        std::to_string(to) + " lies " + std::to_string(off) + " m from their arc";
            }
        }
    }
    EXPECT_EQ(tooFar, 0) << what << ": " << first;
    return worst;
}

TEST(TrackSimplify, EveryLeftOutPositionLiesWithinTheDistanceOfTheKeptArc) {
    std::mt19937_64 random(38);
    const TrackStyle styles[] = {TrackStyle::Wander, TrackStyle::Zigzag, TrackStyle::OutAndBack, TrackStyle::Parked,
                                 TrackStyle::Mixed};
    const double distances[] = {0, 0.5, 3, 10, 50, 1000};
    for (const TrackStyle style : styles) {
        for (const double metres : distances) {
            for (int round = 0; round < 6; ++round) {
                const std::size_t count = round == 0 ? 1 + random() % 3 : 200 + random() % 1800;
                const std::vector<Position> track = GeneratedTrack(style, count, random);
                const std::string what = "style " + std::to_string(static_cast<int>(style)) + ", " +
                                         std::to_string(metres) + " m, " + std::to_string(count) + " positions";
                const Simplified s = Simplify(track, metres);
                CheckKeptLine(track, s, metres, what);
                EXPECT_EQ(s.newPiece.size(), s.kept.size());
                if (!s.newPiece.empty()) {
                    EXPECT_TRUE(s.newPiece.front()) << what;
                }
                for (std::size_t k = 1; k < s.newPiece.size(); ++k) EXPECT_FALSE(s.newPiece[k]) << what;
            }
        }
    }
}

TEST(TrackSimplify, LeavesOutMostOfASmoothTrack) {
    // Not a correctness property, but a simplifier that keeps everything
    // passes the one above: a gentle walk keeps far fewer than it has.
    std::mt19937_64 random(7);
    const std::vector<Position> track = GeneratedTrack(TrackStyle::Wander, 5000, random);
    const Simplified s = Simplify(track, 50);
    EXPECT_LT(s.kept.size(), track.size() / 4);
    // Jitter of 8 m around one place: all within 16 m of the first.
    EXPECT_EQ(Simplify(GeneratedTrack(TrackStyle::Parked, 5000, random), 16).kept.size(), 2u);
}

Position At(double latitude, double longitude, int index) {
    Position p;
    p.latitude = latitude;
    p.longitude = longitude;
    p.altitude = static_cast<float>(index);
    return p;
}

TEST(TrackSimplify, BoundaryOnBothSides) {
    // Along the equator the great circle is the equator itself: a position
    // at latitude phi lies phi times the radius across it.
    const double metres = 10;
    const double degreesPerMetre = 180 / std::numbers::pi / kEarthRadiusMetres;
    for (const double off : {-1e-3, 1e-3}) {
        const double lat = (metres + off) * degreesPerMetre;
        const std::vector<Position> track = {At(0, 0, 0), At(lat, 0.005, 1), At(0, 0.01, 2)};
        const Simplified s = Simplify(track, metres);
        EXPECT_EQ(s.kept.size(), off < 0 ? 2u : 3u) << "1 mm " << (off < 0 ? "inside" : "outside");
        CheckKeptLine(track, s, metres, "boundary");
    }
}

TEST(TrackSimplify, MeasuresFromTheArcNotTheWholeCircle) {
    // Out 1 km east and back 500 m: the turning point lies on the great
    // circle through the first and last position, but 500 m beyond the arc
    // between them. It is kept.
    Position start = At(45, 7, 0);
    const Position out = test::Destination(start, 90, 1000);
    Position turn = out;
    turn.altitude = 1;
    Position back = test::Destination(start, 90, 500);
    back.altitude = 2;
    ASSERT_LT(test::MetresFromCircle(turn, start, back), 1e-3);
    ASSERT_GT(test::MetresFromArc(turn, start, back), 499);
    const Simplified s = Simplify({start, turn, back}, 100);
    ASSERT_EQ(s.kept.size(), 3u);
    // A turn within the distance, though, is left out.
    Position near = test::Destination(start, 90, 530);
    near.altitude = 1;
    EXPECT_EQ(Simplify({start, near, back}, 100).kept.size(), 2u);
}

TEST(TrackSimplify, TheWindowIsBounded) {
    // A straight line of 5000 positions 10 m apart: within any distance of
    // the arc from first to last, yet a window holds at most
    // kSimplifyWindow positions beyond the distance from its anchor.
    const Position start = At(10, 20, 0);
    std::vector<Position> line;
    for (int i = 0; i < 5000; ++i) {
        Position p = test::Destination(start, 30, 10.0 * i);
        p.altitude = static_cast<float>(i);
        line.push_back(p);
    }
    const Simplified s = Simplify(line, 5);
    CheckKeptLine(line, s, 5, "line");
    EXPECT_GT(s.forced, 0u);
    EXPECT_LE(s.kept.size(), 5000 / (kSimplifyWindow - 1) + 2);
    EXPECT_GE(s.kept.size(), 5000 / (kSimplifyWindow + 1));
}

TEST(TrackSimplify, KeepsTheEndsOfEveryPiece) {
    std::mt19937_64 random(3);
    const std::vector<Position> track = GeneratedTrack(TrackStyle::Mixed, 3000, random);
    std::vector<bool> pieces(track.size());
    for (std::size_t i = 0; i < track.size(); ++i) pieces[i] = i == 0 || random() % 97 == 0;
    const Simplified s = Simplify(track, 20, pieces);
    // Each piece by itself: its first and last kept, the first marked.
    std::size_t k = 0;
    for (std::size_t begin = 0; begin < track.size();) {
        std::size_t end = begin + 1;
        while (end < track.size() && !pieces[end]) ++end;
        const std::vector<Position> piece(track.begin() + static_cast<std::ptrdiff_t>(begin),
                                          track.begin() + static_cast<std::ptrdiff_t>(end));
        Simplified part;
        while (k < s.kept.size() && IndexOf(s.kept[k]) < static_cast<std::int64_t>(end)) {
            part.kept.push_back(s.kept[k]);
            EXPECT_EQ(s.newPiece[k], IndexOf(s.kept[k]) == static_cast<std::int64_t>(begin));
            ++k;
        }
        ASSERT_FALSE(part.kept.empty());
        EXPECT_EQ(IndexOf(part.kept.front()), static_cast<std::int64_t>(begin));
        EXPECT_EQ(IndexOf(part.kept.back()), static_cast<std::int64_t>(end) - 1);
        for (std::size_t i = 1; i < part.kept.size(); ++i) {
            const std::int64_t from = IndexOf(part.kept[i - 1]), to = IndexOf(part.kept[i]);
            for (std::int64_t j = from + 1; j < to; ++j) {
                EXPECT_LE(test::MetresFromArc(track[static_cast<std::size_t>(j)], part.kept[i - 1], part.kept[i]), 20);
            }
        }
        begin = end;
    }
    EXPECT_EQ(k, s.kept.size());
}

TEST(TrackSimplify, EmptyAndSingleTracks) {
    EXPECT_TRUE(Simplify({}, 10).kept.empty());
    const Simplified one = Simplify({At(1, 2, 0)}, 10);
    ASSERT_EQ(one.kept.size(), 1u);
    EXPECT_TRUE(one.newPiece[0]);
    const Simplified same = Simplify({At(1, 2, 0), At(1, 2, 1), At(1, 2, 2)}, 0);
    EXPECT_EQ(same.kept.size(), 2u);  // one place: the middle lies 0 m from the arc
}

}  // namespace
}  // namespace torvane
