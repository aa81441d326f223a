// Reader of IGC flight-recorder fix records (B records).
#pragma once

#include <string_view>

#include "convert/read/position.h"

namespace torvane {

// Reads one B record that the record loop found valid into `record`.
void ReadIgcFix(const RunOptions& options, Record& record, std::string_view line);

}  // namespace torvane
