// Hints below a run's message that name an option which would have given
// more: computed by reading the log again with that option, never guessed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/recognise/line_counts.h"
#include "convert/settings.h"
#include "convert/write/line_account.h"

namespace torvane {

// How a front end names the options a hint may point to ("--any-talker" or
// "\"Accept every satellite system\"").
struct OptionNames {
    std::string anyTalker, keepZeroPositions, igcGnssAltitude;
};

// The hints for a run of `s` (after its analysis, whose counts are
// `counts`) that wrote `written` data sets: where it wrote fewer (see
// RunWroteFewer), each option that
// would give more positions, and how many (from the account of the run's
// lines: `account` where the caller has it, else one is made); and for an
// IGC file whose every valid fix has pressure altitude 0 while GNSS
// altitudes are recorded, "GNSS altitude (IGC)". Each a line of its own,
// starting "Hint: ". False when the log cannot be read again, with the
// message in `error`.
// Whether a run of `s` that wrote `written` data sets wrote so few that the
// reading may have missed positions: nothing, or (a track not shaped) less
// than half of the lines of its kind the analysis counted.
bool RunWroteFewer(const Settings& s, std::int64_t written);

bool RunOptionHints(const Settings& s, const AnalysisCounts& counts, std::int64_t written,
                    const LineAccount* account, const OptionNames& names, std::vector<std::string>& hints,
                    std::string& error);

}  // namespace torvane
