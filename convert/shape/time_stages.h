// Crop and shift: the stages that look at a position's time alone.
#pragma once

#include <cstdint>
#include <optional>

#include "convert/shape/shape_sink.h"

namespace torvane {

// Keeps the positions whose UTC time lies within [from, until] (each bound
// inclusive, either may be absent). A position without a UTC time cannot be
// shown to lie within, and is left out wherever a bound is given; with
// neither bound every position is kept. A piece's mark on a position left
// out passes to the next one kept.
//
// The crop compares the times the log gives: it comes before the shift
// (ShapePipeline), so cropping [from, until] and then shifting by s keeps
// the positions that shifting first and then cropping [from + s, until + s]
// keeps.
class TimeCrop : public ShapeSink {
public:
    TimeCrop(std::optional<std::int64_t> from, std::optional<std::int64_t> until, ShapeSink& next)
        : from_(from), until_(until), next_(next) {}

    void Take(const Position& position, bool newPiece) override;
    void End() override;

    // Positions left out for want of a time, so far.
    std::int64_t Untimed() const { return untimed_; }

private:
    std::optional<std::int64_t> from_, until_;
    ShapeSink& next_;
    bool pendingPiece_ = false;
    std::int64_t untimed_ = 0;
};

// Moves every UTC time by `milliseconds` (the time of day with it, modulo a
// day). A position without a UTC time passes unchanged.
class TimeShift : public ShapeSink {
public:
    TimeShift(std::int64_t milliseconds, ShapeSink& next) : shift_(milliseconds), next_(next) {}

    void Take(const Position& position, bool newPiece) override;
    void End() override { next_.End(); }

private:
    std::int64_t shift_;
    ShapeSink& next_;
};

}  // namespace torvane
