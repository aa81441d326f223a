#include "convert/recognise/input_analysis.h"

#include "convert/about.h"
#include "convert/files/file_messages.h"
#include "convert/recognise/fit_counts.h"
#include "convert/recognise/tcx_counts.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/kinds.h"
#include "convert/parts/log_parts.h"
#include "convert/recognise/gpx_copy.h"

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
        LogLineCounter counter(part.counts, fresh_.rules, range.begin == 0);
        while ((status = reader.Next(line)) == LineReader::Status::Line) {
            counter.Count(line);
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
    // FIT and TCX files are known by how they start, and are counted only
    // as such: nothing else can be recognised in them.
    if (c.fitHeader) return DataKind::GPFIT;
    if (c.tcxRoot) return DataKind::GPTCX;
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

// Counts the lines of the file `path`, starting from `fresh`, as text by
// its byte-order mark where `byMark` (then in one pass for UTF-16), as
// bytes otherwise; a FIT or TCX file's positions instead. False on failure, with
// the report's message set.
bool CountInputLines(const std::string& path, const RunOptions& o, const LineCounting& fresh, bool byMark,
                     const ProgressHooks* hooks, AnalysisReport& report) {
    InputFile input;
    if (!input.Open(path)) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, path, input.ErrorText());
        return false;
    }
    if (StartsWithFitHeader(input.Descriptor())) {
        report.counts = fresh.counts;
        CountFitPositions(input.Descriptor(), o, report.counts);
        return true;
    }
    if (StartsWithTcxRoot(input.Descriptor())) {
        report.counts = fresh.counts;
        CountTcxPositions(input.Descriptor(), input.Size(), o, report.counts, report.tcxMiddle, &report.inParts);
        return true;
    }
    const TextEncoding encoding = byMark ? EncodingByMark(input.Descriptor()) : TextEncoding::Bytes;
    CountJob job(input, fresh, encoding);
    const LogSplit split =
        encoding == TextEncoding::Bytes ? FindLogSplit(o.Parts, input.Descriptor(), input.Size()) : LogSplit{};
    const auto counted = PassOverLog(job, input, o.Parts, split.at, hooks);
    report.inParts = counted.inParts;
    if (counted.end != PartEnd::Finished) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, path, counted.failure);
        return false;
    }
    report.counts = counted.part->counts;
    return true;
}

// A second pass over a file nothing was recognised in, counting sentences of
// every talker; only files that failed pay for it.
bool OtherTalkersWouldBeRecognised(const std::string& path, const RunOptions& o) {
    LineCounting anyTalker;
    anyTalker.rules = SentenceRules{true, o.VerifyChecksums, o.AcceptAnyRecorder};
    AnalysisReport other;
    if (!CountInputLines(path, o, anyTalker, false, nullptr, other)) return false;
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

}  // namespace

LineCounting FreshCounting(const RunOptions& o) {
    LineCounting fresh;
    fresh.rules = SentenceRules{o.AcceptAnyTalker, o.VerifyChecksums, o.AcceptAnyRecorder};
    fresh.counts.igcFlightDate = o.IgcFlightDate;  // kept unless a header line carries one
    fresh.counts.igcPilot = o.IgcPilot;
    return fresh;
}

void DecideFromCounts(const RunOptions& o, const std::string& path, AnalysisReport& report) {
    report.kind = DecideDataType(report.counts, o.AcceptAnyRecorder);
    report.recognised = report.kind != DataKind::None;
    report.message = AnalysisMessage(report.kind, path);
    report.fewIgcHeaders = !report.recognised && !o.AcceptAnyRecorder && IsIgcByItsFixes(report.counts);
}

namespace {

// What the log of `o` holds: its counts, the kind they decide (None where
// nothing is recognised) and the message; for a GPX file, the copy that
// was written and counted. The analysis as a value: nothing is set.
AnalysisReport AnalyseLog(const RunOptions& o, const ProgressHooks* hooks) {
    AnalysisReport report;
    const LineCounting fresh = FreshCounting(o);

    std::string path = o.InputFilePath;
    if (IsGpxPath(path)) {
        // The copy's lines are counted as they are written, so the copy is
        // not read again for them.
        if (hooks != nullptr && hooks->status) hooks->status(kGpxCopyNotice);
        const std::string copyPath = GpxCopyPath(path);
        std::string error;
        LineCounting counting = fresh;
        const GpxCopyOutcome copy = WriteGpxCopy(path, copyPath, error, hooks, &counting, o.Parts, &report.inParts);
        if (copy != GpxCopyOutcome::Written) {
            report.failed = true;
            report.copyKept = copy == GpxCopyOutcome::KeptExisting;
            report.message = report.copyKept ? "Output file exists: " + copyPath : error;
            report.counts = fresh.counts;
            return report;
        }
        report.counts = counting.counts;
        path = copyPath;
        report.gpxCopyPath = copyPath;
    } else if (!CountInputLines(path, o, fresh, o.AcceptAnyTalker, hooks, report)) {
        report.counts = fresh.counts;
        return report;
    }

    DecideFromCounts(o, path, report);
    if (!report.recognised && !o.AcceptAnyTalker) report.otherTalkersOnly = OtherTalkersWouldBeRecognised(path, o);
    return report;
}

}  // namespace

// The analysis as the shared values hold it: the file a run reads (a GPX
// file's copy), the flight's date and pilot, the data type where one was
// recognised (else the one before stays), its count and the KML defaults.
void ApplyAnalysis(const AnalysisReport& report, Settings& s) {
    if (!report.gpxCopyPath.empty()) s.InputFilePath = report.gpxCopyPath;
    s.IgcFlightDate = report.counts.igcFlightDate;
    s.IgcPilot = report.counts.igcPilot;
    if (report.recognised) s.DataType = report.kind;
    s.DetectedRecordCount = CountFor(s.DataType, report.counts);
    s.TcxMiddle = report.tcxMiddle;
    SetKmlDefaults(s);
}

namespace {

AnalysisReport AnalyzeInputFile(Settings& s, const ProgressHooks* hooks) {
    s.AnalysedFilePath = s.InputFilePath;
    const AnalysisReport report = AnalyseLog(s, hooks);
    if (!report.failed) ApplyAnalysis(report, s);
    return report;
}

}  // namespace

}  // namespace torvane
