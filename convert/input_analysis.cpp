#include "input_analysis.h"

#include <cstring>

#include "about.h"
#include "file_messages.h"
#include "gpx_copy.h"
#include "input_file.h"
#include "line_reader.h"
#include "output/byte_scan.h"
#include "sentence_checks.h"
#include "text_scan.h"
#include "two_halves.h"

namespace torvane {
namespace {

constexpr std::string_view kGpxCopyNotice = "New GPX-File with CR&LF is under preparation and will be written. I am busy";

std::int64_t CountFor(DataKind kind, const AnalysisCounts& c) {
    switch (kind) {
        case DataKind::GPGGA: return c.gga;
        case DataKind::GPGLL: return c.gll;
        case DataKind::GPRMC: return c.rmc;
        case DataKind::GPIGC: return c.validFix;
        case DataKind::GPGXT: return c.trackPoint;
        case DataKind::None: break;
    }
    return 0;
}

// What one pass over a line finds at its "*", "$", "H" and "<" characters:
// a star; each "$GP" followed by the sentence name; "HF", which every IGC
// header word starts with; "<trkpt".
struct LineMarks {
    bool star = false;
    bool gga = false, gll = false, rmc = false;           // after "$GP"
    bool anyGga = false, anyGll = false, anyRmc = false;  // after "$" and any two capitals
    bool headerWord = false;
    bool trackPointTag = false;
};

LineMarks ScanLineMarks(std::string_view line) {
    LineMarks marks;
    const char* const data = line.data();
    const std::size_t size = line.size();
    ScanBytes(data, size, ByteSet('*', '$', 'H', '<'), [&](std::size_t at) {
        switch (data[at]) {
            case '*': marks.star = true; break;
            case '$':
                if (const std::string_view name = SentenceNameAt(line, at); !name.empty()) {
                    const bool gga = name == "GGA", gll = name == "GLL", rmc = name == "RMC";
                    marks.anyGga = marks.anyGga || gga;
                    marks.anyGll = marks.anyGll || gll;
                    marks.anyRmc = marks.anyRmc || rmc;
                    if (data[at + 1] == 'G' && data[at + 2] == 'P') {
                        marks.gga = marks.gga || gga;
                        marks.gll = marks.gll || gll;
                        marks.rmc = marks.rmc || rmc;
                    }
                }
                break;
            case 'H': marks.headerWord = marks.headerWord || (size - at >= 2 && data[at + 1] == 'F'); break;
            default: marks.trackPointTag = marks.trackPointTag || line.substr(at, 6) == "<trkpt"; break;
        }
        return true;
    });
    return marks;
}

// Adds the NMEA hits of one line with a star: each "$GP" followed by the
// sentence name, or with "accept every satellite system" each "$" and two
// capitals followed by it; with "skip sentences with a wrong checksum", only
// when the line's checksum is right.
void CountSentences(std::string_view line, const LineMarks& marks, AnalysisCounts& counts,
                    const SentenceRules& rules) {
    if (!marks.star) return;
    const bool gga = rules.anyTalker ? marks.anyGga : marks.gga;
    const bool gll = rules.anyTalker ? marks.anyGll : marks.gll;
    const bool rmc = rules.anyTalker ? marks.anyRmc : marks.rmc;
    if (!gga && !gll && !rmc) return;
    if (rules.verifyChecksums && !HasValidChecksum(line)) return;
    counts.gga += gga;
    counts.gll += gll;
    counts.rmc += rmc;
}

// Adds the IGC header hits of a line with "HF" and takes its date and pilot.
void CountIgcHeader(std::string_view line, AnalysisCounts& counts) {
    if (Contains(line, "HFDTE")) {
        ++counts.igcHeader;
        counts.igcFlightDate.assign(Mid(line, 6, 6));
        counts.igcFlightDateSeen = true;
    }
    if (Contains(line, "HFPLT")) {
        ++counts.igcHeader;
        const std::size_t colon = line.find(':');
        counts.igcPilot.assign(colon == std::string_view::npos ? line : line.substr(colon + 1));
        counts.igcPilotSeen = true;
    }
    if (Contains(line, "HFGID")) ++counts.igcHeader;
    if (Contains(line, "HFPRS")) ++counts.igcHeader;
}

// A second pass over a file nothing was recognised in, counting sentences of
// every talker; only files that failed pay for it.
bool OtherTalkersWouldBeRecognised(const Settings& s) {
    InputFile input;
    if (!input.Open(s.InputFilePath)) return false;
    LineReader reader(input.Descriptor());
    AnalysisCounts counts;
    const SentenceRules rules{true, s.VerifyChecksums};
    std::string_view line;
    while (reader.Next(line) == LineReader::Status::Line) CountLine(line, counts, rules);
    const DataKind kind = DecideDataType(counts);
    return kind == DataKind::GPGGA || kind == DataKind::GPGLL || kind == DataKind::GPRMC;
}

enum class Counted { Done, Failed };

// Counts the lines `reader` gives; progress goes to `progress` (bytes of
// this reader) when given.
template <class Progress>
Counted CountLines(LineReader& reader, AnalysisCounts& counts, const SentenceRules& rules, Progress progress) {
    std::string_view line;
    LineReader::Status status;
    std::uint64_t reported = 0;
    while ((status = reader.Next(line)) == LineReader::Status::Line) {
        CountLine(line, counts, rules);
        if (reader.BytesRead() != reported) {
            reported = reader.BytesRead();
            progress(reported);
        }
    }
    return status == LineReader::Status::Error ? Counted::Failed : Counted::Done;
}

// Counts a large file in two halves, the second on another thread; the
// counts add up to those of one pass. False when either half could not be
// read (one pass then tells the reason as it meets it).
bool CountInHalves(const InputFile& input, AnalysisCounts& counts, const SentenceRules& rules,
                   const ProgressHooks* hooks, std::uint64_t& bytesRead) {
    const std::uint64_t split = LineBoundaryNearMiddle(input.Descriptor(), input.Size());
    if (split == 0) return false;
    OwnCacheLines<AnalysisCounts> later;
    OwnCacheLines<LineReader> second(input.Descriptor(), ByteRange{split, input.Size()});
    Counted secondResult = Counted::Failed;
    LaterHalf laterHalf([&](LaterHalf& half) {
        secondResult =
            CountLines(second.value, later.value, rules, [&half](std::uint64_t bytes) { half.Report(bytes); });
    });
    LineReader first(input.Descriptor(), ByteRange{0, split});
    const bool reportProgress = hooks != nullptr && static_cast<bool>(hooks->progress);
    const Counted firstResult = CountLines(first, counts, rules, [&](std::uint64_t bytes) {
        if (reportProgress) hooks->progress(bytes + laterHalf.Bytes(), input.Size());
    });
    laterHalf.Join();
    if (firstResult == Counted::Failed || secondResult == Counted::Failed) return false;
    counts.Add(later.value);
    bytesRead = first.BytesRead() + second.value.BytesRead();
    return true;
}

}  // namespace

void AnalysisCounts::Add(const AnalysisCounts& later) {
    gga += later.gga;
    gll += later.gll;
    rmc += later.rmc;
    igcHeader += later.igcHeader;
    validFix += later.validFix;
    trackPoint += later.trackPoint;
    if (later.igcFlightDateSeen) {
        igcFlightDate = later.igcFlightDate;
        igcFlightDateSeen = true;
    }
    if (later.igcPilotSeen) {
        igcPilot = later.igcPilot;
        igcPilotSeen = true;
    }
}

void CountLine(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules) {
    const LineMarks marks = ScanLineMarks(line);
    CountSentences(line, marks, counts, rules);
    if (marks.headerWord) CountIgcHeader(line, counts);
    if (line.size() >= 25 && line[0] == 'B' && line[24] == 'A') ++counts.validFix;
    if (marks.trackPointTag && Contains(line, "lat=") && Contains(line, "lon=")) ++counts.trackPoint;
}

DataKind DecideDataType(const AnalysisCounts& c) {
    const auto atLeast90Percent = [](std::int64_t a, std::int64_t b) {
        return static_cast<double>(a) >= 0.9 * static_cast<double>(b);
    };
    if (c.gga > 1 && (atLeast90Percent(c.gga, c.rmc) || atLeast90Percent(c.gga, c.gll))) return DataKind::GPGGA;
    if (c.gll > 1 && atLeast90Percent(c.gll, c.rmc)) return DataKind::GPGLL;
    if (c.rmc > 1) return DataKind::GPRMC;
    if (c.igcHeader > 2) return DataKind::GPIGC;
    if (c.trackPoint > 1) return DataKind::GPGXT;
    return DataKind::None;
}

std::string AnalysisMessage(DataKind recognised, const std::string& inputFilePath) {
    constexpr std::string_view kChoose = "\r\nChose output file type and options then press START. ";
    switch (recognised) {
        case DataKind::GPGGA: return "NMEA GPGGA data found. \r\nSelect options then press START. ";
        case DataKind::GPGLL: return "NMEA GPGLL data found. " + std::string(kChoose);
        case DataKind::GPRMC: return "NMEA GPRMC data found. " + std::string(kChoose);
        case DataKind::GPIGC: return "IGC data found. " + std::string(kChoose);
        case DataKind::GPGXT: return "GPX TRK data found. " + std::string(kChoose);
        case DataKind::None: break;
    }
    return "Could not recognize data in selected file  " + inputFilePath + ".";
}

std::string OtherTalkersHint(std::string_view howToAccept) {
    return "Hint: this file holds position sentences of other satellite systems; " + std::string(howToAccept) +
           " converts them.";
}

void SetKmlDefaults(Settings& s) {
    std::string description;
    switch (s.DataType) {
        case DataKind::GPGGA:
        case DataKind::GPGLL:
        case DataKind::GPRMC:
            description = "GPS data path";
            break;
        case DataKind::GPIGC:
            description = "Flight recorder (IGC) path,  Flight date: " + s.IgcFlightDate + ",  Pilot: " + s.IgcPilot + ", ";
            break;
        case DataKind::GPGXT:
            description = "GPX track path";
            break;
        case DataKind::None:
            break;
    }
    description += "Generator: Torvane, ";
    description += kHomePage;
    s.KmlProperties = {"", description, "ff00ffff", " 1", " 1", "relativeToGround"};
}

namespace {

// Counts the lines of the input file `s.InputFilePath`. False on failure,
// with the report's message set.
bool CountInputLines(Settings& s, const SentenceRules& rules, const ProgressHooks* hooks, AnalysisReport& report,
                     const AnalysisCounts& fresh) {
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    std::uint64_t bytesRead = 0;
    report.counts = fresh;
    if (input.Size() < kTwoHalvesBytes || !CountInHalves(input, report.counts, rules, hooks, bytesRead)) {
        report.counts = fresh;
        LineReader reader(input.Descriptor());
        const bool reportProgress = hooks != nullptr && static_cast<bool>(hooks->progress);
        const Counted counted = CountLines(reader, report.counts, rules, [&](std::uint64_t bytes) {
            if (reportProgress) hooks->progress(bytes, input.Size());
        });
        if (counted == Counted::Failed) {
            report.failed = true;
            report.message = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, reader.ErrorText());
            return false;
        }
        bytesRead = reader.BytesRead();
    }
    if (input.ChangedWhileRead(bytesRead)) {
        report.failed = true;
        report.message = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    return true;
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
    const SentenceRules rules{s.AcceptAnyTalker, s.VerifyChecksums};
    AnalysisCounts fresh;
    fresh.igcFlightDate = s.IgcFlightDate;  // kept unless a header line carries one
    fresh.igcPilot = s.IgcPilot;

    if (IsGpxPath(s.InputFilePath)) {
        // The copy's lines are counted as they are written, so the copy is
        // not read again for them.
        if (hooks != nullptr && hooks->status) hooks->status(kGpxCopyNotice);
        const std::string copyPath = GpxCopyPath(s.InputFilePath);
        std::string error;
        report.counts = fresh;
        OwnCacheLines<AnalysisCounts> later;
        GpxCopyLines lines;
        lines.first = [&](std::string_view line) { CountLine(line, report.counts, rules); };
        lines.later = [&](std::string_view line) { CountLine(line, later.value, rules); };
        lines.restart = [&] {
            report.counts = fresh;
            later.value = AnalysisCounts{};
        };
        if (!WriteGpxCopy(s.InputFilePath, copyPath, error, hooks, lines)) {
            report.failed = true;
            report.message = error;
            report.counts = fresh;
            return report;
        }
        report.counts.Add(later.value);  // nothing when the copy was made in one pass
        s.InputFilePath = copyPath;
        report.gpxCopyPath = copyPath;
    } else if (!CountInputLines(s, rules, hooks, report, fresh)) {
        return report;
    }

    s.IgcFlightDate = report.counts.igcFlightDate;
    s.IgcPilot = report.counts.igcPilot;
    const DataKind recognised = DecideDataType(report.counts);
    report.recognised = recognised != DataKind::None;
    if (report.recognised) s.DataType = recognised;
    report.message = AnalysisMessage(recognised, s.InputFilePath);
    if (!report.recognised && !s.AcceptAnyTalker) report.otherTalkersOnly = OtherTalkersWouldBeRecognised(s);
    s.DetectedRecordCount = CountFor(s.DataType, report.counts);
    SetKmlDefaults(s);
    return report;
}

}  // namespace

}  // namespace torvane
