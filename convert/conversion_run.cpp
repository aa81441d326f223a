#include "conversion_run.h"

#include "dated_track_writer.h"
#include "file_messages.h"
#include "gpx_split.h"
#include "input_file.h"
#include "line_reader.h"
#include "output_documents.h"
#include "output_file.h"
#include "platform/file_system.h"
#include "record_loop.h"
#include "two_halves.h"

namespace torvane {
namespace {

constexpr char kSeparator = platform::kPathSeparator;
constexpr std::string_view kNothingToWrite = "Could not recognize/process input data. ";

std::string_view Extension(OutputKind kind) {
    switch (kind) {
        case OutputKind::Table: return "prn";
        case OutputKind::KML: return "kml";
        case OutputKind::OVL: return "ovl";
        case OutputKind::GPX: return "gpx";
        case OutputKind::GeoJSON: return "geojson";
        case OutputKind::None: break;
    }
    return "";
}

RunReport Failure(std::string message) {
    RunReport report;
    report.outcome = RunReport::Outcome::Failed;
    report.message = std::move(message);
    return report;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// How the record lines of a run were written.
struct Body {
    LoopEnd end = LoopEnd::Finished;
    std::string error;             // with LoopEnd::ReadFailed
    std::string writeError;        // a part of the output could not be written
    std::uint64_t bytesRead = 0;
    bool retryInOnePass = false;  // the halves did not come out; nothing is to be kept
};

// Table and KML lines do not depend on the record count, as overlay points
// do. NMEA and IGC lines depend on their own input line alone; a GPX track
// point also on the points before it, so its later half starts with the
// state one pass has there.
std::uint64_t SplitForHalves(const Settings& s, const InputFile& input, Settings& laterSettings) {
    if (input.Size() < kTwoHalvesBytes) return 0;
    if (IsDatedOutput(s)) return 0;  // its dates run from the log's start
    if (s.OutputType != OutputKind::Table && s.OutputType != OutputKind::KML) return 0;
    if (s.DataType == DataKind::None) return 0;
    if (s.DataType == DataKind::GPGXT) {
        return TrackPointBoundaryNearMiddle(input.Descriptor(), input.Size(), s, laterSettings);
    }
    laterSettings = s;
    laterSettings.RecordCount = 0;
    return LineBoundaryNearMiddle(input.Descriptor(), input.Size());
}

// Writes the record lines of the input to `output`: in one pass, or, for a
// large log that splits (see SplitForHalves) and with `halves`, the two
// halves at once, the later one into a file of its own that is appended
// once both are done. The output is the same byte for byte.
Body WriteBody(Settings& s, const InputFile& input, OutputFile& output, const ProgressHooks* hooks, bool halves) {
    Body body;
    OwnCacheLines<Settings> laterSettings;
    const std::uint64_t split = halves ? SplitForHalves(s, input, laterSettings.value) : 0;
    OwnCacheLines<OutputFile> laterOutput;
    OutputFile& later = laterOutput.value;
    if (split == 0 || !later.Open(s.OutputFilePath)) {
        LineReader reader(input.Descriptor());
        body.end = RunRecordLoop(s, reader, output, input.Size(), hooks, body.error);
        body.bytesRead = reader.BytesRead();
        return body;
    }

    const HalvesEnd end = RunRecordLoopInHalves(s, laterSettings.value, input.Descriptor(), input.Size(), split, output,
                                                later, hooks, body.error);
    body.end = end.first;
    // A failure in the first half is the first one a single pass meets too.
    if (body.end != LoopEnd::Finished) return body;
    if (end.later != LoopEnd::Finished || !later.Finish() || !output.AppendFinished(later)) {
        body.retryInOnePass = true;  // one pass tells the reason, with its line number
        return body;
    }
    s.RecordCount += laterSettings.value.RecordCount;
    body.bytesRead = end.bytesRead;
    return body;
}

// The body of a dated output: a first pass finds where its dated track
// starts, then the track is written, once more with milliseconds should a
// time with a fraction of a second come. `dated`: some position has a time.
Body WriteDatedBody(Settings& s, const InputFile& input, OutputFile& output, const ProgressHooks* hooks,
                    bool& dated) {
    Body body;
    std::optional<LogStart> start;
    if (!FindLogStart(s, input.Descriptor(), input.Size(), start, body.error)) {
        body.end = LoopEnd::ReadFailed;
        return body;
    }
    bool milliseconds = false;
    for (;;) {
        // Each attempt starts from the state the run was given.
        Settings run = s;
        run.PositionsOnly = s.OutputType != OutputKind::KML;
        DatedTrackWriter writer(run, output, CalendarFor(start), milliseconds);
        if (!writer.Open(body.writeError)) return body;
        LineReader reader(input.Descriptor(), ByteRange{0, input.Size()});
        body.end = RunRecordLoop(run, reader, writer, input.Size(), hooks, body.error);
        body.bytesRead = reader.BytesRead();
        if (body.end == LoopEnd::Cancelled && writer.NeedsMilliseconds()) {
            milliseconds = true;
            output.Discard();
            if (!output.Open(s.OutputFilePath)) {
                body.writeError = output.ErrorText();
                return body;
            }
            continue;
        }
        if (body.end == LoopEnd::Finished && !writer.Finish(body.writeError)) return body;
        s.GpxPointState = run.GpxPointState;
        s.RecordCount = s.OutputType == OutputKind::KML ? run.RecordCount : writer.Count();
        dated = writer.Dated();
        return body;
    }
}

RunReport Run(Settings& s, const ProgressHooks* hooks, bool halves, bool& retryInOnePass);

}  // namespace

void FormOutputPath(Settings& s) {
    if (s.OutputType == OutputKind::None) return;
    const std::string& input = s.InputFilePath;
    const std::size_t slash = input.rfind(kSeparator);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = input.find('.', nameStart);
    std::string path = input.substr(0, dot);  // npos: the whole path
    path += '_';
    const std::string_view word = DataTypeWord(s.DataType);
    if (word.size() > 2) path += word.substr(2, 5);
    path += '.';
    path += Extension(s.OutputType);
    s.OutputFilePath = std::move(path);

    if (s.OutputType == OutputKind::KML) {
        s.OutputFileName = FileName(s.OutputFilePath);
        if (s.KmlProperties[kKmlName].empty()) s.KmlProperties[kKmlName] = s.OutputFileName;
    }
}

void SetOutputPath(Settings& s, const std::string& path) {
    const bool nameWasOutputName = s.KmlProperties[kKmlName] == s.OutputFileName;
    s.OutputFilePath = path;
    if (s.OutputType == OutputKind::KML) {
        s.OutputFileName = FileName(path);
        if (nameWasOutputName || s.KmlProperties[kKmlName].empty()) s.KmlProperties[kKmlName] = s.OutputFileName;
    }
}

bool OutputFileExists(const std::string& path) {
    if (path.empty() || path.back() == kSeparator) return false;
    unsigned mode = 0;
    // A symbolic link there is not an output to replace; the run refuses it.
    return platform::Inspect(path, mode) == platform::PathKind::Regular;
}

bool IsInputFile(const Settings& s, const std::string& path) {
    return SameFile(s.InputFilePath, path) || SameFile(s.AnalysedFilePath, path);
}

std::string CountMessage(const Settings& s) {
    std::string text = std::to_string(s.RecordCount);
    text += ' ';
    text += DataTypeWord(s.DataType);
    text += " data sets written to file ";
    text += s.OutputFilePath;
    text += ".\r\nChose a new file for processing or exit the program.";
    return text;
}

RunReport PerformConversionRun(Settings& s, const ProgressHooks* hooks) {
    // Short of memory or of a thread, the run stops; what it had begun to
    // write is dropped on the way out.
    try {
        bool retry = false;
        RunReport report = Run(s, hooks, true, retry);
        if (retry) report = Run(s, hooks, false, retry);
        return report;
    } catch (const std::exception& failure) {
        return Failure(FileFailureMessage(FileAction::Process, s.InputFilePath, FailureReason(failure), kNoOutputWritten));
    }
}

namespace {

RunReport Run(Settings& s, const ProgressHooks* hooks, bool halves, bool& retryInOnePass) {
    if (s.InputFilePath.empty()) return Failure("No input file chosen. Select a file and press ANALYZE first.");

    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText()));
    }
    if (input.IsSameFile(s.OutputFilePath) || SameFile(s.AnalysedFilePath, s.OutputFilePath)) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, "it is the input file"));
    }
    OutputFile output;
    if (!output.Open(s.OutputFilePath)) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText()));
    }

    s.RecordCount = 0;
    s.OverlayExtent = OverlayBounds{};
    WriteOutputHeader(s, output);

    bool dated = true;
    const Body body =
        IsDatedOutput(s) ? WriteDatedBody(s, input, output, hooks, dated) : WriteBody(s, input, output, hooks, halves);
    if (!body.writeError.empty()) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, body.writeError, kNoOutputWritten));
    }
    if (body.retryInOnePass) {
        retryInOnePass = true;
        return {};
    }
    const LoopEnd end = body.end;
    const std::string& readError = body.error;
    if (end != LoopEnd::Finished) {
        if (end == LoopEnd::Cancelled) {
            RunReport report;
            report.outcome = RunReport::Outcome::Cancelled;
            report.message = "The run was cancelled. No output written; an existing file " + s.OutputFilePath +
                             " is kept as it was.";
            return report;
        }
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError, kNoOutputWritten));
    }
    if (input.ChangedWhileRead(body.bytesRead)) {
        return Failure(
            FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText(), kNoOutputWritten));
    }
    input.Close();

    // A run without a single data set names no file: an existing output of
    // that name stays as it was, and no empty document appears.
    if (s.RecordCount == 0) {
        output.Discard();
        RunReport report;
        report.outcome = RunReport::Outcome::NothingWritten;
        report.message = kNothingToWrite;
        if (OutputFileExists(s.OutputFilePath)) {
            report.message += "The existing file " + s.OutputFilePath + " is kept as it was.";
        }
        return report;
    }

    WriteOutputTrailer(s, output);
    if (s.OutputType == OutputKind::OVL && s.EliminateZeroPositions) {
        // The overlay takes its name only once its point count is corrected.
        if (!output.Finish()) {
            return Failure(
                FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText(), kNoOutputWritten));
        }
        std::string error;
        bool named = false;
        if (!CorrectOverlayPointCount(s, output.ReadBack(), error, &named)) {
            return Failure(FileFailureMessage(FileAction::CorrectPointCount, s.OutputFilePath, error,
                                              named ? kOutputInPlaceUnconfirmed : kNoOutputWritten));
        }
        output.Discard();
    } else if (!output.Commit()) {
        return Failure(
            FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText(), CommitFailureNote(output)));
    }

    RunReport report;
    report.count = s.RecordCount;
    report.outcome = RunReport::Outcome::Written;
    report.message = CountMessage(s);
    report.undated = !dated;
    return report;
}

}  // namespace

}  // namespace torvane
