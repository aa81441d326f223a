// The shaping options and the pipeline that applies them, in one fixed order
// whatever order they are given in: crop, shift, split, simplify.
//
// - The crop compares the times the log gives (before the shift): to crop
//   by corrected times, move the bounds by the shift as well.
// - The split and the simplifier see the shifted times; a new UTC day is a
//   day of the shifted times.
// - The simplifier works within each piece: the first and last position of
//   every piece are kept.
//
// With every option off, the pipeline hands on every position unchanged,
// the first marked as the start of the one piece.
#pragma once

#include <cstdint>
#include <optional>

#include "convert/shape/piece_split.h"
#include "convert/shape/shape_options.h"
#include "convert/shape/shape_sink.h"
#include "convert/shape/time_stages.h"
#include "convert/shape/track_simplify.h"

namespace torvane {

class ShapePipeline {
public:
    // Hands the shaped positions to `out`, which outlives the pipeline.
    ShapePipeline(const ShapeOptions& options, ShapeSink& out);
    ShapePipeline(const ShapePipeline&) = delete;
    ShapePipeline& operator=(const ShapePipeline&) = delete;

    // The next position of the track, its `utcTime` the time it has (see ShapeSink).
    void Take(const Position& position) { crop_.Take(position, false); }
    // The track has ended: what the stages hold is handed on, and `out` ends.
    void End() { crop_.End(); }

    // Positions a crop left out for want of a time; pieces begun; keeps
    // the simplifier's full window forced.
    std::int64_t Untimed() const { return crop_.Untimed(); }
    std::int64_t Pieces() const { return split_.Pieces(); }
    std::size_t ForcedKeeps() const { return simplify_.ForcedKeeps(); }

private:
    // Each stage hands on to the one declared before it (and so built before it).
    TrackSimplifier simplify_;
    PieceSplit split_;
    TimeShift shift_;
    TimeCrop crop_;
};

}  // namespace torvane
