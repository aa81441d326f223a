#include "record_line.h"

#include <algorithm>
#include <charconv>

#include "number_pattern.h"

namespace torvane {
namespace {

void AppendInteger(std::string& text, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace

void ComposeRecordLine(std::string& line, OutputKind kind, const PositionRecord& record,
                       std::int64_t pointNumber) {
    line.clear();
    switch (kind) {
        case OutputKind::Table:
            AppendNumber(line, record.timeOfDay, patterns::TableTime);
            AppendNumber(line, record.latitude, patterns::Latitude);
            AppendNumber(line, record.longitude, patterns::TableLongitude);
            if (record.tableAltitude) AppendNumber(line, record.altitude, patterns::TableAltitude);
            break;
        case OutputKind::KML:
            AppendNumber(line, record.longitude, patterns::KmlLongitude);
            line += kKmlFieldSeparator;
            AppendNumber(line, record.latitude, patterns::KmlTupleLatitude);
            line += kKmlFieldSeparator;
            AppendNumber(line, record.altitude, patterns::KmlTupleAltitude);
            break;
        case OutputKind::OVL:
            line += "XKoord";
            AppendInteger(line, pointNumber);
            line += '=';
            AppendNumber(line, record.longitude, patterns::OvlLongitude);
            line += "\nYKoord";
            AppendInteger(line, pointNumber);
            line += '=';
            AppendNumber(line, record.latitude, patterns::OvlLatitude);
            break;
        case OutputKind::None:
            break;
    }
}

double ApplyAltitudeManipulation(double altitude, int mode, double value) {
    if (mode == 1 && value != 0) return altitude + value;
    if (mode == 2) return value;
    return altitude;
}

void PostProcessLine(std::string& line, bool decimalComma) {
    if (decimalComma) {
        std::replace(line.begin(), line.end(), '.', ',');
    } else {
        std::replace(line.begin(), line.end(), ',', '.');
    }
    std::replace(line.begin(), line.end(), kKmlFieldSeparator, ',');
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

void FormatOverlayCenter(const OverlayBounds& bounds, std::string& centerLatText, std::string& centerLongText) {
    centerLatText.clear();
    centerLongText.clear();
    if (bounds.empty) return;
    AppendNumber(centerLatText, (bounds.minLatitude + bounds.maxLatitude) / 2, patterns::OvlLatitude);
    AppendNumber(centerLongText, (bounds.minLongitude + bounds.maxLongitude) / 2, patterns::OvlLatitude);
}

}  // namespace torvane
