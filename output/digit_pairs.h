// Decimal digits two at a time, for the number writers.
#pragma once

#include <cstring>

namespace torvane {

// Two ASCII digits for each value 0 to 99.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of `value` (0 to 99) at `out`.
inline void WriteDigitPair(char* out, unsigned value) { std::memcpy(out, kDigitPairs + 2 * value, 2); }

}  // namespace torvane
