// Converters of the three NMEA 0183 sentence kinds. Each takes one input line
// (whatever it holds), fills the current record of `s` (Latitude, Longitude,
// Altitude for GGA and GLL, RecordInvalid, CommaPos) and leaves the output
// line in s.OutputLine: empty when the sentence fails a field check.
// Converters never clear RecordInvalid and never write.
#pragma once

#include <string_view>

#include "convert/settings.h"
#include "convert/read/text_scan.h"

namespace torvane {

void ConvertGgaSentence(Settings& s, std::string_view line);
void ConvertGllSentence(Settings& s, std::string_view line);
void ConvertRmcSentence(Settings& s, std::string_view line);

// The same, reusing a scan of the line's commas that the caller made.
void ConvertGgaSentence(Settings& s, std::string_view line, const MarkScan& commas);
void ConvertGllSentence(Settings& s, std::string_view line, const MarkScan& commas);
void ConvertRmcSentence(Settings& s, std::string_view line, const MarkScan& commas);

// The GGA converter of "accept every satellite system": an altitude field of
// one or two characters ("0", "-2", "12", as marine receivers write them) is
// read like a longer one; an empty one still fails the check.
void ConvertGgaSentenceShortAltitude(Settings& s, std::string_view line, const MarkScan& commas);

}  // namespace torvane
