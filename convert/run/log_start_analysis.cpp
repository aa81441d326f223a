#include "convert/run/log_start_analysis.h"

#include <algorithm>

#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/utf16_text.h"
#include "convert/recognise/fit_counts.h"
#include "convert/recognise/gpx_copy.h"
#include "convert/recognise/tcx_counts.h"

namespace torvane {
namespace {

// The bytes from the log's start whose lines suggest the kind.
constexpr std::uint64_t kLookAhead = 256u << 10;

}  // namespace

std::optional<AnalysisReport> AnalysisOfLogStart(const Settings& s, const LineCounting& fresh) {
    if (IsGpxPath(s.InputFilePath)) return std::nullopt;
    InputFile input;
    if (!input.Open(s.InputFilePath)) return std::nullopt;
    const platform::FileHandle file = input.Descriptor();
    if (StartsWithFitHeader(file) || StartsWithTcxRoot(file)) return std::nullopt;
    if (EncodingByMark(file) != TextEncoding::Bytes) return std::nullopt;
    AnalysisReport report;
    report.counts = fresh.counts;
    LineReader reader(file, ByteRange{0, std::min(input.Size(), kLookAhead)});
    LogLineCounter counter(report.counts, fresh.rules, true);
    for (std::string_view line; reader.Next(line) == LineReader::Status::Line;) counter.Count(line);
    DecideFromCounts(s, s.InputFilePath, report);
    if (!report.recognised) return std::nullopt;
    return report;
}

bool SetsUpAlike(const AnalysisReport& whole, const AnalysisReport& start) {
    // (the record count is no part of what a run writes but an overlay's)
    return whole.recognised && whole.kind == start.kind && whole.counts.igcFlightDate == start.counts.igcFlightDate &&
           whole.counts.igcPilot == start.counts.igcPilot;
}

}  // namespace torvane
