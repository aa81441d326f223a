// Readers of the three NMEA 0183 sentence kinds. Each takes one input line
// (whatever it holds) and fills `record`: its position (latitude, longitude,
// time of day, altitude for GGA), or, where a field fails its check, an
// invalid record without one. Readers never clear `invalid`.
#pragma once

#include <string_view>

#include "convert/read/position.h"
#include "convert/read/text_scan.h"

namespace torvane {

void ReadGgaSentence(const RunOptions& options, Record& record, std::string_view line);
void ReadGllSentence(const RunOptions& options, Record& record, std::string_view line);
void ReadRmcSentence(const RunOptions& options, Record& record, std::string_view line);

// The same, reusing a scan of the line's commas that the caller made.
void ReadGgaSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas);
void ReadGllSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas);
void ReadRmcSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas);

// The GGA reader of "accept every satellite system": an altitude field of
// one or two characters ("0", "-2", "12", as marine receivers write them) is
// read like a longer one; an empty one still fails the check.
void ReadGgaSentenceShortAltitude(const RunOptions& options, Record& record, std::string_view line,
                                  const MarkScan& commas);

}  // namespace torvane
