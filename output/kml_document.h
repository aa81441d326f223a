// The frame of a KML 2.0 document (or of a KML 2.2 one with a time track) around the record lines: one Placemark with
// one LineString whose coordinates element receives the lines. Each block's
// inner lines are separated by LF; the writer appends CR LF to each block.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "coordinate_text.h"
#include "dated_point.h"
#include "track_time.h"

namespace torvane {

// The KML 2.0 namespace.
inline constexpr std::string_view kKmlNamespace = "http://earth.google.com/kml/2.0";

// Header text (without the final CR LF) from the six KmlProperties entries:
// name, description, line colour, extrude flag, tessellate flag, altitude
// mode. Name and description are written as well-formed XML text in UTF-8.
// With `timeDocument`, the same placemark opens a KML 2.2 document (with
// Google's extension namespace) whose time track follows the path; its
// `schema` (KmlMeasureSchema), if any, stands before the placemark.
std::string KmlHeader(const std::array<std::string, 6>& properties, bool timeDocument = false,
                      std::string_view schema = {});

// Trailer text (without the final CR LF).
std::string_view KmlTrailer();

// The KML 2.2 document with a time track: the styled path as above, then a
// second placemark with a TimeSpan and a gx:Track holding first every
// <when> line and then every <gx:coord> line (Google Earth shows nothing for
// interleaved ones), in the path's altitude mode.
inline constexpr std::string_view kKml22Namespace = "http://www.opengis.net/kml/2.2";
inline constexpr std::string_view kKmlExtensionNamespace = "http://www.google.com/kml/ext/2.2";

// After the path's coordinate lines, up to the first <when> line (without
// the final CR LF). `begin` and `end` are the ISO times of the span. With
// `pieces`, a gx:MultiTrack stands in the gx:Track's place: each piece of
// the track is a gx:Track of its own (KmlPieceStart, its <when> lines, its
// <gx:coord> lines, its measurements, KmlPieceEnd), all in the altitude mode.
std::string KmlTimeTrackHead(const std::array<std::string, 6>& properties, std::string_view begin,
                             std::string_view end, bool pieces = false);
std::string_view KmlPieceStart();
std::string_view KmlPieceEnd();
// "<when>TIME</when>" and "<gx:coord>lon lat alt</gx:coord>", indented; a
// point without an altitude of its own has "lon lat" alone. Written at
// `out`, which has the room kMax..Text says; each returns its end.
inline constexpr std::size_t kMaxKmlWhenText = kMaxIsoTimeText + 32;
inline constexpr std::size_t kMaxKmlTrackCoordText = 3 * kMaxCoordinateText + 32;
char* WriteKmlWhen(char* out, std::int64_t utcMilliseconds, bool milliseconds, IsoTimeText& times);
char* WriteKmlTrackCoord(char* out, const DatedPoint& point);
// What the time track's points measured, which Google Earth draws under
// the elevation profile: the document's Schema (before its placemarks,
// KmlHeader) of a gx:SimpleArrayField for each measurement of `measures`
// (Measurements bits: heart rate, cadence, power, temperature); and after the <gx:coord> lines an ExtendedData with
// a gx:SimpleArrayData of each, one <gx:value> a <when> (empty where a
// point has no value). Without the final CR LF.
inline constexpr std::uint8_t kKmlMeasures =
    Measurements::kHeartRate | Measurements::kCadence | Measurements::kPower | Measurements::kTemperature;
std::string KmlMeasureSchema(std::uint8_t measures);
std::string_view KmlMeasureDataHead();
std::string KmlMeasureArrayHead(std::uint8_t bit);
void ComposeKmlValue(std::string& line, const Measurements& m, std::uint8_t bit);
std::string_view KmlMeasureArrayTail();
std::string_view KmlMeasureDataTail();

// After the last <gx:coord> line (or the measurements); or, for a document without times, right
// after the path's coordinate lines (without the final CR LF).
std::string_view KmlTimeTrackTrailer();
std::string_view KmlMultiTrackTrailer();
std::string_view KmlTimeDocumentTrailerWithoutTrack();

// `text` as XML character data in UTF-8: markup characters escaped, bytes
// that are not UTF-8 taken as Latin-1, characters XML forbids dropped.
std::string XmlText(std::string_view text);

}  // namespace torvane
