// The GPX line reader on the lines of arbitrary text, with its track
// point state carried from line to line as in a run.
#include "convert/read/gpx_track_point.h"
#include "converter_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = torvane::fuzz::AsText(data, size);
    torvane::Settings s;
    torvane::fuzz::ChooseOptions(s, torvane::fuzz::Hash(text));
    torvane::Record record;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        torvane::fuzz::ConvertAndCheck(
            s, record,
            [](torvane::Settings& o, torvane::Record& r, std::string_view l) { torvane::ReadGpxLine(o, o.GpxPointState, r, l); },
            text.substr(start, i - start));
        if (!record.invalid) ++s.RecordCount;
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return 0;
}
