// The account of a run's lines: for every line of the log, whether it
// became a position and, where not, why; how many lines each reason takes
// and the first of them. The counts add up to the lines the run read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "convert/read/line_reason.h"
#include "convert/settings.h"

namespace torvane {

struct LineAccount {
    static constexpr std::size_t kFirstLines = 5;  // line numbers kept per reason
    std::array<std::int64_t, kLineReasons> counts{};
    std::array<std::array<std::int64_t, kFirstLines>, kLineReasons> firstLines{};  // 1-based
    std::int64_t lines = 0;

    void Add(LineReason reason, std::int64_t lineNumber);
    std::int64_t Count(LineReason reason) const { return counts[static_cast<std::size_t>(reason)]; }
    // Lines that became positions written, with a fix or without.
    std::int64_t Positions() const { return Count(LineReason::Position) + Count(LineReason::WithoutFix); }
};

// Reads the log of `options` (after its analysis) as a run with its options
// would and accounts for every line. False when the input cannot be read
// (a line too long ends the reading too), with the message in `error`.
bool AccountLines(const Settings& options, LineAccount& account, std::string& error);

// The account as lines of text: "Lines of FILE: N", then a line per reason
// that holds any, with its count and first line numbers.
std::string LineAccountText(const LineAccount& account, const Settings& s);

}  // namespace torvane
