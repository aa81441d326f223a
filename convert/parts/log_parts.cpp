#include "convert/parts/log_parts.h"

#include "convert/kinds.h"
#include "convert/parts/gpx_split.h"

namespace torvane {

LogSplit FindLogSplit(const PartsRule& rule, platform::FileHandle file, std::uint64_t size) {
    LogSplit split;
    if (size >= rule.fromBytes && size > 0) split.at = LineBoundaryNearMiddle(file, size);
    return split;
}

LogSplit FindLogSplit(const RunOptions& s, platform::FileHandle file, std::uint64_t size) {
    return FindLogSplit(s, s.OutputType, file, size);
}

LogSplit FindLogSplit(const RunOptions& s, OutputKind output, platform::FileHandle file, std::uint64_t size) {
    const SplitRule rule = InputKindOf(s.DataType).split;
    if (rule == SplitRule::None || output == OutputKind::OVL) return {};
    if (LogEncoding(s, file) != TextEncoding::Bytes) return {};  // UTF-16 is read from its start
    if (rule == SplitRule::AtLine) return FindLogSplit(s.Parts, file, size);
    LogSplit split;
    if (rule == SplitRule::AtNotedTrackpoint) {
        const auto& noted = s.TcxMiddle;
        if (noted && size >= s.Parts.fromBytes && noted->offset > 0 && noted->offset < size) {
            split.at = noted->offset;
            split.laterTcx = noted;
        }
        return split;
    }
    if (size >= s.Parts.fromBytes && size > 0) {
        split.at = TrackPointBoundaryNearMiddle(file, size, s, split.laterPoint);
    }
    return split;
}

ReaderState PartReaderState(const ReaderState& run, PartRole role, const LogSplit& split) {
    if (role != PartRole::Later) return run;
    ReaderState later;
    later.GpxPointState = split.laterPoint;
    return later;
}

}  // namespace torvane
