// What every front end says and decides alike: the counts of an analysis,
// the hints below its messages and the names of the options they point to,
// the words about a file in the way, and when the GPX copy may replace a
// file without asking.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/recognise/input_analysis.h"
#include "convert/recognise/line_counts.h"
#include "convert/recognise/option_hints.h"

namespace torvane::frontend {

// "GGA 3, GLL 0, RMC 0, IGC header 0, valid fixes 0, track points 0".
std::string CountsText(const AnalysisCounts& counts);

// Who names the options a hint points to: the command line by its
// options, the window and the page by their check boxes.
enum class FrontEnd { CommandLine, Window, Page };

// The options as `front` names them in its hints below a run's message:
// "--any-talker", "\"Accept every satellite system\"", ...
OptionNames HintOptionNames(FrontEnd front);

// The hints below an analysis's message, each a line of its own: the log
// holds only other satellite systems' sentences, or IGC fixes with too few
// header lines; with the option as `front` names it.
std::vector<std::string> AnalysisHints(const AnalysisReport& report, FrontEnd front);

// The question before a file is replaced, and what is said when it is not.
inline constexpr std::string_view kOverwriteQuestion = "Output file exists! Overwrite?";
inline constexpr std::string_view kMoveExistingFile = "Move existing file to another directory and try again!";

// Whether the GPX copy that analysing `inputPath` writes may be written
// without asking: the input is no GPX file; or `overwrite` was given, and
// nothing needs comparing; or no file of the copy's name is there, or that
// file holds this very copy already.
bool GpxCopyNeedsNoQuestion(const std::string& inputPath, bool overwrite);

}  // namespace torvane::frontend
