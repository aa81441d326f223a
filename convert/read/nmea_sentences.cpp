#include "convert/read/nmea_sentences.h"

#include <array>

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

// The 1-based positions of a line's commas, 0 past the last.
using CommaPositions = std::array<int, 16>;

std::string_view Field(const CommaPositions& commas, std::string_view line, int comma) {
    return TextBetween(line, commas[static_cast<std::size_t>(comma)], commas[static_cast<std::size_t>(comma + 1)]);
}

int FieldLength(const CommaPositions& commas, int comma) {
    return commas[static_cast<std::size_t>(comma + 1)] - commas[static_cast<std::size_t>(comma)] - 1;
}

// The sign of the hemisphere letter right after `comma`.
double HemisphereSignAfter(const CommaPositions& commas, std::string_view line, int comma, char negativeLetter) {
    return HemisphereSign(line, commas[static_cast<std::size_t>(comma)] + 1, negativeLetter);
}

void ReadSentence(const RunOptions& options, Record& record, std::string_view line, const SentenceLayout& layout,
                  const MarkScan& scan) {
    CommaPositions commas{};
    MarkPositions(scan, layout.lastComma, commas);

    for (const auto rule : layout.checkOrder) {
        if (rule == nullptr) break;
        const FieldRule& field = layout.*rule;
        if (FieldLength(commas, field.comma) < field.minLength) {
            record.Fail(rule == &SentenceLayout::time        ? LineReason::ShortTime
                        : rule == &SentenceLayout::latitude  ? LineReason::ShortLatitude
                        : rule == &SentenceLayout::longitude ? LineReason::ShortLongitude
                                                             : LineReason::ShortAltitude);
            return;
        }
    }

    const std::string_view time = Field(commas, line, layout.time.comma);
    const std::string_view latitude = Field(commas, line, layout.latitude.comma);
    const std::string_view longitude = Field(commas, line, layout.longitude.comma);

    const double latitudeSign = HemisphereSignAfter(commas, line, layout.latitudeHemisphereComma, 'S');
    const double longitudeSign = HemisphereSignAfter(commas, line, layout.longitudeHemisphereComma, 'W');

    Position& p = record.position;
    p.latitude = (FixedWidthNumber<2>(latitude, 1) + LeadingNumber(MidToEnd(latitude, 3)) / 60) * latitudeSign;
    p.longitude = (FixedWidthNumber<3>(longitude, 1) + LeadingNumber(MidToEnd(longitude, 4)) / 60) * longitudeSign;
    MarkOutOfRange(record);

    const double timeOfDay =
        FixedWidthNumber<2>(time, 1) * 3600 + FixedWidthNumber<2>(time, 3) * 60 + LeadingNumber(MidToEnd(time, 5));

    switch (layout.altitudeSource) {
        case AltitudeSource::Field: {
            const std::string_view altitude = Field(commas, line, layout.altitude.comma);
            CompletePosition(record, timeOfDay, ManipulatedAltitude(options, LeadingNumber(altitude)), true,
                             HoldsDigit(altitude) || options.AltitudeMode == AltitudeMode::SetFixed);
            break;
        }
        case AltitudeSource::Zero:
            CompletePosition(record, timeOfDay, ManipulatedAltitude(options, 0.0), false, false);
            break;
        case AltitudeSource::None:
            CompletePosition(record, timeOfDay, 0.0, false, false);
            break;
    }
}

}  // namespace

void ReadGgaSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas) {
    ReadSentence(options, record, line, kGga, commas);
}
void ReadGgaSentenceShortAltitude(const RunOptions& options, Record& record, std::string_view line,
                                  const MarkScan& commas) {
    ReadSentence(options, record, line, kGgaShortAltitude, commas);
}
void ReadGllSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas) {
    ReadSentence(options, record, line, kGll, commas);
}
void ReadRmcSentence(const RunOptions& options, Record& record, std::string_view line, const MarkScan& commas) {
    ReadSentence(options, record, line, kRmc, commas);
}
void ReadGgaSentence(const RunOptions& options, Record& record, std::string_view line) {
    ReadGgaSentence(options, record, line, ScanMarks(line, ','));
}
void ReadGllSentence(const RunOptions& options, Record& record, std::string_view line) {
    ReadGllSentence(options, record, line, ScanMarks(line, ','));
}
void ReadRmcSentence(const RunOptions& options, Record& record, std::string_view line) {
    ReadRmcSentence(options, record, line, ScanMarks(line, ','));
}

}  // namespace torvane
