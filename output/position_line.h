// The text of one position in the output: the Table, KML or OVL line of a
// position record, plus the rules every reader and the record loop share:
// altitude manipulation, line post-processing, the write decision and the
// overlay centre. Pure formatting: values in, text out.
//
// The record loop (convert/run/record_loop) hands each line to a reader,
// which gives a record; the writer of a table, KML path or overlay
// composes its line through convert/write/path_line, which calls
// ComposeRecordLine here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "choices.h"
#include "number_pattern.h"

namespace torvane {

// The KML field separator ComposeRecordLine puts between coordinates: the byte
// 0xA7 ("§" in Latin-1). It becomes "," in post-processing.
inline constexpr char kKmlFieldSeparator = '\xA7';

struct PositionRecord {
    double timeOfDay = 0;   // seconds since midnight
    double latitude = 0;    // signed decimal degrees, south negative
    double longitude = 0;   // signed decimal degrees, west negative
    double altitude = 0;    // the value written (already a 32-bit float where it is stored as one)
    bool tableAltitude = true;  // whether the Table line carries an altitude column
};

// The most bytes of a record's line: four numbers and the fixed texts.
inline constexpr std::size_t kMaxRecordLineText = 4 * kMaxNumberText + 64;

// Writes the record's line for `kind` at `out` (kMaxRecordLineText bytes of
// room) and returns its end; "." as decimal point and kKmlFieldSeparator
// between KML fields. A KML line is one coordinate tuple: blanks only before
// it, none after its separators. OVL points are numbered `pointNumber`.
// OutputKind::None gives an empty line.
char* WriteRecordLine(char* out, OutputKind kind, const PositionRecord& record, std::int64_t pointNumber);
// The same line as the whole of `line`.
void ComposeRecordLine(std::string& line, OutputKind kind, const PositionRecord& record,
                       std::int64_t pointNumber);

// The altitude after manipulation: Add adds `value` (when not 0), SetFixed
// replaces the altitude by `value`; NeverSet leaves it as it is. The
// arithmetic is in double precision; the caller rounds to float once.
double ApplyAltitudeManipulation(double altitude, AltitudeMode mode, double value);

// Decimal separator and KML field separator, in the record loop's order:
// with `decimalComma` every "." becomes ","; without it every "," becomes
// "." (a line from ComposeRecordLine holds none, so nothing changes); then
// kKmlFieldSeparator becomes ",".
void PostProcessLine(std::string& line, bool decimalComma);
// The same on the `size` bytes at `text`.
void PostProcessText(char* text, std::size_t size, bool decimalComma);

// Standard write rule: everything without elimination; with it, only valid
// records at a non-zero position (latitude or longitude not exactly 0).
bool PassesWriteTest(bool eliminateZeroPositions, bool recordInvalid, double latitude, double longitude);

// GPX write rule: never an invalid line; otherwise the standard rule.
bool PassesGpxWriteTest(bool eliminateZeroPositions, bool recordInvalid, double latitude, double longitude);

// Running bounding box of the overlay points of one run.
struct OverlayBounds {
    bool empty = true;
    double minLatitude = 0, maxLatitude = 0, minLongitude = 0, maxLongitude = 0;

    void Include(double latitude, double longitude);
    // Widened to take in `other` as well (of a later part of the track).
    void Include(const OverlayBounds& other);
};

// The centre of `bounds` in the pattern "##.0000000;-##.0000000".
void FormatOverlayCenter(const OverlayBounds& bounds, std::string& centerLatText, std::string& centerLongText);

}  // namespace torvane
