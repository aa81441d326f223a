#include "convert/read/nmea_sentences.h"

#include "convert/write/current_record.h"

namespace torvane {
namespace {

enum class AltitudeSource { Field, Zero, None };

struct FieldRule {
    int comma;      // the field stands after this comma
    int minLength;  // shorter fields fail the check
};

// Where one sentence kind keeps its fields, and the order of its checks.
struct SentenceLayout {
    int lastComma;
    FieldRule time, latitude, longitude, altitude;
    int latitudeHemisphereComma, longitudeHemisphereComma;
    AltitudeSource altitudeSource;
    const FieldRule SentenceLayout::*checkOrder[4];
};

constexpr SentenceLayout kGga{15, {1, 6}, {2, 7}, {4, 9}, {9, 3}, 3, 5, AltitudeSource::Field,
                              {&SentenceLayout::time, &SentenceLayout::latitude, &SentenceLayout::longitude,
                               &SentenceLayout::altitude}};
constexpr SentenceLayout kGgaShortAltitude{15, {1, 6}, {2, 7}, {4, 9}, {9, 1}, 3, 5, AltitudeSource::Field,
                                           {&SentenceLayout::time, &SentenceLayout::latitude,
                                            &SentenceLayout::longitude, &SentenceLayout::altitude}};
constexpr SentenceLayout kGll{7, {5, 6}, {1, 7}, {3, 8}, {0, 0}, 2, 4, AltitudeSource::Zero,
                              {&SentenceLayout::latitude, &SentenceLayout::longitude, &SentenceLayout::time,
                               nullptr}};
constexpr SentenceLayout kRmc{15, {1, 6}, {3, 7}, {5, 8}, {0, 0}, 4, 6, AltitudeSource::None,
                              {&SentenceLayout::time, &SentenceLayout::latitude, &SentenceLayout::longitude,
                               nullptr}};

std::string_view Field(const Settings& s, std::string_view line, int comma) {
    return TextBetween(line, s.CommaPos[static_cast<std::size_t>(comma)],
                       s.CommaPos[static_cast<std::size_t>(comma + 1)]);
}

int FieldLength(const Settings& s, int comma) {
    return s.CommaPos[static_cast<std::size_t>(comma + 1)] - s.CommaPos[static_cast<std::size_t>(comma)] - 1;
}

// The sign of the hemisphere letter right after `comma`.
double HemisphereSignAfter(const Settings& s, std::string_view line, int comma, char negativeLetter) {
    return HemisphereSign(line, s.CommaPos[static_cast<std::size_t>(comma)] + 1, negativeLetter);
}

void ConvertSentence(Settings& s, std::string_view line, const SentenceLayout& layout, const MarkScan& commas) {
    MarkPositions(commas, layout.lastComma, s.CommaPos);

    for (const auto rule : layout.checkOrder) {
        if (rule == nullptr) break;
        const FieldRule& field = layout.*rule;
        if (FieldLength(s, field.comma) < field.minLength) {
            s.RecordInvalid = true;
            s.OutputLine.clear();
            s.Composed = false;
            s.Reason = rule == &SentenceLayout::time       ? LineReason::ShortTime
                       : rule == &SentenceLayout::latitude  ? LineReason::ShortLatitude
                       : rule == &SentenceLayout::longitude ? LineReason::ShortLongitude
                                                            : LineReason::ShortAltitude;
            return;
        }
    }

    const std::string_view time = Field(s, line, layout.time.comma);
    const std::string_view latitude = Field(s, line, layout.latitude.comma);
    const std::string_view longitude = Field(s, line, layout.longitude.comma);

    const double latitudeSign = HemisphereSignAfter(s, line, layout.latitudeHemisphereComma, 'S');
    const double longitudeSign = HemisphereSignAfter(s, line, layout.longitudeHemisphereComma, 'W');

    s.Latitude = (LeadingNumber(Mid(latitude, 1, 2)) + LeadingNumber(MidToEnd(latitude, 3)) / 60) * latitudeSign;
    s.Longitude = (LeadingNumber(Mid(longitude, 1, 3)) + LeadingNumber(MidToEnd(longitude, 4)) / 60) * longitudeSign;
    MarkOutOfRange(s);

    const double timeOfDay =
        LeadingNumber(Mid(time, 1, 2)) * 3600 + LeadingNumber(Mid(time, 3, 2)) * 60 + LeadingNumber(MidToEnd(time, 5));

    switch (layout.altitudeSource) {
        case AltitudeSource::Field: {
            const std::string_view altitude = Field(s, line, layout.altitude.comma);
            s.Altitude = ManipulatedAltitude(s, LeadingNumber(altitude));
            ComposeCurrentRecord(s, timeOfDay, s.Altitude, true,
                                 HoldsDigit(altitude) || s.AltitudeMode == AltitudeMode::SetFixed);
            break;
        }
        case AltitudeSource::Zero:
            s.Altitude = ManipulatedAltitude(s, 0.0);
            ComposeCurrentRecord(s, timeOfDay, s.Altitude, false, false);
            break;
        case AltitudeSource::None:
            ComposeCurrentRecord(s, timeOfDay, 0.0, false, false);
            break;
    }
}

}  // namespace

void ConvertGgaSentence(Settings& s, std::string_view line, const MarkScan& commas) {
    ConvertSentence(s, line, kGga, commas);
}
void ConvertGgaSentenceShortAltitude(Settings& s, std::string_view line, const MarkScan& commas) {
    ConvertSentence(s, line, kGgaShortAltitude, commas);
}
void ConvertGllSentence(Settings& s, std::string_view line, const MarkScan& commas) {
    ConvertSentence(s, line, kGll, commas);
}
void ConvertRmcSentence(Settings& s, std::string_view line, const MarkScan& commas) {
    ConvertSentence(s, line, kRmc, commas);
}
void ConvertGgaSentence(Settings& s, std::string_view line) { ConvertGgaSentence(s, line, ScanMarks(line, ',')); }
void ConvertGllSentence(Settings& s, std::string_view line) { ConvertGllSentence(s, line, ScanMarks(line, ',')); }
void ConvertRmcSentence(Settings& s, std::string_view line) { ConvertRmcSentence(s, line, ScanMarks(line, ',')); }

}  // namespace torvane
