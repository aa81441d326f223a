#include "igc_fix.h"

#include "current_record.h"
#include "text_scan.h"

namespace torvane {
namespace {

// Where a B record keeps its fields (1-based positions and widths).
struct FieldPlace {
    int start;
    int width;
};

constexpr FieldPlace kHours{2, 2};
constexpr FieldPlace kMinutes{4, 2};
constexpr FieldPlace kSeconds{6, 2};
constexpr FieldPlace kLatitudeDegrees{8, 2};
constexpr FieldPlace kLatitudeMinutes{10, 5};  // thousandths of a minute
constexpr int kLatitudeHemisphere = 15;
constexpr FieldPlace kLongitudeDegrees{16, 3};
constexpr FieldPlace kLongitudeMinutes{19, 5};  // thousandths of a minute
constexpr int kLongitudeHemisphere = 24;
constexpr FieldPlace kPressureAltitude{26, 5};
constexpr FieldPlace kGnssAltitude{31, 5};  // read instead with "GNSS altitude (IGC)"

// The field's leading number; a field missing from a short record reads as 0.
// A field of digits alone, as recorders write them, is the integer it spells:
// what LeadingNumber reads there too, at a fraction of the cost.
double FieldValue(std::string_view line, FieldPlace place) {
    const std::string_view field = Mid(line, place.start, place.width);
    if (field.size() == static_cast<std::size_t>(place.width)) {
        unsigned value = 0;
        bool digitsOnly = true;
        for (const char c : field) {
            const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
            digitsOnly = digitsOnly && digit <= 9;
            value = value * 10 + digit;
        }
        if (digitsOnly) return value;
    }
    return LeadingNumber(field);
}

// IGC's own manipulation rule: a value of 0 leaves the altitude as recorded
// in both modes.
double IgcManipulatedAltitude(const Settings& s, double altitude) {
    const double value = s.AltitudeValue;
    if (value == 0) return altitude;
    if (s.AltitudeMode == AltitudeMode::Add) return altitude + value;
    if (s.AltitudeMode == AltitudeMode::SetFixed) return value;
    return altitude;
}

}  // namespace

void ConvertIgcFix(Settings& s, std::string_view line) {
    const double latitudeDegrees = FieldValue(line, kLatitudeDegrees);
    const double latitudeMinutes = FieldValue(line, kLatitudeMinutes) / 1000;
    const double longitudeDegrees = FieldValue(line, kLongitudeDegrees);
    const double longitudeMinutes = FieldValue(line, kLongitudeMinutes) / 1000;

    s.Latitude = (latitudeDegrees + latitudeMinutes / 60) * HemisphereSign(line, kLatitudeHemisphere, 'S');
    if (s.Latitude > 90 || s.Latitude < -90) s.RecordInvalid = true;
    s.Longitude = (longitudeDegrees + longitudeMinutes / 60) * HemisphereSign(line, kLongitudeHemisphere, 'W');
    if (s.Longitude > 180 || s.Longitude < -180) s.RecordInvalid = true;

    const double timeOfDay =
        FieldValue(line, kHours) * 3600 + FieldValue(line, kMinutes) * 60 + FieldValue(line, kSeconds);

    s.Altitude = static_cast<float>(IgcManipulatedAltitude(s, FieldValue(line, s.IgcGnssAltitude ? kGnssAltitude : kPressureAltitude)));
    ComposeCurrentRecord(s, timeOfDay, s.Altitude, true);
}

}  // namespace torvane
