// Rounding to a whole number, half away from zero, exactly as std::llround
// and std::round do: worked out inline below 2^52, where a number less its
// whole part is exact, and by the library beyond (and for inf and nan).
// The summary, the motion and the calendar round once or more per position.
#pragma once

#include <cmath>
#include <cstdint>

namespace torvane {

namespace rounding_detail {
inline constexpr double kExactBelow = 4503599627370496.0;  // 2^52

// The whole number nearest `x`, half away from zero, for |x| < 2^52.
inline std::int64_t Nearest(double x) {
    std::int64_t whole = static_cast<std::int64_t>(x);  // toward zero
    const double rest = x - static_cast<double>(whole);
    if (rest >= 0.5) {
        ++whole;
    } else if (rest <= -0.5) {
        --whole;
    }
    return whole;
}
}  // namespace rounding_detail

// std::llround(x).
inline std::int64_t RoundToInteger(double x) {
    using namespace rounding_detail;
    if (!(x > -kExactBelow && x < kExactBelow)) return std::llround(x);
    return Nearest(x);
}

// std::round(x), the sign of a zero included.
inline double RoundToWhole(double x) {
    using namespace rounding_detail;
    if (!(x > -kExactBelow && x < kExactBelow)) return std::round(x);
    return std::copysign(static_cast<double>(Nearest(x)), x);
}

}  // namespace torvane
