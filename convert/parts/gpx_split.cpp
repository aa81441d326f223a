#include "convert/parts/gpx_split.h"

#include <memory>
#include <string_view>

#include "convert/files/line_reader.h"
#include "convert/read/gpx_track_point.h"

namespace torvane {
namespace {

constexpr std::size_t kLeadIn = 128u << 10;  // looked at before the middle
constexpr std::size_t kLookAhead = 64u << 10;  // and after it
constexpr std::string_view kOpenTag = "<trkpt";

// The start of the line holding the first "<trkpt" at or after `from`, if
// that line starts in `text` after an LF (as the parts of other logs do;
// a log with CR alone runs in one pass); npos otherwise.
std::size_t OpeningLineAtOrAfter(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find(kOpenTag, from); at != std::string_view::npos; at = text.find(kOpenTag, at + 1)) {
        const std::size_t end = text.find_last_of("\r\n", at);
        if (end != std::string_view::npos && text[end] == '\n') return end + 1;
    }
    return std::string_view::npos;
}

// Reads the lines of the file's bytes `range` (whole lines) into `point`.
// False when they cannot be read.
bool ReadLines(const RunOptions& options, GpxPointStateRecord& point, platform::FileHandle file, ByteRange range) {
    LineReader reader(file, range);
    Record record;
    std::string_view line;
    LineReader::Status status;
    while ((status = reader.Next(line)) == LineReader::Status::Line) ReadGpxLine(options, point, record, line);
    return status == LineReader::Status::End;
}

}  // namespace

std::uint64_t TrackPointBoundaryNearMiddle(platform::FileHandle file, std::uint64_t size, const RunOptions& s,
                                           GpxPointStateRecord& laterPoint) {
    const std::uint64_t middle = size / 2;
    const std::uint64_t windowStart = middle > kLeadIn ? middle - kLeadIn : 0;
    const std::size_t wanted = static_cast<std::size_t>(middle - windowStart) + kLookAhead;
    const std::unique_ptr<char[]> block(new char[wanted]);
    const std::ptrdiff_t n = platform::ReadSomeAt(file, block.get(), wanted, windowStart);
    if (n <= 0) return 0;
    const std::string_view window(block.get(), static_cast<std::size_t>(n));

    const std::size_t mid = static_cast<std::size_t>(middle - windowStart);
    const std::size_t split = OpeningLineAtOrAfter(window, mid < window.size() ? mid : window.size());
    const std::size_t leadIn = OpeningLineAtOrAfter(window, 0);
    if (split == std::string_view::npos || leadIn == std::string_view::npos || leadIn >= split) return 0;
    if (windowStart + split >= size) return 0;

    // From a state that knows nothing, the points before the split must
    // give every value one pass could carry over them.
    GpxPointStateRecord point;
    if (!ReadLines(s, point, file, ByteRange{windowStart + leadIn, windowStart + split})) return 0;
    if (!point.LatText || !point.LonText || !point.EleValue || !point.Time) return 0;
    laterPoint = point;
    return windowStart + split;
}

}  // namespace torvane
