// Converter of IGC flight-recorder fix records (B records).
#pragma once

#include <string_view>

#include "convert/settings.h"

namespace torvane {

// Converts one B record that the record loop found valid; fills the current
// record of `s` and leaves the output line in s.OutputLine.
void ConvertIgcFix(Settings& s, std::string_view line);

}  // namespace torvane
