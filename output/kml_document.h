// The frame of a KML 2.0 document around the record lines: one Placemark with
// one LineString whose coordinates element receives the lines. Each block's
// inner lines are separated by LF; the writer appends CR LF to each block.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace torvane {

// The KML 2.0 namespace.
inline constexpr std::string_view kKmlNamespace = "http://earth.google.com/kml/2.0";

// Header text (without the final CR LF) from the six KmlProperties entries:
// name, description, line colour, extrude flag, tessellate flag, altitude
// mode. Name and description are written as well-formed XML text in UTF-8.
std::string KmlHeader(const std::array<std::string, 6>& properties);

// Trailer text (without the final CR LF).
std::string_view KmlTrailer();

// `text` as XML character data in UTF-8: markup characters escaped, bytes
// that are not UTF-8 taken as Latin-1, characters XML forbids dropped.
std::string XmlText(std::string_view text);

}  // namespace torvane
