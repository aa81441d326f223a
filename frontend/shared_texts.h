// What every front end says and decides alike: the counts of an analysis,
// the names of the options a hint points to, and when the GPX copy may
// replace a file without asking.
#pragma once

#include <string>

#include "convert/recognise/line_counts.h"
#include "convert/recognise/option_hints.h"

namespace torvane::frontend {

// "GGA 3, GLL 0, RMC 0, IGC header 0, valid fixes 0, track points 0".
std::string CountsText(const AnalysisCounts& counts);

// The options as each front end names them in its hints.
OptionNames CommandLineOptionNames();  // "--any-talker", ...
OptionNames CheckBoxOptionNames();      // "\"Accept every satellite system\"", ... (the window and the page)

// Whether the GPX copy of `inputPath` may be written without asking: no
// file of its name is there, or that file holds this very copy already.
bool GpxCopyNeedsNoQuestion(const std::string& inputPath);

}  // namespace torvane::frontend
