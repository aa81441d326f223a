// What the C++20 library of Debian's emscripten (libc++ 13) lacks and the
// core uses: std::bit_cast and the floating-point std::to_chars and
// std::from_chars. The web build puts this header in front of every source
// (-include); the native builds never see it. Each function gives what the
// standard asks of the one it stands for: to_chars the shortest text that
// reads back as the same value (fixed or scientific, whichever is shorter,
// fixed on a tie), or the exactly rounded text of a given precision;
// from_chars the correctly rounded value of the longest text of the format,
// result_out_of_range where it leaves the type's range.
#pragma once

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000

namespace std {

#if !defined(__cpp_lib_bit_cast)
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
#endif

namespace torvane_compat {

inline to_chars_result Copy(char* first, char* last, const char* text, std::size_t size) {
    if (static_cast<std::size_t>(last - first) < size) return {last, errc::value_too_large};
    std::memcpy(first, text, size);
    return {first + size, errc{}};
}

// The shortest text of `value` that reads back as `value` (T float or double).
template <class T>
to_chars_result Shortest(char* first, char* last, T value) {
    const double wide = static_cast<double>(value);
    if (std::isnan(wide)) return Copy(first, last, std::signbit(wide) ? "-nan" : "nan", std::signbit(wide) ? 4 : 3);
    if (std::isinf(wide)) return Copy(first, last, wide < 0 ? "-inf" : "inf", wide < 0 ? 4 : 3);
    if (wide == 0) return Copy(first, last, std::signbit(wide) ? "-0" : "0", std::signbit(wide) ? 2 : 1);
    // The fewest significant digits that read back: "d.ddde+XX".
    char scientific[48];
    constexpr int kMaxDigits = sizeof(T) == 4 ? 9 : 17;
    for (int digits = 1; digits <= kMaxDigits; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, wide);
        const T back = sizeof(T) == 4 ? static_cast<T>(std::strtof(scientific, nullptr))
                                      : static_cast<T>(std::strtod(scientific, nullptr));
        if (back == value) break;
    }
    // Its digits and decimal exponent.
    const char* text = scientific;
    const bool negative = *text == '-';
    if (negative) ++text;
    std::string digits;
    const char* e = std::strchr(text, 'e');
    for (const char* p = text; p < e; ++p) {
        if (*p != '.') digits += *p;
    }
    const int exponent = std::atoi(e + 1);
    // The scientific form as printf writes it, trailing zeros dropped.
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string sci = negative ? "-" : "";
    sci += digits[0];
    if (digits.size() > 1) sci += "." + digits.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    sci += tail;
    // The fixed form of the same digits.
    std::string fixed = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent < 0) {
        fixed += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 >= count) {
        fixed += digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    } else {
        fixed += digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                 digits.substr(static_cast<std::size_t>(exponent + 1));
    }
    const std::string& shorter = sci.size() < fixed.size() ? sci : fixed;
    return Copy(first, last, shorter.data(), shorter.size());
}

inline to_chars_result Fixed(char* first, char* last, double value, int precision) {
    const int size = std::snprintf(nullptr, 0, "%.*f", precision, value);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", precision, value);
    return Copy(first, last, text.data(), static_cast<std::size_t>(size));
}

inline bool Digit(char c) { return c >= '0' && c <= '9'; }

inline bool StartsWithNoCase(const char* first, const char* last, const char* word) {
    const std::size_t size = std::strlen(word);
    if (static_cast<std::size_t>(last - first) < size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        if ((first[i] | 0x20) != word[i]) return false;
    }
    return true;
}

// The end of the longest text of `fmt` from `first` (an optional "-", then
// digits with at most one ".", then for general and scientific an
// exponent; or inf, infinity, nan); `first` where there is none.
inline const char* PatternEnd(const char* first, const char* last, chars_format fmt) {
    const char* p = first;
    if (p < last && *p == '-') ++p;
    if (StartsWithNoCase(p, last, "infinity")) return p + 8;
    if (StartsWithNoCase(p, last, "inf")) return p + 3;
    if (StartsWithNoCase(p, last, "nan")) {
        p += 3;
        if (p < last && *p == '(') {
            const char* q = p + 1;
            while (q < last && (Digit(*q) || *q == '_' || ((*q | 0x20) >= 'a' && (*q | 0x20) <= 'z'))) ++q;
            if (q < last && *q == ')') p = q + 1;
        }
        return p;
    }
    const char* digitsStart = p;
    while (p < last && Digit(*p)) ++p;
    bool any = p != digitsStart;
    if (p < last && *p == '.') {
        const char* afterPoint = ++p;
        while (p < last && Digit(*p)) ++p;
        any = any || p != afterPoint;
    }
    if (!any) return first;
    if (fmt != chars_format::fixed && p < last && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < last && (*q == '+' || *q == '-')) ++q;
        const char* exponentDigits = q;
        while (q < last && Digit(*q)) ++q;
        if (q != exponentDigits) p = q;
    }
    return p;
}

}  // namespace torvane_compat

inline to_chars_result to_chars(char* first, char* last, float value) {
    return torvane_compat::Shortest(first, last, value);
}
inline to_chars_result to_chars(char* first, char* last, double value) {
    return torvane_compat::Shortest(first, last, value);
}
inline to_chars_result to_chars(char* first, char* last, double value, chars_format fmt, int precision) {
    if (fmt != chars_format::fixed) return {last, errc::invalid_argument};  // only fixed is used
    return torvane_compat::Fixed(first, last, value, precision);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format fmt = chars_format::general) {
    const char* end = torvane_compat::PatternEnd(first, last, fmt);
    if (end == first) return {first, errc::invalid_argument};
    const std::string text(first, end);
    errno = 0;
    const double read = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE) return {end, errc::result_out_of_range};
    value = read;
    return {end, errc{}};
}

}  // namespace std

#endif
