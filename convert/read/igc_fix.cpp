#include "convert/read/igc_fix.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "convert/read/text_scan.h"

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
template <FieldPlace place>
double FieldValue(std::string_view line) {
    return FixedWidthNumber<place.width>(line, place.start);
}

// Whether the bytes 1 to 13 and 15 to 22 (0-based) of a B record, its time,
// latitude and longitude, are all digits, as recorders write them: tested
// eight bytes at a time. (A byte from 0xFA up can make its neighbour look
// like no digit: such a record is read field by field, as any other.)
bool PlainTimeAndPosition(std::string_view line) {
    if constexpr (std::endian::native != std::endian::little) return false;
    if (line.size() < 23) return false;
    const auto digits = [&line](std::size_t at) {
        std::uint64_t x;
        std::memcpy(&x, line.data() + at, 8);
        constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0, kThrees = 0x3030303030303030;
        return (((x & kHigh) ^ kThrees) | (((x + 0x0606060606060606) & kHigh) ^ kThrees)) == 0;
    };
    return digits(1) && digits(6) && digits(15);
}

// The eight digits from `p` on, all of them digits, as the integer they
// spell: in pairs, then fours, then the whole, a few operations for all eight.
std::uint32_t EightDigits(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    x -= 0x3030303030303030;     // each byte its digit, the first in the lowest byte
    x = x * 10 + (x >> 8);       // bytes 0, 2, 4, 6: the pairs of digits
    constexpr std::uint64_t kPairs = 0x000000FF000000FF;
    constexpr std::uint64_t kHighPairs = 100 + (std::uint64_t{1000000} << 32);  // pairs 0 and 2 (of 4)
    constexpr std::uint64_t kLowPairs = 1 + (std::uint64_t{10000} << 32);      // pairs 1 and 3
    return static_cast<std::uint32_t>(((x & kPairs) * kHighPairs + ((x >> 16) & kPairs) * kLowPairs) >> 32);
}

// The time of day, latitude and longitude fields of a B record as numbers.
struct FixFields {
    double timeOfDay;
    double latitudeDegrees, latitudeThousandths;  // thousandths of a minute
    double longitudeDegrees, longitudeThousandths;
};

// The fields of a record whose time and position are digits alone
// (PlainTimeAndPosition): "HHMMSSDD", "?DDMMmmm" (of which the last seven)
// and "DDDMMmmm" read as three eight-digit integers.
FixFields PlainFields(std::string_view line) {
    const std::uint32_t clock = EightDigits(line.data() + 1);  // HHMMSS and the latitude's degrees
    const std::uint32_t latitude = EightDigits(line.data() + 6) % 10'000'000;
    const std::uint32_t longitude = EightDigits(line.data() + 15);
    const std::uint32_t seconds = clock / 1'000'000 * 3600 + clock / 10'000 % 100 * 60 + clock / 100 % 100;
    return FixFields{static_cast<double>(seconds), static_cast<double>(latitude / 100'000),
                     static_cast<double>(latitude % 100'000), static_cast<double>(longitude / 100'000),
                     static_cast<double>(longitude % 100'000)};
}

// The same of any record, field by field.
FixFields FieldsOneByOne(std::string_view line) {
    return FixFields{
        FieldValue<kHours>(line) * 3600 + FieldValue<kMinutes>(line) * 60 + FieldValue<kSeconds>(line),
        FieldValue<kLatitudeDegrees>(line), FieldValue<kLatitudeMinutes>(line),
        FieldValue<kLongitudeDegrees>(line), FieldValue<kLongitudeMinutes>(line)};
}

// IGC's own manipulation rule: a value of 0 leaves the altitude as recorded
// in both modes.
double IgcManipulatedAltitude(const RunOptions& options, double altitude) {
    const double value = options.AltitudeValue;
    if (value == 0) return altitude;
    if (options.AltitudeMode == AltitudeMode::Add) return altitude + value;
    if (options.AltitudeMode == AltitudeMode::SetFixed) return value;
    return altitude;
}

}  // namespace

void ReadIgcFix(const RunOptions& options, Record& record, std::string_view line) {
    const FixFields f = PlainTimeAndPosition(line) ? PlainFields(line) : FieldsOneByOne(line);
    Position& p = record.position;
    p.latitude =
        (f.latitudeDegrees + f.latitudeThousandths / 1000 / 60) * HemisphereSign(line, kLatitudeHemisphere, 'S');
    p.longitude =
        (f.longitudeDegrees + f.longitudeThousandths / 1000 / 60) * HemisphereSign(line, kLongitudeHemisphere, 'W');
    MarkOutOfRange(record);

    const bool gnss = options.IgcGnssAltitude;
    const FieldPlace altitude = gnss ? kGnssAltitude : kPressureAltitude;
    const double recorded = gnss ? FieldValue<kGnssAltitude>(line) : FieldValue<kPressureAltitude>(line);
    // A fix cut off before its altitude's digits gives none, unless a
    // fixed altitude is set (IGC's rule: a value of 0 sets nothing).
    const bool given = HoldsDigit(Mid(line, altitude.start, altitude.width)) ||
                       (options.AltitudeMode == AltitudeMode::SetFixed && options.AltitudeValue != 0);
    CompletePosition(record, f.timeOfDay, static_cast<float>(IgcManipulatedAltitude(options, recorded)), true, given);
}

}  // namespace torvane
