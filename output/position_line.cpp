#include "position_line.h"

#include <algorithm>
#include <charconv>

#include "byte_scan.h"
#include "number_pattern.h"
#include "text_out.h"

namespace torvane {
namespace {

char* AppendInteger(char* out, std::int64_t value) {
    return std::to_chars(out, out + 24, value).ptr;
}

}  // namespace

char* WriteRecordLine(char* out, OutputKind kind, const PositionRecord& record, std::int64_t pointNumber) {
    switch (kind) {
        case OutputKind::Table:
            out = FormatNumber(out, record.timeOfDay, patterns::TableTime);
            out = FormatNumber(out, record.latitude, patterns::Latitude);
            out = FormatNumber(out, record.longitude, patterns::TableLongitude);
            if (record.tableAltitude) out = FormatNumber(out, record.altitude, patterns::TableAltitude);
            break;
        case OutputKind::KML:
            out = FormatNumber(out, record.longitude, patterns::KmlLongitude);
            *out++ = kKmlFieldSeparator;
            out = FormatNumber(out, record.latitude, patterns::KmlTupleLatitude);
            *out++ = kKmlFieldSeparator;
            out = FormatNumber(out, record.altitude, patterns::KmlTupleAltitude);
            break;
        case OutputKind::OVL:
            out = PutText(out, "XKoord");
            out = AppendInteger(out, pointNumber);
            *out++ = '=';
            out = FormatNumber(out, record.longitude, patterns::OvlLongitude);
            out = PutText(out, "\nYKoord");
            out = AppendInteger(out, pointNumber);
            *out++ = '=';
            out = FormatNumber(out, record.latitude, patterns::OvlLatitude);
            break;
        case OutputKind::GPX:
        case OutputKind::GeoJSON:
        case OutputKind::None:
            break;
    }
    return out;
}

void ComposeRecordLine(std::string& line, OutputKind kind, const PositionRecord& record,
                       std::int64_t pointNumber) {
    char buffer[kMaxRecordLineText];
    line.assign(buffer, WriteRecordLine(buffer, kind, record, pointNumber));
}

double ApplyAltitudeManipulation(double altitude, AltitudeMode mode, double value) {
    if (mode == AltitudeMode::Add && value != 0) return altitude + value;
    if (mode == AltitudeMode::SetFixed) return value;
    return altitude;
}

void PostProcessLine(std::string& line, bool decimalComma) { PostProcessText(line.data(), line.size(), decimalComma); }

void PostProcessText(char* text, std::size_t size, bool decimalComma) {
    // The decimal separator first, then the KML field separator; done in one
    // pass, as no replacement makes a character that a later one looks for.
    // Without decimal comma the exchange is "," to "."; it never fires, as
    // ComposeRecordLine writes every number with "." and separates KML fields
    // with kKmlFieldSeparator. It stays so that the rule is one exchange of
    // separators either way.
    const char from = decimalComma ? '.' : ',';
    const char to = decimalComma ? ',' : '.';
    char* const data = text;
    ScanBytes(data, size, ByteSet(from, kKmlFieldSeparator), [data, to](std::size_t at) {
        data[at] = data[at] == kKmlFieldSeparator ? ',' : to;
        return true;
    });
}

bool PassesWriteTest(bool eliminateZeroPositions, bool recordInvalid, double latitude, double longitude) {
    if (!eliminateZeroPositions) return true;
    return !recordInvalid && (latitude != 0 || longitude != 0);
}

bool PassesGpxWriteTest(bool eliminateZeroPositions, bool recordInvalid, double latitude, double longitude) {
    return !recordInvalid && PassesWriteTest(eliminateZeroPositions, false, latitude, longitude);
}

void OverlayBounds::Include(double latitude, double longitude) {
    if (empty) {
        minLatitude = maxLatitude = latitude;
        minLongitude = maxLongitude = longitude;
        empty = false;
        return;
    }
    minLatitude = std::min(minLatitude, latitude);
    maxLatitude = std::max(maxLatitude, latitude);
    minLongitude = std::min(minLongitude, longitude);
    maxLongitude = std::max(maxLongitude, longitude);
}

void OverlayBounds::Include(const OverlayBounds& other) {
    if (other.empty) return;
    Include(other.minLatitude, other.minLongitude);
    Include(other.maxLatitude, other.maxLongitude);
}

void FormatOverlayCenter(const OverlayBounds& bounds, std::string& centerLatText, std::string& centerLongText) {
    centerLatText.clear();
    centerLongText.clear();
    if (bounds.empty) return;
    AppendNumber(centerLatText, (bounds.minLatitude + bounds.maxLatitude) / 2, patterns::OvlLatitude);
    AppendNumber(centerLongText, (bounds.minLongitude + bounds.maxLongitude) / 2, patterns::OvlLatitude);
}

}  // namespace torvane
