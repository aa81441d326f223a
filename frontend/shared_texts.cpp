#include "shared_texts.h"

#include "convert/recognise/gpx_copy.h"
#include "convert/run/conversion_run.h"

namespace torvane::frontend {
namespace {

// The check boxes of the window and the page that the options stand for.
constexpr std::string_view kAnyTalkerBox = "\"Accept every satellite system\"";
constexpr std::string_view kAnyRecorderBox = "\"Accept every flight recorder\"";

}  // namespace

std::string CountsText(const AnalysisCounts& c) {
    return "GGA " + std::to_string(c.gga) + ", GLL " + std::to_string(c.gll) + ", RMC " + std::to_string(c.rmc) +
           ", IGC header " + std::to_string(c.igcHeader) + ", valid fixes " + std::to_string(c.validFix) +
           ", track points " + std::to_string(c.trackPoint) +
           (c.fitHeader ? ", FIT positions " + std::to_string(c.fitPosition) : std::string()) +
           (c.tcxRoot ? ", TCX positions " + std::to_string(c.tcxPosition) : std::string());
}

OptionNames HintOptionNames(FrontEnd front) {
    if (front == FrontEnd::CommandLine) return {"--any-talker", "--keep-zero-positions", "--igc-gnss-altitude"};
    // The page's box keeps "zero" positions, where the window's eliminates them.
    return {std::string(kAnyTalkerBox),
            front == FrontEnd::Page ? "\"Keep \"zero\" positions\"" : "switching off \"Eliminate \"Zero\" positions\"",
            "\"GNSS altitude (IGC)\""};
}

std::vector<std::string> AnalysisHints(const AnalysisReport& report, FrontEnd front) {
    const bool commandLine = front == FrontEnd::CommandLine;
    std::vector<std::string> hints;
    if (report.otherTalkersOnly) {
        hints.push_back(OtherTalkersHint(commandLine ? "--any-talker" : kAnyTalkerBox));
    }
    if (report.fewIgcHeaders) {
        hints.push_back(FewIgcHeadersHint(commandLine ? "--any-recorder" : kAnyRecorderBox));
    }
    return hints;
}

bool GpxCopyNeedsNoQuestion(const std::string& inputPath, bool overwrite) {
    if (!IsGpxPath(inputPath) || overwrite) return true;
    const std::string copy = GpxCopyPath(inputPath);
    return !OutputFileExists(copy) || GpxCopyHolds(inputPath, copy);
}

}  // namespace torvane::frontend
