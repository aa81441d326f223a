#include "convert/recognise/option_hints.h"

#include "convert/kinds.h"

namespace torvane {
namespace {

std::string Count(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

bool RunWroteFewer(const Settings& s, std::int64_t written) {
    // A shaped track keeps fewer positions by design: only none at all
    // says that the reading missed them.
    return written == 0 || (!s.Shape.Any() && written * 2 < s.DetectedRecordCount);
}

bool RunOptionHints(const Settings& s, const AnalysisCounts& counts, std::int64_t written,
                    const LineAccount* account, const OptionNames& names, std::vector<std::string>& hints,
                    std::string& error) {
    hints.clear();
    if (RunWroteFewer(s, written) && s.DataType != DataKind::None) {
        LineAccount own;
        if (account == nullptr) {
            if (!AccountLines(s, own, error)) return false;
            account = &own;
        }
        if (s.EliminateZeroPositions && account->Count(LineReason::ZeroPosition) > 0) {
            hints.push_back("Hint: " + Count(account->Count(LineReason::ZeroPosition), "position", "positions") +
                            " at 0,0 were eliminated; " + names.keepZeroPositions + " writes them.");
        }
        if (IsNmea(s.DataType) && !s.AcceptAnyTalker) {
            Settings any = s;
            any.AcceptAnyTalker = true;
            LineAccount wider;
            if (!AccountLines(any, wider, error)) return false;
            const std::int64_t more = wider.Positions() - account->Positions();
            if (more > 0) {
                hints.push_back("Hint: " + names.anyTalker + " reads " +
                                Count(more, "more position", "more positions") +
                                " (sentences of other satellite systems or inside longer lines as in a phone's "
                                "log, short altitudes, UTF-16 text).");
            }
        }
    }
    if (s.DataType == DataKind::GPIGC && !s.IgcGnssAltitude && counts.validFix > 0 && !counts.pressureAltitudeSeen &&
        counts.gnssAltitudeSeen) {
        hints.push_back("Hint: every fix has pressure altitude 0; " + names.igcGnssAltitude +
                        " writes the GNSS altitudes the fixes record.");
    }
    return true;
}

}  // namespace torvane
