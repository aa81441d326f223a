#include "convert/recognise/input_analysis.h"

#include "convert/about.h"
#include "convert/kinds.h"
#include "convert/files/file_messages.h"
#include "convert/recognise/fit_counts.h"
#include "convert/recognise/gpx_copy.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/parts/log_parts.h"

namespace torvane {
namespace {

constexpr std::string_view kGpxCopyNotice = "New GPX-File with CR&LF is under preparation and will be written. I am busy";

std::int64_t CountFor(DataKind kind, const AnalysisCounts& c) {
    const auto count = InputKindOf(kind).count;
    return count != nullptr ? c.*count : 0;
}

// The analysis's counts in parts: each part's counts, added in order.
class CountJob {
public:
    struct alignas(64) Part {
        AnalysisCounts counts;
        std::string readError;
        std::uint64_t bytesRead = 0;
    };

    CountJob(const InputFile& input, const LineCounting& fresh, TextEncoding encoding)
        : input_(input), fresh_(fresh), encoding_(encoding) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        if (role != PartRole::Later) part->counts = fresh_.counts;
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        LineReader reader(input_.Descriptor(), range);
        reader.SetEncoding(encoding_);
        const bool reportProgress = hooks != nullptr && static_cast<bool>(hooks->progress);
        std::string_view line;
        LineReader::Status status;
        std::uint64_t reported = 0;
        // The log's first line, where an IGC file has its A record.
        bool first = range.begin == 0;
        while ((status = reader.Next(line)) == LineReader::Status::Line) {
            if (first) {
                part.counts.startsWithARecord = !line.empty() && line[0] == 'A';
                first = false;
            }
            CountLine(line, part.counts, fresh_.rules);
            if (reader.BytesRead() != reported) {
                reported = reader.BytesRead();
                if (reportProgress) hooks->progress(reported, input_.Size());
                if (hooks != nullptr && hooks->cancelled && hooks->cancelled()) return PartEnd::Cancelled;
            }
        }
        part.bytesRead = reader.BytesRead();
        if (status == LineReader::Status::End) return PartEnd::Finished;
        part.readError = reader.ErrorText();
        return PartEnd::Failed;
    }
    bool Merge(Part& first, Part& later) {
        first.counts.Add(later.counts);
        first.bytesRead += later.bytesRead;
        return true;
    }
    bool Restart() { return true; }

private:
    const InputFile& input_;
    const LineCounting& fresh_;
    TextEncoding encoding_;
};

}  // namespace

bool IsIgcByItsFixes(const AnalysisCounts& c) {
    return (c.startsWithARecord || c.igcFlightDateSeen) && c.validFix >= 2;
}

DataKind DecideDataType(const AnalysisCounts& c, bool anyRecorder) {
    const auto atLeast90Percent = [](std::int64_t a, std::int64_t b) {
        return static_cast<double>(a) >= 0.9 * static_cast<double>(b);
    };
    if (c.fitHeader) return DataKind::GPFIT;
    if (c.gga > 1 && (atLeast90Percent(c.gga, c.rmc) || atLeast90Percent(c.gga, c.gll))) return DataKind::GPGGA;
    if (c.gll > 1 && atLeast90Percent(c.gll, c.rmc)) return DataKind::GPGLL;
    if (c.rmc > 1) return DataKind::GPRMC;
    if (c.igcHeader > 2 || (anyRecorder && IsIgcByItsFixes(c))) return DataKind::GPIGC;
    if (c.trackPoint > 1) return DataKind::GPGXT;
    return DataKind::None;
}

std::string AnalysisMessage(DataKind recognised, const std::string& inputFilePath) {
    if (recognised != DataKind::None) return std::string(InputKindOf(recognised).found);
    return "Could not recognize data in selected file  " + inputFilePath + ".";
}

std::string OtherTalkersHint(std::string_view howToAccept) {
    return "Hint: this file holds position sentences of other satellite systems or without a checksum; " +
           std::string(howToAccept) +
           " converts them.";
}

std::string FewIgcHeadersHint(std::string_view howToAccept) {
    return "Hint: this file holds IGC fixes but too few header lines; " + std::string(howToAccept) +
           " converts them.";
}

void SetKmlDefaults(Settings& s) {
    const InputKind& kind = InputKindOf(s.DataType);
    std::string description(kind.kmlDescription);
    if (kind.kmlNamesFlight) description += s.IgcFlightDate + ",  Pilot: " + s.IgcPilot + ", ";
    description += "Generator: Torvane, ";
    description += kHomePage;
    s.KmlProperties = {"", description, "ff00ffff", " 1", " 1", "relativeToGround"};
}

