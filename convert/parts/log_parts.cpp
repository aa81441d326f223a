#include "convert/parts/log_parts.h"

#include "convert/kinds.h"
#include "convert/parts/gpx_split.h"

namespace torvane {

LogSplit FindLogSplit(const PartsRule& rule, platform::FileHandle file, std::uint64_t size) {
    LogSplit split;
    if (size >= rule.fromBytes && size > 0) split.at = LineBoundaryNearMiddle(file, size);
    return split;
}

LogSplit FindLogSplit(const Settings& s, platform::FileHandle file, std::uint64_t size) {
    const SplitRule rule = InputKindOf(s.DataType).split;
    if (rule == SplitRule::None || s.OutputType == OutputKind::OVL) return {};
    if (LogEncoding(s, file) != TextEncoding::Bytes) return {};  // UTF-16 is read from its start
    if (rule == SplitRule::AtLine) return FindLogSplit(s.Parts, file, size);
    LogSplit split;
    if (size >= s.Parts.fromBytes && size > 0) {
        split.at = TrackPointBoundaryNearMiddle(file, size, s, split.laterPoint);
    }
    return split;
}

Settings PartSettings(const Settings& s, PartRole role, const LogSplit& split) {
    Settings part = s;
    if (role == PartRole::Later) {
        static_cast<ReaderState&>(part) = ReaderState{};
        part.GpxPointState = split.laterPoint;
        static_cast<RunTotals&>(part) = RunTotals{};
    }
    return part;
}

void MergePartSettings(Settings& first, const Settings& later) {
    static_cast<ReaderState&>(first) = later;
    first.RunTotals::Merge(later);
}

}  // namespace torvane
