#include "shared_texts.h"

#include "convert/run/conversion_run.h"
#include "convert/recognise/gpx_copy.h"

namespace torvane::frontend {

std::string CountsText(const AnalysisCounts& c) {
    return "GGA " + std::to_string(c.gga) + ", GLL " + std::to_string(c.gll) + ", RMC " + std::to_string(c.rmc) +
           ", IGC header " + std::to_string(c.igcHeader) + ", valid fixes " + std::to_string(c.validFix) +
           ", track points " + std::to_string(c.trackPoint);
}

OptionNames CommandLineOptionNames() { return {"--any-talker", "--keep-zero-positions", "--igc-gnss-altitude"}; }

OptionNames CheckBoxOptionNames() {
    return {"\"Accept every satellite system\"", "switching off \"Eliminate \"Zero\" positions\"",
            "\"GNSS altitude (IGC)\""};
}

bool GpxCopyNeedsNoQuestion(const std::string& inputPath) {
    const std::string copy = GpxCopyPath(inputPath);
    return !OutputFileExists(copy) || GpxCopyHolds(inputPath, copy);
}

}  // namespace torvane::frontend
