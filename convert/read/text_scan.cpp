#include "convert/read/text_scan.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "output/byte_scan.h"

namespace torvane {

double LeadingNumberInFull(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && *p == ' ') ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // The digits before the point, then those after it, gathered in one
    // number: up to 15 of them exactly, and their value divided by an exact
    // power of ten is then correctly rounded. (Longer numbers wrap here and
    // take the slow path.)
    const char* const start = p;
    const GatheredDigits g = GatherDigits(start, end);
    p = g.end;
    const char* const point = g.point;
    const std::size_t digitCount = static_cast<std::size_t>(point - start) + g.decimals;
    if (digitCount == 0) return 0.0;

    double value = 0.0;
    if (digitCount <= 15) {
        value = static_cast<double>(g.digits) / kExactPowersOfTen[g.decimals];
    } else {
        const auto result = std::from_chars(start, p, value, std::chars_format::fixed);
        if (result.ec == std::errc::result_out_of_range) {
            // No exponent is read, so only a huge integer part or a long run
            // of zeros after the point can leave the range of a double.
            const bool integerNonZero = std::find_if(start, point, [](char c) { return c != '0'; }) != point;
            value = integerNonZero ? std::numeric_limits<double>::infinity() : 0.0;
        } else if (result.ec != std::errc{}) {
            value = 0.0;
        }
    }
    return negative ? -value : value;
}

namespace {

template <int N>
MarkScan ScanMarksOf(std::string_view line, const ByteSet<N>& marks) {
    MarkScan scan;
    // The counts in locals, which the scan can keep in registers.
    int count = 0, total = 0;
    ScanBytes(line.data(), line.size(), marks, [&](std::size_t at) {
        if (count < 16) scan.first[static_cast<std::size_t>(count++)] = static_cast<int>(at) + 1;
        ++total;
        return true;
    });
    scan.count = count;
    scan.total = total;
    return scan;
}

}  // namespace

MarkScan ScanMarks(std::string_view line, char mark) { return ScanMarksOf(line, ByteSet(mark)); }

MarkScan ScanMarks(std::string_view line, char mark, char otherMark) {
    return ScanMarksOf(line, ByteSet(mark, otherMark));
}

void MarkPositions(const MarkScan& scan, int last, std::array<int, 16>& positions) {
    // The chain of searches from position 2 meets the marks in order (all but
    // one at position 1); after the 0 that ends it, the search restarts at
    // position 1 and meets all marks in order again, and so on. Every element
    // is one of the first 16 marks, which the scan holds.
    positions[0] = 1;
    const int j0 = scan.count > 0 && scan.first[0] == 1 ? 1 : 0;
    // The marks in order, as far as they go (for most lines, all of the chain).
    const int run = std::min(scan.count - j0, last);
    std::copy_n(scan.first.begin() + j0, run, positions.begin() + 1);
    int k = 1 + run;
    const auto put = [&](int value) { positions[static_cast<std::size_t>(k++)] = value; };
    while (k <= last) {
        put(0);
        for (int j = 0; j < scan.count && k <= last; ++j) put(scan.first[static_cast<std::size_t>(j)]);
    }
}

std::string_view TextBetween(std::string_view line, int from, int to) {
    const int length = to - from - 1;
    if (length <= 0) return {};
    return Mid(line, from + 1, length);
}

}  // namespace torvane
