// The shaping stages (crop, shift, split, simplify) hand positions on one at
// a time: each stage is a sink of the one before it and holds no more than a
// bounded window of the track, so memory stays flat for any length.
#pragma once

#include "convert/read/position.h"

namespace torvane {

// Where a stage hands on the positions it keeps, in order.
//
// The time of a position is its `utcTime`: the stages read nothing else of
// the log's dates, so whoever feeds them puts the position's UTC time there
// first (the calendar's time of an NMEA or IGC position, LogDates), and a
// position without one has none.
//
// `newPiece` marks the first position of a piece of the track (a GPX
// `trkseg`): the first position handed on always starts one.
class ShapeSink {
public:
    virtual ~ShapeSink() = default;
    virtual void Take(const Position& position, bool newPiece) = 0;
    // The track has ended: a stage hands on what it still holds.
    virtual void End() = 0;
};

}  // namespace torvane
