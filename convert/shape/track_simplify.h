// Simplify: leaves out positions so that every position left out lies
// within a distance (metres) of the arc of the great circle between the
// kept positions before and after it, on the sphere of output/earth.h.
//
// One pass with an opening window: the window runs from the last kept
// position (the anchor) to its newest position (the end), and the end moves
// on while every position between lies within the distance of the arc from
// the anchor to the new end. When a position would break that, the end is
// kept and becomes the next anchor. The first and last position of the
// track, and of each piece, are kept.
//
// Memory is flat: the test across the track is one interval of directions
// from the anchor (the directions of the great circles that pass within the
// distance of every position between), narrowed as each position joins the
// window. Only the test that no position between lies beyond the new end
// needs the positions themselves, and only where the track turns back: the
// window holds at most kSimplifyWindow positions that lie farther than the
// distance from the anchor (those nearer need no test at all: the anchor is
// on every arc), and keeps its end when it is full.
#pragma once

#include <array>
#include <cstddef>

#include "convert/shape/shape_sink.h"
#include "convert/shape/sphere.h"

namespace torvane {

// 512 positions (16 KB): a keep forced by a full window adds at most one
// position in 512 (on a straight road logged once a second, one every eight
// and a half minutes), and the test where the track turns back looks at no
// more than 512 positions for each new one.
inline constexpr std::size_t kSimplifyWindow = 512;

class TrackSimplifier : public ShapeSink {
public:
    // Hands the kept positions to `next`; `metres` of 0 or more.
    TrackSimplifier(double metres, ShapeSink& next);

    void Take(const Position& position, bool newPiece) override;
    void End() override;

    // Keeps forced by a full window, so far.
    std::size_t ForcedKeeps() const { return forcedKeeps_; }

private:
    // A position between anchor and end, farther from the anchor than the distance.
    struct Between {
        UnitVector at;
        double angle;  // from the anchor
    };
    // The window's end, with where it lies seen from the anchor.
    struct WindowEnd {
        Position position;
        UnitVector at;
        double angle = 0;
        double bearing = 0;
    };

    // Directions from the anchor: every one while `open`, else [lo, hi].
    struct Directions {
        bool open = true;
        double lo = 0, hi = 0;
    };

    void StartAt(const Position& position, const UnitVector& at, bool newPiece);
    void SetEnd(const Position& position, const UnitVector& at);
    // Whether the end can move to `at` (at `angle` and `bearing` from the
    // anchor); `directions` narrowed by the old end where it joins those between.
    bool CanMoveEndTo(const UnitVector& at, double angle, double bearing, bool endJoins,
                      Directions& directions) const;
    // Narrows `directions` to those passing within the distance of a
    // position at `angle` and `bearing`; false when none is left.
    bool Narrow(double angle, double bearing, Directions& directions) const;

    double tolerance_;  // radians, with a margin for rounding
    ShapeSink& next_;

    bool started_ = false;
    UnitVector anchor_;
    LocalFrame frame_;
    bool hasEnd_ = false;
    WindowEnd end_;
    // The directions from the anchor of the arcs that pass every position
    // between within the distance.
    Directions directions_;
    std::array<Between, kSimplifyWindow> between_{};
    std::size_t betweenCount_ = 0;
    double farthest_ = 0;  // the greatest angle of those
    std::size_t forcedKeeps_ = 0;
};

}  // namespace torvane
