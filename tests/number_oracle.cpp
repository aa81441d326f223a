#include "number_oracle.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace torvane::oracle {
namespace {

// The "C" locale for this thread while the object lives, so that "." is the
// decimal point of printf and strtod.
class CLocale {
public:
    CLocale() : c_(::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))), previous_(::uselocale(c_)) {}
    ~CLocale() {
        ::uselocale(previous_);
        ::freelocale(c_);
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

private:
    locale_t c_;
    locale_t previous_;
};

}  // namespace

std::string PatternText(double value, const NumberPattern& pattern) {
    std::string text;
    if (value < 0) {
        if (pattern.oneSection) {
            text.assign(1, '-');
            text.append(pattern.positivePrefix);
        } else {
            text.assign(pattern.negativePrefix);
        }
    } else {
        text = pattern.positivePrefix;
    }
    if (std::isnan(value)) return text + "nan";
    if (std::isinf(value)) return text + "inf";

    static constexpr int kAllDecimals = 1100;  // more than any double has
    char exact[1500];
    {
        const CLocale c;
        std::snprintf(exact, sizeof exact, "%.*f", kAllDecimals, std::fabs(value));
    }
    std::string digits(exact);
    const std::size_t point = digits.find('.');
    const bool up = digits[point + 1 + static_cast<std::size_t>(pattern.decimals)] >= '5';
    digits.resize(point + 1 + static_cast<std::size_t>(pattern.decimals));
    digits.insert(digits.begin(), '0');  // room for a carry
    for (std::size_t i = digits.size(); up && i-- > 0;) {
        if (digits[i] == '.') continue;
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            break;
        }
    }
    std::string integer = digits.substr(0, digits.find('.'));
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    if (static_cast<int>(integer.size()) < pattern.integerDigits) {
        integer.insert(0, static_cast<std::size_t>(pattern.integerDigits) - integer.size(), '0');
    }
    const std::string decimals = digits.substr(digits.find('.'));
    return text + integer + (pattern.decimals > 0 ? decimals : std::string());
}

double LeadingNumberValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            number += text[i];
            digit = true;
        } else if (text[i] == '.' && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    if (!digit) return 0.0;
    const CLocale c;
    return std::strtod(number.c_str(), nullptr);
}

bool SameLeadingNumber(double value, double expected) {
    const bool tiny = expected != 0 && std::fabs(expected) < 2.3e-308 && value == 0;
    return value == expected || tiny;
}

}  // namespace torvane::oracle
