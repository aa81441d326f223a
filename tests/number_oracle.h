// An oracle for the number texts, independent of the code under test: the C
// library's exact decimal expansion of a double and its correctly rounded
// reading of decimal digits, taken in the "C" locale whatever the process's
// locale is. Shared by the randomised test and the fuzz target.
#pragma once

#include <string>
#include <string_view>

#include "output/number_pattern.h"

namespace torvane::oracle {

// Every number pattern of the record lines and overlay centres.
inline constexpr const NumberPattern* kAllPatterns[] = {
    &patterns::TableTime,     &patterns::Latitude,         &patterns::TableLongitude,   &patterns::TableAltitude,
    &patterns::KmlLongitude,  &patterns::KmlAltitude,      &patterns::KmlTupleLatitude, &patterns::KmlTupleAltitude,
    &patterns::OvlLongitude,  &patterns::OvlLatitude,
};

// The text FormatNumber must give: the exact value rounded half away from
// zero at the pattern's last decimal, in the section the sign chooses.
std::string PatternText(double value, const NumberPattern& pattern);

// The value LeadingNumber must give for `text`: blanks skipped, a sign, then
// digits with at most one point, read correctly rounded; 0 without a digit.
double LeadingNumberValue(std::string_view text);

// Whether `value` may stand for the oracle's `expected` leading number: the
// same, or 0 where the oracle's value lies below the normal range.
bool SameLeadingNumber(double value, double expected);

}  // namespace torvane::oracle
