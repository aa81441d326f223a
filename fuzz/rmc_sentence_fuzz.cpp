// The RMC sentence reader on one arbitrary line.
#include "convert/read/nmea_sentences.h"
#include "converter_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return torvane::fuzz::FuzzOneLine(data, size, [](torvane::Settings& s, torvane::Record& record, std::string_view line) {
        torvane::ReadRmcSentence(s, record, line);
    });
}
