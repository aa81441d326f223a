// The frame of a TOP overlay around the point lines: the symbol section
// before them, the overlay and map-position sections after them. Every line
// of both blocks ends with CR LF; the writer appends the last one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

// Symbol section (without the final CR LF). The point count line carries
// `detectedRecordCount` + 1; the size line "10" followed by the width text.
std::string OvlHeader(int colourCode, std::string_view lineWidth, std::int64_t detectedRecordCount);

// Overlay and map-position sections (without the final CR LF).
std::string OvlTrailer(std::string_view mapName, std::string_view centerLatText, std::string_view centerLongText);

// Whether `text` may stand as an overlay value (the map name, the line
// width): one line, without CR or LF, which would start new lines and
// sections of the overlay.
bool IsOverlayValue(std::string_view text);

// The line that replaces the point count once the real number is known.
std::string OvlPointCountLine(std::int64_t recordCount);

}  // namespace torvane
