// What the user asks of the track's shape: crop, shift, split, simplify
// (see shape_pipeline.h for the order they apply in). All off by default.
#pragma once

#include <cstdint>
#include <optional>

namespace torvane {

struct ShapeOptions {
    std::optional<std::int64_t> from, until;  // UTC milliseconds, both inclusive
    std::int64_t timeShift = 0;               // milliseconds
    std::optional<std::int64_t> splitGap;     // milliseconds: a longer pause starts a piece
    bool splitDay = false;                    // a new UTC day starts a piece
    std::optional<double> simplifyMetres;
    // At most this many positions: simplified at the least distance that
    // keeps to it (found by passes over the log before the one that writes).
    std::optional<std::int64_t> maxPoints;

    bool Crops() const { return from || until; }
    bool Splits() const { return splitGap || splitDay; }
    // Whether an option reads the positions' times (a log without dates cannot have them).
    bool NeedsTimes() const { return Crops() || timeShift != 0 || Splits(); }
    bool Any() const { return NeedsTimes() || simplifyMetres.has_value() || maxPoints.has_value(); }
};

}  // namespace torvane
