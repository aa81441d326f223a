#include "convert/shape/track_simplify.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "output/earth.h"

namespace torvane {
namespace {

constexpr double kPi = std::numbers::pi;

// Rounding in the vectors and angles stays far below a micrometre.
constexpr double kMarginMetres = 1e-6;

// `angle` brought into (-pi, pi].
double Wrapped(double angle) {
    angle = std::remainder(angle, 2 * kPi);
    return angle <= -kPi ? angle + 2 * kPi : angle;
}

}  // namespace

TrackSimplifier::TrackSimplifier(double metres, ShapeSink& next)
    : tolerance_(std::max(0.0, metres - kMarginMetres) / kEarthRadiusMetres), next_(next) {}

void TrackSimplifier::StartAt(const Position& position, const UnitVector& at, bool newPiece) {
    next_.Take(position, newPiece);
    anchor_ = at;
    frame_ = LocalFrameOf(position.latitude, position.longitude);
    hasEnd_ = false;
    directions_ = Directions{};
    betweenCount_ = 0;
    farthest_ = 0;
}

void TrackSimplifier::SetEnd(const Position& position, const UnitVector& at) {
    end_.position = position;
    end_.at = at;
    end_.angle = AngleBetween(anchor_, at);
    end_.bearing = BearingTo(frame_, at);
    hasEnd_ = true;
}

bool TrackSimplifier::Narrow(double angle, double bearing, Directions& directions) const {
    // Beyond a quarter circle the test across the track no longer tells
    // which side of the anchor a position lies on: such a window closes.
    if (angle >= kPi / 2) return false;
    // sin(across) = sin(angle) sin(bearing difference), on the sphere.
    const double half = std::asin(std::min(1.0, std::sin(tolerance_) / std::sin(angle)));
    if (directions.open) {
        directions = {false, bearing - half, bearing + half};
        return true;
    }
    const double middle = (directions.lo + directions.hi) / 2;
    const double centre = middle + Wrapped(bearing - middle);
    directions.lo = std::max(directions.lo, centre - half);
    directions.hi = std::min(directions.hi, centre + half);
    return directions.lo <= directions.hi;
}

bool TrackSimplifier::CanMoveEndTo(const UnitVector& at, double angle, double bearing, bool endJoins,
                                   Directions& directions) const {
    if (angle >= kPi / 2) return false;
    if (endJoins && !Narrow(end_.angle, end_.bearing, directions)) return false;
    // Those between that are no farther from the anchor than the new end lie
    // beside its arc where the arc's direction passes them within the
    // distance. (A new end within the distance of the anchor has no such
    // position between, and no direction worth the name.)
    if (angle > tolerance_ && !directions.open) {
        const double middle = (directions.lo + directions.hi) / 2;
        if (std::abs(Wrapped(bearing - middle)) > (directions.hi - directions.lo) / 2) return false;
    }
    // Those farther: the track turned back, and each is measured.
    const double farthest = std::max(farthest_, endJoins ? end_.angle : 0.0);
    if (farthest <= angle) return true;
    if (endJoins && end_.angle > angle && AngleFromArc(end_.at, anchor_, at) > tolerance_) return false;
    for (std::size_t i = betweenCount_; i-- > 0;) {  // the newest first: there the track turned
        const Between& b = between_[i];
        if (b.angle > angle && AngleFromArc(b.at, anchor_, at) > tolerance_) return false;
    }
    return true;
}

void TrackSimplifier::Take(const Position& position, bool newPiece) {
    const UnitVector at = UnitVectorOf(position.latitude, position.longitude);
    if (!started_ || newPiece) {
        if (hasEnd_) next_.Take(end_.position, false);
        StartAt(position, at, true);
        started_ = true;
        return;
    }
    if (!hasEnd_) {
        SetEnd(position, at);
        return;
    }
    const double angle = AngleBetween(anchor_, at);
    const double bearing = BearingTo(frame_, at);
    // The old end joins those between that are measured, unless it lies
    // within the distance of the anchor (then every arc from the anchor passes it).
    const bool endJoins = end_.angle > tolerance_;
    const bool full = endJoins && betweenCount_ == kSimplifyWindow;
    Directions directions = directions_;
    if (!full && CanMoveEndTo(at, angle, bearing, endJoins, directions)) {
        directions_ = directions;
        if (endJoins) {
            between_[betweenCount_++] = {end_.at, end_.angle};
            farthest_ = std::max(farthest_, end_.angle);
        }
        end_.position = position;
        end_.at = at;
        end_.angle = angle;
        end_.bearing = bearing;
        return;
    }
    if (full) ++forcedKeeps_;
    // The end is kept and anchors the next window.
    const Position kept = end_.position;
    StartAt(kept, end_.at, false);
    SetEnd(position, at);
}

void TrackSimplifier::End() {
    if (hasEnd_) next_.Take(end_.position, false);
    hasEnd_ = false;
    started_ = false;
    next_.End();
}

}  // namespace torvane
