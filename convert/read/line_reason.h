// Why a line of a log became a position, or did not: what the readers say
// of each line, for the account of a run's lines.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvane {

enum class LineReason : std::uint8_t {
    Position,              // a position, written
    WithoutFix,            // a position without a fix (GGA quality 0, RMC or GLL status V), written
    SkippedWithoutFix,     // the same, left out by "Skip positions without a fix"
    ZeroPosition,          // a position at 0,0, eliminated
    Checksum,              // skipped for a missing or wrong checksum
    Commas,                // the sentence's name, but too few or too many commas
    ShortTime,             // a field shorter than its least length
    ShortLatitude,
    ShortLongitude,
    ShortAltitude,
    OutOfRange,            // a latitude beyond 90 degrees or a longitude beyond 180
    NumberTooLarge,        // a number too large to be read as one
    FixNotValid,           // an IGC fix flagged "V"
    FixCutShort,           // an IGC fix of fewer than 25 characters
    PointWithoutPosition,  // a GPX track point whose "lat=" and "lon=" cannot be read
    PartOfPoint,           // a GPX line inside a track point before its end
    RecordWithoutPosition, // a FIT record message without a latitude and longitude
    TrackpointWithoutPosition,  // a TCX Trackpoint without a readable Position
    OtherKind,             // a line of another kind
};
inline constexpr std::size_t kLineReasons = static_cast<std::size_t>(LineReason::OtherKind) + 1;

}  // namespace torvane
