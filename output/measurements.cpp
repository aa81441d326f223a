#include "measurements.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace torvane {
namespace {

char* WriteWhole(char* out, long long value) { return std::to_chars(out, out + 24, value).ptr; }

}  // namespace

char* WriteMeasure(char* out, const Measurements& m, std::uint8_t bit) {
    if (!m.Has(bit)) return out;
    switch (bit) {
        case Measurements::kHeartRate: return WriteWhole(out, m.heartRate);
        case Measurements::kCadence: return WriteWhole(out, m.cadence);
        case Measurements::kPower: return WriteWhole(out, m.power);
        case Measurements::kTemperature: {
            const int tenths = m.temperature;
            if (tenths < 0) *out++ = '-';
            out = WriteWhole(out, std::abs(tenths) / 10);
            if (tenths % 10 != 0) {
                *out++ = '.';
                *out++ = static_cast<char>('0' + std::abs(tenths) % 10);
            }
            return out;
        }
        case Measurements::kSpeed: {
            const double speed = m.speed;
            if (!std::isfinite(speed) || std::fabs(speed) >= 1e15) return WriteWhole(out, 0);
            const long long millimetres = std::llround(speed * 1000);
            if (millimetres < 0) *out++ = '-';
            const long long whole = std::llabs(millimetres) / 1000;
            long long fraction = std::llabs(millimetres) % 1000;
            out = WriteWhole(out, whole);
            if (fraction != 0) {
                *out++ = '.';
                int digits = 3;
                while (fraction % 10 == 0) {
                    fraction /= 10;
                    --digits;
                }
                char* end = out + digits;
                for (char* at = end; at > out;) {
                    *--at = static_cast<char>('0' + fraction % 10);
                    fraction /= 10;
                }
                out = end;
            }
            return out;
        }
        default: return out;
    }
}

}  // namespace torvane
