// A GeoJSON (RFC 7946) document of one track: a FeatureCollection with its
// bbox and one Feature, whose geometry is a LineString of [lon, lat, alt]
// (a Point for a single position) and whose properties hold the name, the
// start and end times and, for a dated track, the time of every coordinate
// (coordinateProperties.times) and of what was measured there (heart,
// cadence, power, atemp, speed: one array each that any position has, null
// where a position has no value). The coordinates and the times stand one a
// line, in two runs of lines the writer collects apart; the frame goes
// around them. Lines end in CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "coordinate_text.h"
#include "dated_point.h"
#include "position_line.h"
#include "track_time.h"

namespace torvane {

struct GeoJsonFrame {
    std::string_view name;
    std::int64_t count = 0;        // positions
    OverlayBounds bounds;          // of every position
    const DatedPoint* only = nullptr;  // the position of a track of one
    // The times of the first and last dated positions; none for an undated track.
    std::optional<std::int64_t> start, end;
    bool milliseconds = false;
    // A track split into pieces: a MultiLineString, its times a list per
    // piece (a track of one position stays a Point).
    bool pieces = false;
    // The measurements some position has (Measurements bits): an array of
    // each in coordinateProperties after the times.
    std::uint8_t measures = 0;
};

// `[lon,lat,alt]` (or `[lon,lat]` without an altitude), written at `out`
// (kMaxGeoJsonPositionText bytes of room); returns its end.
inline constexpr std::size_t kMaxGeoJsonPositionText = 3 * kMaxCoordinateText + 8;
char* WriteGeoJsonPosition(char* out, const DatedPoint& point);
// `"YYYY-MM-DDThh:mm:ssZ"`; `null` for a position without a time; written
// at `out` (kMaxGeoJsonTimeText bytes of room).
inline constexpr std::size_t kMaxGeoJsonTimeText = kMaxIsoTimeText + 2;
char* WriteGeoJsonTime(char* out, const DatedPoint& point, bool milliseconds, IsoTimeText& times);

// The value of measurement `bit` at `point`; `null` where it has none.
void ComposeGeoJsonMeasure(std::string& text, const DatedPoint& point, std::uint8_t bit);
// The name of the array of measurement `bit` in coordinateProperties.
std::string_view GeoJsonMeasureName(std::uint8_t bit);

// Between two coordinate (or time, or measurement) lines.
inline constexpr std::string_view kGeoJsonSeparator = ",\r\n";
// Between the last position (or time) of one piece and the first of the next.
inline constexpr std::string_view kGeoJsonPieceSeparator = "\r\n],[\r\n";

// Before the coordinate lines; with one position the whole geometry.
std::string GeoJsonHead(const GeoJsonFrame& frame);
// After the coordinate lines, before the time lines (the properties).
std::string GeoJsonMiddle(const GeoJsonFrame& frame);
// After the time lines (or after the previous measurement's lines), before
// the lines of measurement `bit`.
std::string GeoJsonMeasureHead(const GeoJsonFrame& frame, std::uint8_t bit);
// After the time lines, or after the last measurement's.
std::string_view GeoJsonTail(const GeoJsonFrame& frame);

}  // namespace torvane
