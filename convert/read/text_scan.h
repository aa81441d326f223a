// Small text readers shared by the readers and the windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace torvane {

// The powers of ten a double holds exactly: up to 15 digits divided by one
// of them give the correctly rounded value.
inline constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,  1e7,
                                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The digits from `p` on, before and after one ".", gathered in one number
// (which wraps beyond 19 digits): where they end, how many stand before the
// point and how many after it.
struct GatheredDigits {
    const char* end;
    const char* point;  // where the digits before the point end
    std::uint64_t digits;
    std::size_t decimals;
};
inline GatheredDigits GatherDigits(const char* p, const char* const end) {
    GatheredDigits g{p, p, 0, 0};
    unsigned d = 0;
    while (p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
        g.digits = g.digits * 10 + d;
        ++p;
    }
    g.point = p;
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        while (p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
            g.digits = g.digits * 10 + d;
            ++p;
        }
        g.decimals = static_cast<std::size_t>(p - fraction);
    }
    g.end = p;
    return g;
}

// The number at the start of `text`: leading spaces skipped, an optional "+"
// or "-", then ASCII digits with at most one "." as decimal point; no
// exponent. 0 when there is no digit. A value too large for a double is
// infinite. Independent of the locale.
double LeadingNumberInFull(std::string_view text);

// The same, the common case inline: a field that starts with its digits
// (or its point), 15 digits at most, as the readers meet it in every line.
inline double LeadingNumber(std::string_view text) {
    // As LeadingNumberInFull gathers them: the digits before and after the
    // point in one number, divided by an exact power of ten.
    const GatheredDigits g = GatherDigits(text.data(), text.data() + text.size());
    const std::size_t count = static_cast<std::size_t>(g.point - text.data()) + g.decimals;
    if (count == 0 || count > 15) return LeadingNumberInFull(text);  // blanks, a sign, no digit, many digits
    return static_cast<double>(g.digits) / kExactPowersOfTen[g.decimals];
}

// One pass over a line for one mark character: how many there are, and the
// 1-based positions of the first 16.
struct MarkScan {
    int total = 0;
    int count = 0;  // entries of `first` in use (at most 16)
    std::array<int, 16> first{};
};
MarkScan ScanMarks(std::string_view line, char mark);
// The same for two mark characters that count alike (say, both quotes).
MarkScan ScanMarks(std::string_view line, char mark, char otherMark);

// Fills `positions` from the scan of a line: element 0 is 1; element i
// (1 to `last`) is the 1-based position of the first mark at or after
// position (element i-1) + 1, or 0 when there is none, so after a 0 the
// search starts again at position 1. Elements after `last` are left as they are.
void MarkPositions(const MarkScan& scan, int last, std::array<int, 16>& positions);

// Up to `length` characters from 1-based position `start` (fewer at the end).
inline std::string_view Mid(std::string_view text, int start, int length) {
    if (start < 1 || length <= 0) return {};
    const std::size_t index = static_cast<std::size_t>(start - 1);
    if (index >= text.size()) return {};
    return text.substr(index, static_cast<std::size_t>(length));
}

// The text between the marks at 1-based positions `from` and `to`
// (to - from - 1 characters after position `from`); empty when that length is
// not positive.
std::string_view TextBetween(std::string_view line, int from, int to);

// From 1-based position `start` to the end.
inline std::string_view MidToEnd(std::string_view text, int start) {
    if (start < 1) return text;
    const std::size_t index = static_cast<std::size_t>(start - 1);
    if (index >= text.size()) return {};
    return text.substr(index);
}

// -1 when the letter at 1-based position `position`, upper-cased, is
// `negativeLetter` (the hemisphere letters 'S' and 'W'); 1 otherwise, also
// where the line has no character there.
inline double HemisphereSign(std::string_view line, int position, char negativeLetter) {
    const std::string_view letter = Mid(line, position, 1);
    if (letter.empty()) return 1.0;
    // ASCII alone: no locale's upper case turns another byte into 'S' or 'W'.
    const char lowerCase = static_cast<char>(negativeLetter - 'A' + 'a');
    return letter[0] == negativeLetter || letter[0] == lowerCase ? -1.0 : 1.0;
}

// LeadingNumber(Mid(text, start, Width)): where those characters are all
// digits, as logs write a time's hours or a position's degrees, the integer
// they spell (the same value) without the general reader.
template <int Width>
inline double FixedWidthNumber(std::string_view text, int start) {
    const auto at = static_cast<std::size_t>(start - 1);
    if (start >= 1 && at + Width <= text.size()) {
        const char* const field = text.data() + at;
        unsigned value = 0, notDigit = 0;
        for (int i = 0; i < Width; ++i) {
            const unsigned digit = static_cast<unsigned char>(field[i]) - unsigned{'0'};
            notDigit |= digit > 9 ? 1u : 0u;
            value = value * 10 + digit;
        }
        if (notDigit == 0) return value;
    }
    return LeadingNumber(Mid(text, start, Width));
}

// Whether `text` holds an ASCII digit: a field that gives a number at all.
inline bool HoldsDigit(std::string_view text) {
    for (const char c : text) {
        if (c >= '0' && c <= '9') return true;
    }
    return false;
}

// Whether `text` contains `word` (exact, case-sensitive).
inline bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

}  // namespace torvane
