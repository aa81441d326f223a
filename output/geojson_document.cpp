#include "geojson_document.h"

#include "coordinate_text.h"
#include "text_out.h"
#include "track_time.h"

namespace torvane {
namespace {

bool IsLine(const GeoJsonFrame& frame) { return frame.count > 1; }

// The brackets around a line's list, and a piece's within a track of pieces.
std::string_view Open(const GeoJsonFrame& frame) { return frame.pieces ? "[[\r\n" : "[\r\n"; }
std::string_view Close(const GeoJsonFrame& frame) { return frame.pieces ? "\r\n]]" : "\r\n]"; }

// A track's lists as GeoJsonMiddle and GeoJsonTail write them.
std::string_view ListOpen(const GeoJsonFrame& frame) { return IsLine(frame) ? Open(frame) : "[\r\n"; }
std::string_view ListClose(const GeoJsonFrame& frame) { return IsLine(frame) ? Close(frame) : "\r\n]"; }

void AppendQuotedTime(std::string& text, std::int64_t utcMilliseconds, bool milliseconds) {
    text += '"';
    AppendIsoTime(text, utcMilliseconds, milliseconds);
    text += '"';
}

}  // namespace

char* WriteGeoJsonPosition(char* out, const DatedPoint& point) {
    *out++ = '[';
    out = WriteDegrees(out, point.longitude, false);
    *out++ = ',';
    out = WriteDegrees(out, point.latitude, false);
    if (point.hasAltitude) {
        *out++ = ',';
        out = WriteAltitude(out, point.altitude);
    }
    *out++ = ']';
    return out;
}

char* WriteGeoJsonTime(char* out, const DatedPoint& point, bool milliseconds, IsoTimeText& times) {
    if (!point.hasTime) return PutText(out, "null");
    *out++ = '"';
    out = times.Write(out, point.utcMilliseconds, milliseconds);
    *out++ = '"';
    return out;
}

void ComposeGeoJsonMeasure(std::string& text, const DatedPoint& point, std::uint8_t bit) {
    if (!point.measurements.Has(bit)) {
        text.assign("null");
        return;
    }
    char buffer[kMaxMeasureText];
    text.assign(buffer, WriteMeasure(buffer, point.measurements, bit));
}

std::string_view GeoJsonMeasureName(std::uint8_t bit) {
    switch (bit) {
        case Measurements::kHeartRate: return "heart";
        case Measurements::kCadence: return "cadence";
        case Measurements::kPower: return "power";
        case Measurements::kTemperature: return "atemp";
        default: return "speed";
    }
}

std::string GeoJsonMeasureHead(const GeoJsonFrame& frame, std::uint8_t bit) {
    // The first array of coordinateProperties opens it, where no times did.
    const bool first = !frame.start && (frame.measures & (bit - 1)) == 0;
    std::string text(first ? ",\"coordinateProperties\":{" : ListClose(frame));
    if (!first) text += ',';
    text += '"';
    text += GeoJsonMeasureName(bit);
    text += "\":";
    text += ListOpen(frame);
    return text;
}

std::string GeoJsonHead(const GeoJsonFrame& frame) {
    std::string text = "{\"type\":\"FeatureCollection\",\r\n";
    if (frame.count == 0) return text + "\"features\":[";
    text += "\"bbox\":[";
    AppendDegrees(text, frame.bounds.minLongitude, false);
    text += ',';
    AppendDegrees(text, frame.bounds.minLatitude, false);
    text += ',';
    AppendDegrees(text, frame.bounds.maxLongitude, false);
    text += ',';
    AppendDegrees(text, frame.bounds.maxLatitude, false);
    text += "],\r\n\"features\":[{\"type\":\"Feature\",\r\n";
    if (IsLine(frame)) {
        text += frame.pieces ? "\"geometry\":{\"type\":\"MultiLineString\",\"coordinates\":"
                             : "\"geometry\":{\"type\":\"LineString\",\"coordinates\":";
        return text += Open(frame);
    }
    char position[kMaxGeoJsonPositionText];
    text += "\"geometry\":{\"type\":\"Point\",\"coordinates\":";
    return text.append(position, WriteGeoJsonPosition(position, *frame.only));
}

std::string GeoJsonMiddle(const GeoJsonFrame& frame) {
    if (frame.count == 0) return {};
    std::string text = IsLine(frame) ? std::string(Close(frame)) + "},\r\n" : "},\r\n";
    text += "\"properties\":{\"name\":\"" + JsonText(frame.name) + "\"";
    if (!frame.start || !frame.end) return text;
    text += ",\"start\":";
    AppendQuotedTime(text, *frame.start, frame.milliseconds);
    text += ",\"end\":";
    AppendQuotedTime(text, *frame.end, frame.milliseconds);
    text += ",\"coordinateProperties\":{\"times\":";
    text += IsLine(frame) ? Open(frame) : "[\r\n";
    return text;
}

std::string_view GeoJsonTail(const GeoJsonFrame& frame) {
    if (frame.count == 0) return "]}\r\n";
    if (!frame.start && frame.measures == 0) return "}}]}\r\n";
    return IsLine(frame) && frame.pieces ? "\r\n]]}}}]}\r\n" : "\r\n]}}}]}\r\n";
}

}  // namespace torvane
