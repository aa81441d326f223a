// A position as a value: what a reader makes of a log's line, handed on to
// the writers. Readers fill it and know nothing of outputs; writers take it
// and know nothing of input formats.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

#include "convert/read/line_reason.h"
#include "convert/settings.h"
#include "output/measurements.h"

namespace torvane {

struct Position {
    double latitude = 0;   // signed decimal degrees, south negative
    double longitude = 0;  // signed decimal degrees, west negative
    // After the altitude options, rounded once to a 32-bit float: the value
    // the table and the KML path write (0 where the kind has none).
    float altitude = 0;
    double timeOfDay = 0;         // seconds since midnight, as the log writes it
    bool tableAltitude = false;   // the kind has an altitude column (the table's)
    bool altitudeGiven = false;   // the log (or a fixed altitude) gives this position one
    Measurements measurements;
    // The position's own time in UTC (milliseconds since 1970-01-01) where
    // the log gives it with its date (a GPX point); other kinds are dated
    // by the calendar of the log's dates.
    std::optional<std::int64_t> utcTime;
};
// Copied by value from reader to writer, as cheaply as its bytes.
static_assert(std::is_trivially_copyable_v<Position> && sizeof(Position) <= 64);

// What a reader made of one line that it did not skip: a record, which may
// be invalid (written only where nothing is eliminated), and may have no
// position at all (a record whose fields fail: an empty table line).
struct Record {
    Position position;
    bool invalid = false;      // left out wherever invalid records are eliminated
    bool hasPosition = false;  // `position` is this line's own
    LineReason reason = LineReason::Position;  // why the line is no position, where it is none

    // Starts the next line: valid until a check fails, nothing read yet.
    void Begin() {
        invalid = false;
        hasPosition = false;
        reason = LineReason::Position;
    }
    // The line's fields fail: an invalid record without a position.
    void Fail(LineReason why) {
        invalid = true;
        hasPosition = false;
        reason = why;
    }
};

// Marks the record invalid where its latitude lies beyond 90 degrees or its
// longitude beyond 180.
void MarkOutOfRange(Record& record);

// The last step every reader shares, once latitude and longitude are read:
// the rest of the position. `altitude` is the value the table and the KML
// path write; `tableAltitude` whether the table has an altitude column;
// `altitudeGiven` whether the log (or a fixed altitude) gives this position
// one. A latitude, longitude or altitude that is not finite (its number did
// not fit) makes the record invalid, without a position.
void CompletePosition(Record& record, double timeOfDay, double altitude, bool tableAltitude, bool altitudeGiven);

// Altitude manipulation by the options, rounded once to a 32-bit float.
float ManipulatedAltitude(const RunOptions& options, double altitude);

}  // namespace torvane
