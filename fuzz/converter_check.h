// One reader on arbitrary lines: whatever a line holds, the reader
// returns, gives a record whose written line is made of pattern texts only,
// and marks any position out of range as invalid.
#pragma once

#include <cmath>
#include <string_view>

#include "convert/write/path_line.h"
#include "fuzz_support.h"

namespace torvane::fuzz {

// A reader of one line: `s` holds the options and the reader's state.
using Converter = void (*)(Settings& s, Record& record, std::string_view line);

// Reads `line` as the record loop would, writes the record's line as a
// table's, KML path's or overlay's writer does, and checks the result.
inline void ConvertAndCheck(Settings& s, Record& record, Converter read, std::string_view line) {
    record.Begin();
    read(s, record, line);
    std::string text;
    ComposePathLine(text, s.OutputType, record, s.RecordCount, s.UseDecimalComma);
    RequireRecordLine(s.OutputType, text);
    if (!record.invalid) {
        Require(std::fabs(record.position.latitude) <= 90 && std::fabs(record.position.longitude) <= 180,
                "position out of range not marked invalid", text);
    }
}

// One line per input, with options chosen by the bytes.
inline int FuzzOneLine(const std::uint8_t* data, std::size_t size, Converter convert) {
    const std::string_view line = AsText(data, size);
    Settings s;
    ChooseOptions(s, Hash(line));
    s.RecordCount = static_cast<std::int64_t>(size % 7);
    Record record;
    ConvertAndCheck(s, record, convert, line);
    return 0;
}

}  // namespace torvane::fuzz
