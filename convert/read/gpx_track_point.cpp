#include "convert/read/gpx_track_point.h"

#include <array>
#include <bit>
#include <cstddef>

#include "convert/dates/date_sources.h"
#include "convert/read/gpx_measurements.h"
#include "convert/read/text_scan.h"
#include "convert/read/xml_text.h"
#include "output/byte_scan.h"

namespace torvane {
namespace {

constexpr int kLastQuote = 15;

// 1-based position of the first `word` in `line`, 0 when absent.
int PositionOf(std::string_view line, std::string_view word) {
    const std::size_t at = line.find(word);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int PositionOf(std::string_view line, char c) {
    const std::size_t at = line.find(c);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

// quotes[0] is 1; quotes[i] is the first quote at or after position
// quotes[i-1] + 1, or 0 when there is none (the next search then starts
// again at position 1). XML allows either quote around attribute values.
void ScanQuotes(std::string_view line, std::array<int, 16>& quotes) {
    MarkPositions(ScanMarks(line, '"', '\''), kLastQuote, quotes);
}

// The first two quoted values of the line, assigned to latitude and longitude
// by which of "lat" and "lon" comes first.
void ReadPosition(GpxPointStateRecord& point, std::string_view line) {
    const int lat = PositionOf(line, "lat");  // 0 when absent
    const int lon = PositionOf(line, "lon");
    std::array<int, 16> q{};
    ScanQuotes(line, q);
    if (q[1] == 0 || q[2] == 0 || q[3] == 0 || q[4] == 0) {
        point.PositionMissing = true;
        return;
    }
    const std::string_view first = TextBetween(line, q[1], q[2]);
    const std::string_view second = TextBetween(line, q[3], q[4]);
    std::optional<std::string>& latText = point.LatText;
    std::optional<std::string>& lonText = point.LonText;
    if (!latText) latText.emplace();
    if (!lonText) lonText.emplace();
    latText->assign(lat <= lon ? first : second);  // reuses the texts' room
    lonText->assign(lat <= lon ? second : first);
}

// The number between the first ">" and the next "<" (its character
// references read as what they stand for); 0 without such a "<".
void ReadElevation(GpxPointStateRecord& point, std::string_view line) {
    point.OwnElevation = true;
    const int tagEnd = PositionOf(line, '>');
    const std::size_t next = line.find('<', static_cast<std::size_t>(tagEnd));
    if (next == std::string_view::npos) {
        point.EleValue = 0;
        return;
    }
    const std::string_view text = TextBetween(line, tagEnd, static_cast<int>(next) + 1);
    std::string room;
    point.EleValue = LeadingNumber(WithReferencesReadQuick(text, room).value_or(text));
}

// Hour, minute and second as written after the first upper-case "T" (the
// time of day of the table and the drawing, as written); and the whole
// ISO 8601 time around that "T", in UTC, for the dated outputs.
void ReadTime(GpxPointStateRecord& point, std::string_view line) {
    std::string room;
    line = WithReferencesReadQuick(line, room).value_or(line);
    const int t = PositionOf(line, 'T');
    point.Time = GpxPointStateRecord::TimePieces{FixedWidthNumber<2>(line, t + 1), FixedWidthNumber<2>(line, t + 4),
                                                 FixedWidthNumber<2>(line, t + 7)};
    point.UtcTime = t > 10 ? IsoTimeMilliseconds(line.substr(static_cast<std::size_t>(t - 11))) : std::nullopt;
}

// Whether the line holds a track point written as an empty element,
// <trkpt lat="..." lon="..."/>, which closes itself.
bool ClosesItself(std::string_view line) {
    const std::size_t start = line.find("<trkpt");
    if (start == std::string_view::npos) return false;
    const std::size_t end = line.find('>', start);
    return end != std::string_view::npos && line[end - 1] == '/';
}

// Which of the words the reader looks for a line holds, a bit each.
enum LineWord : unsigned {
    kTrkpt = 1u << 0,       // "trkpt"
    kOpenTrkpt = 1u << 1,   // "<trkpt"
    kCloseTrkpt = 1u << 2,  // "/trkpt"
    kLat = 1u << 3,         // "lat="
    kEle = 1u << 4,         // "ele"
    kTime = 1u << 5,        // "time"
};
using LineWords = unsigned;

// Notes the word that starts at `p` (a "t", "l" or "e"), if any.
void NoteWordAt(const char* p, const char* end, const char* begin, LineWords& words) {
    const std::ptrdiff_t left = end - p;
    switch (p[0]) {
        case 't':
            if (left >= 5 && p[1] == 'r' && p[2] == 'k' && p[3] == 'p' && p[4] == 't') {
                words |= kTrkpt;
                if (p > begin && p[-1] == '<') words |= kOpenTrkpt;
                if (p > begin && p[-1] == '/') words |= kCloseTrkpt;
            } else if (left >= 4 && p[1] == 'i' && p[2] == 'm' && p[3] == 'e') {
                words |= kTime;
            }
            break;
        case 'l':
            if (left >= 4 && p[1] == 'a' && p[2] == 't' && p[3] == '=') words |= kLat;
            break;
        case 'e':
            if (left >= 3 && p[1] == 'l' && p[2] == 'e') words |= kEle;
            break;
        default:
            break;
    }
}

// One pass over the line for all the words: a line is read once rather than
// once a word, and only its "t", "l" and "e" characters are looked at closely.
LineWords FindWords(std::string_view line) {
    LineWords words = 0;
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    ScanBytes(begin, line.size(), ByteSet('t', 'l', 'e'), [&](std::size_t at) {
        NoteWordAt(begin + at, end, begin, words);
        return true;
    });
    return words;
}

// A coordinate's number: its character references read as what they stand
// for. False where it holds a reference to anything else.
bool ReadCoordinate(const std::optional<std::string>& text, double& value) {
    std::string room;
    const std::optional<std::string_view> read = WithReferencesReadQuick(text ? *text : std::string_view(), room);
    if (read) value = LeadingNumber(*read);
    return read.has_value();
}

// The closing line: the collected values become the record's position.
void CompletePoint(const RunOptions& options, GpxPointStateRecord& point, Record& record) {
    point.InTrackPoint = false;
    double latitude = 0, longitude = 0;
    if (point.PositionMissing || !ReadCoordinate(point.LatText, latitude) ||
        !ReadCoordinate(point.LonText, longitude)) {
        point.PositionMissing = false;
        record.reason = LineReason::PointWithoutPosition;
        return;  // stays invalid, without a position
    }
    record.invalid = false;
    Position& p = record.position;
    p.latitude = latitude;
    p.longitude = longitude;
    p.utcTime = point.UtcTime;
    p.measurements = point.Measures;
    MarkOutOfRange(record);
    // The manipulation works on a copy: an elevation carried over to a point
    // without one must not receive the offset twice.
    const float altitude = ManipulatedAltitude(options, point.EleValue.value_or(0));
    const GpxPointStateRecord::TimePieces time = point.Time.value_or(GpxPointStateRecord::TimePieces{});
    point.TimeSeconds = time.hour * 3600 + time.minute * 60 + time.second;
    CompletePosition(record, point.TimeSeconds, altitude, true,
                     point.OwnElevation || options.AltitudeMode == AltitudeMode::SetFixed);
}

}  // namespace

void ReadGpxLine(const RunOptions& options, GpxPointStateRecord& point, Record& record, std::string_view line) {
    record.invalid = true;
    record.hasPosition = false;
    // Comments and CDATA sections hold no track points.
    std::string room;
    line = WithoutMarkupQuick(line, point.Inside, room);
    const LineWords words = FindWords(line);
    if ((words & kTrkpt) != 0) {
        // A new point starts with a clean position mark, and with no
        // elevation, time or measurements of its own yet.
        if (!point.InTrackPoint || (words & kOpenTrkpt) != 0) {
            point.PositionMissing = false;
            point.OwnElevation = false;
            point.UtcTime.reset();
            point.Measures.has = 0;
        }
        point.InTrackPoint = true;
    }
    if (!point.InTrackPoint) {
        record.reason = LineReason::OtherKind;
        return;
    }
    record.reason = LineReason::PartOfPoint;  // unless it completes the point
    if ((words & kLat) != 0) ReadPosition(point, line);
    if ((words & kEle) != 0) ReadElevation(point, line);
    if ((words & kTime) != 0) ReadTime(point, line);
    // A line with none of those words may hold an extension's measurement.
    if (words == 0) ReadGpxMeasurement(line, point.Measures);
    if ((words & kCloseTrkpt) != 0 || ((words & kOpenTrkpt) != 0 && ClosesItself(line))) {
        CompletePoint(options, point, record);
    }
}

}  // namespace torvane
