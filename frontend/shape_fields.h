// The shaping options as every front end takes them: each field read by
// its one rule (the command line's --from, --until, --time-shift,
// --split-gap, --simplify and --max-points; the window's and the page's
// boxes of the same names), and which outputs take which option.
#pragma once

#include <string_view>

#include "convert/settings.h"
#include "convert/shape/shape_options.h"

namespace torvane::frontend {

enum class ShapeField { From, Until, TimeShift, SplitGap, Simplify, MaxPoints };

// Reads `text` into its member of `o`. False when it is not what the field
// takes: a time with its zone; [+-]hh:mm:ss; a duration above 0 (hh:mm:ss,
// or a number with s, m or h); metres above 0; a whole number above 0.
bool ReadShapeField(ShapeField field, std::string_view text, ShapeOptions& o);

// What a set of shaping options asks that the output cannot give, if anything.
enum class ShapeConflict {
    None,
    SplitWithoutPieces,  // a split, but only GPX, GeoJSON and the KML time track hold pieces
    ShiftWithoutTimes,   // a shift of the KML path or the overlay, which hold no times
    FromAfterUntil,      // the crop keeps nothing
};
ShapeConflict FindShapeConflict(const ShapeOptions& o, OutputKind kind, bool kmlTimeTrack);

}  // namespace torvane::frontend
