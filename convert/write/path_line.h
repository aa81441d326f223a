// The line of one record in a table, a KML path or an overlay: the text a
// writer of those outputs gives each record it writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/read/position.h"
#include "output/position_line.h"

namespace torvane {

// The most bytes of a record's line.
inline constexpr std::size_t kMaxPathLineText = kMaxRecordLineText;

// Writes the record's line for `kind` at `out` (kMaxPathLineText bytes of
// room), post-processed for `decimalComma`, and returns its end; nothing for
// a record without a position (a record whose fields fail: an empty line
// where nothing is eliminated). Overlay points are numbered `pointNumber`.
char* WritePathLine(char* out, OutputKind kind, const Record& record, std::int64_t pointNumber, bool decimalComma);

// The same line as the whole of `line`.
void ComposePathLine(std::string& line, OutputKind kind, const Record& record, std::int64_t pointNumber,
                     bool decimalComma);

}  // namespace torvane
