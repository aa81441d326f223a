// One converter on arbitrary lines: whatever a line holds, the converter
// returns, leaves a record line made of pattern texts only, and marks any
// position out of range as invalid.
#pragma once

#include <cmath>
#include <string_view>

#include "fuzz_support.h"
#include "output/position_line.h"

namespace torvane::fuzz {

using Converter = void (*)(Settings&, std::string_view);

// Converts `line` as the record loop would (RecordInvalid cleared first,
// the line post-processed after) and checks the result.
inline void ConvertAndCheck(Settings& s, Converter convert, std::string_view line) {
    s.RecordInvalid = false;
    convert(s, line);
    PostProcessLine(s.OutputLine, s.UseDecimalComma);
    RequireRecordLine(s);
    if (!s.RecordInvalid) {
        Require(std::fabs(s.Latitude) <= 90 && std::fabs(s.Longitude) <= 180,
                "position out of range not marked invalid", s.OutputLine);
    }
}

// One line per input, with options chosen by the bytes.
inline int FuzzOneLine(const std::uint8_t* data, std::size_t size, Converter convert) {
    const std::string_view line = AsText(data, size);
    Settings s;
    ChooseOptions(s, Hash(line));
    s.RecordCount = static_cast<std::int64_t>(size % 7);
    ConvertAndCheck(s, convert, line);
    return 0;
}

}  // namespace torvane::fuzz
