#include "igc_fix.h"

namespace torvane {

void ConvertIgcFix(Settings& s, std::string_view /*line*/) {
    s.RecordInvalid = true;
    s.OutputLine.clear();
}

}  // namespace torvane
