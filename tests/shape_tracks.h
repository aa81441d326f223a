// Generated tracks for the shaping stages' tests, a sink that keeps what a
// stage hands on, and distances on the sphere worked out with the classic
// formulas of spherical trigonometry (not the vectors the stages use).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "convert/shape/shape_sink.h"

namespace torvane::test {

// Each generated position carries its index in `altitude` (which no stage
// reads or changes), so that what a stage hands on can be traced back to the input.
inline std::int64_t IndexOf(const Position& p) { return static_cast<std::int64_t>(p.altitude); }

struct Handed {
    Position position;
    bool newPiece;
};

class CollectingSink : public ShapeSink {
public:
    void Take(const Position& position, bool newPiece) override { handed.push_back({position, newPiece}); }
    void End() override { ++ends; }
    std::vector<Handed> handed;
    int ends = 0;
};

// How a generated track moves.
enum class TrackStyle {
    Wander,      // a walk whose heading drifts, steps of a few metres to a hundred
    Zigzag,      // sharp turns every few steps
    OutAndBack,  // along a line and back over it, again and again
    Parked,      // a receiver lying still: jitter of a few metres around one place
    Mixed,       // stretches of each, with jumps of hundreds of kilometres
};

// `count` positions of the style, from a start chosen by `random` (near the
// poles and the antimeridian too), one a second from `startTime` with the
// given share of positions without a time.
std::vector<Position> GeneratedTrack(TrackStyle style, std::size_t count, std::mt19937_64& random,
                                    std::int64_t startTime = 1'700'000'000'000, double untimedShare = 0);

// Metres between two positions (haversine).
double MetresBetween(const Position& a, const Position& b);

// Metres from `q` to the arc of the great circle from `a` to `b`: across the
// circle where q's foot lies on the arc, else to the nearer end.
double MetresFromArc(const Position& q, const Position& a, const Position& b);

// Metres from `q` to the whole great circle through `a` and `b`.
double MetresFromCircle(const Position& q, const Position& a, const Position& b);

// The position `metres` from `from` at `bearingDegrees`.
Position Destination(const Position& from, double bearingDegrees, double metres);

}  // namespace torvane::test
