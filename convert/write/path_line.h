// The line of one record in a table, a KML path or an overlay: the text a
// writer of those outputs gives each record it writes.
#pragma once

#include <cstdint>
#include <string>

#include "convert/read/position.h"

namespace torvane {

// Replaces `line` with the record's line for `kind`, post-processed for
// `decimalComma`; empty for a record without a position (a record whose
// fields fail: an empty line where nothing is eliminated). Overlay points
// are numbered `pointNumber`.
void ComposePathLine(std::string& line, OutputKind kind, const Record& record, std::int64_t pointNumber,
                     bool decimalComma);

}  // namespace torvane
