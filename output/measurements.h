// What a sport recorder measures at a position (a FIT record, a GPX track
// point's extensions), each value given only where its bit is set in
// `has`: the readers fill it, the dated outputs and the summary write it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace torvane {

struct Measurements {
    enum : std::uint8_t {
        kHeartRate = 1u << 0,
        kCadence = 1u << 1,
        kPower = 1u << 2,
        kTemperature = 1u << 3,
        kSpeed = 1u << 4,
    };
    float speed = 0;                // metres per second
    std::uint16_t power = 0;        // watts
    std::int16_t temperature = 0;   // tenths of a degree Celsius
    std::uint8_t heartRate = 0;     // beats per minute
    std::uint8_t cadence = 0;       // revolutions (or strides) per minute
    std::uint8_t has = 0;           // which values are given

    bool Has(std::uint8_t bit) const { return (has & bit) != 0; }
};

// The measurements in the order the outputs list them, by their bits.
inline constexpr std::array<std::uint8_t, 5> kMeasureBits = {Measurements::kHeartRate, Measurements::kCadence,
                                                             Measurements::kPower, Measurements::kTemperature,
                                                             Measurements::kSpeed};
inline constexpr std::size_t kMeasureCount = kMeasureBits.size();

// The longest text of one value (a speed of a float's range, say).
inline constexpr std::size_t kMaxMeasureText = 64;

// The value of `bit` as a plain number, "." as decimal point: heart rate,
// cadence and power whole; the temperature in degrees, exact to its tenth
// ("21", "-0.5"); the speed in metres per second to the millimetre,
// trailing zeros dropped. Writes nothing where `m` does not have it.
char* WriteMeasure(char* out, const Measurements& m, std::uint8_t bit);

}  // namespace torvane