namespace {

// Counts the lines of the input file `s.InputFilePath`, starting from
// `fresh`, as text by its byte-order mark where `byMark` (then in one pass
// for UTF-16), as bytes otherwise; a FIT file's positions instead. False on
// failure, with the report's message set.
bool CountInputLines(Settings& s, const LineCounting& fresh, bool byMark, const ProgressHooks* hooks,
                     AnalysisReport& report) {
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    if (StartsWithFitHeader(input.Descriptor())) {
        report.counts = fresh.counts;
        CountFitPositions(input.Descriptor(), s, report.counts);
        return true;
    }
    const TextEncoding encoding = byMark ? EncodingByMark(input.Descriptor()) : TextEncoding::Bytes;
    CountJob job(input, fresh, encoding);
    const LogSplit split =
        encoding == TextEncoding::Bytes ? FindLogSplit(s.Parts, input.Descriptor(), input.Size()) : LogSplit{};
    const auto counted = PassOverLog(job, input, s.Parts, split.at, hooks);
    report.inParts = counted.inParts;
    if (counted.end != PartEnd::Finished) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, counted.failure);
        return false;
    }
    report.counts = counted.part->counts;
    return true;
}

// A second pass over a file nothing was recognised in, counting sentences of
// every talker; only files that failed pay for it.
bool OtherTalkersWouldBeRecognised(Settings& s) {
    LineCounting anyTalker;
    anyTalker.rules = SentenceRules{true, s.VerifyChecksums, s.AcceptAnyRecorder};
    AnalysisReport other;
    if (!CountInputLines(s, anyTalker, false, nullptr, other)) return false;
    return IsNmea(DecideDataType(other.counts));
}

}  // namespace

namespace {
AnalysisReport AnalyzeInputFile(Settings& s, const ProgressHooks* hooks);
}  // namespace

AnalysisReport AnalyzeInput(Settings& s, const ProgressHooks* hooks) {
    // Short of memory or of a thread, the analysis fails; a GPX copy it had
    // begun is dropped on the way out.
    const std::string inputPath = s.InputFilePath;
    try {
        return AnalyzeInputFile(s, hooks);
    } catch (const std::exception& failure) {
        s.InputFilePath = inputPath;
        AnalysisReport report;
        report.failed = true;
        report.message = FileFailureMessage(FileAction::Process, inputPath, FailureReason(failure), kNoOutputWritten);
        return report;
    }
}

namespace {

AnalysisReport AnalyzeInputFile(Settings& s, const ProgressHooks* hooks) {
    AnalysisReport report;
    s.AnalysedFilePath = s.InputFilePath;
    LineCounting fresh;
    fresh.rules = SentenceRules{s.AcceptAnyTalker, s.VerifyChecksums, s.AcceptAnyRecorder};
    fresh.counts.igcFlightDate = s.IgcFlightDate;  // kept unless a header line carries one
    fresh.counts.igcPilot = s.IgcPilot;

    if (IsGpxPath(s.InputFilePath)) {
        // The copy's lines are counted as they are written, so the copy is
        // not read again for them.
        if (hooks != nullptr && hooks->status) hooks->status(kGpxCopyNotice);
        const std::string copyPath = GpxCopyPath(s.InputFilePath);
        std::string error;
        LineCounting counting = fresh;
        if (!WriteGpxCopy(s.InputFilePath, copyPath, error, hooks, &counting, s.Parts, &report.inParts)) {
            report.failed = true;
            report.message = error;
            report.counts = fresh.counts;
            return report;
        }
        report.counts = counting.counts;
        s.InputFilePath = copyPath;
        report.gpxCopyPath = copyPath;
    } else if (!CountInputLines(s, fresh, s.AcceptAnyTalker, hooks, report)) {
        report.counts = fresh.counts;
        return report;
    }

    s.IgcFlightDate = report.counts.igcFlightDate;
    s.IgcPilot = report.counts.igcPilot;
    const DataKind recognised = DecideDataType(report.counts, s.AcceptAnyRecorder);
    report.recognised = recognised != DataKind::None;
    if (report.recognised) s.DataType = recognised;
    report.message = AnalysisMessage(recognised, s.InputFilePath);
    if (!report.recognised && !s.AcceptAnyTalker) report.otherTalkersOnly = OtherTalkersWouldBeRecognised(s);
    report.fewIgcHeaders = !report.recognised && !s.AcceptAnyRecorder && IsIgcByItsFixes(report.counts);
    s.DetectedRecordCount = CountFor(s.DataType, report.counts);
    SetKmlDefaults(s);
    return report;
}

}  // namespace

}  // namespace torvane
