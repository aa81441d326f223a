// The IGC fix reader on one arbitrary line. The record loop hands it only
// lines with "B" first and "A" as 25th character, so most inputs are made
// into such a line first; the rest go in as they are.
#include <string>

#include "convert/read/igc_fix.h"
#include "converter_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string line(torvane::fuzz::AsText(data, size));
    if (line.size() >= 25 && (line.size() & 1) == 0) {
        line[0] = 'B';
        line[24] = 'A';
    }
    torvane::Settings s;
    torvane::fuzz::ChooseOptions(s, torvane::fuzz::Hash(line));
    torvane::Record record;
    torvane::fuzz::ConvertAndCheck(
        s, record, [](torvane::Settings& o, torvane::Record& r, std::string_view l) { torvane::ReadIgcFix(o, r, l); },
        line);
    return 0;
}
