#include "convert/run/conversion_run.h"

#include <optional>

#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/output_file.h"
#include "convert/files/platform/file_system.h"
#include "convert/kinds.h"
#include "convert/parts/log_parts.h"
#include "convert/parts/record_parts.h"
#include "convert/run/point_limit.h"
#include "convert/run/record_loop.h"
#include "convert/write/dated_track_writer.h"
#include "convert/write/output_documents.h"

namespace torvane {
namespace {

constexpr char kSeparator = platform::kPathSeparator;
constexpr std::string_view kNothingToWrite = "Could not recognize/process input data. ";

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
    std::string error;             // with LoopEnd::ReadFailed: a read failed, or the file changed
    std::string writeError;        // a part of the output could not be written
    std::string refusal;           // the run cannot do what its options ask
    bool inParts = false;
    AnalysisCounts counts;         // of a counted run's lines
};

// The end of a pass over the log, as the body reports it.
template <class Part>
void TakePassEnd(const LogPass<Part>& pass, Body& body) {
    body.inParts = pass.inParts;
    body.end = pass.end == PartEnd::Finished    ? LoopEnd::Finished
               : pass.end == PartEnd::Cancelled ? LoopEnd::Cancelled
                                                : LoopEnd::ReadFailed;
    body.error = pass.failure;
}

// The record lines in parts: the first part into the output, the later one
// into a file of its own, appended once both are done. The lines of a
// Table or KML run depend on their own input line alone (a GPX track
// point also on the points before it, whose state the later part is given),
// so the output is the same byte for byte. After the run, `s` holds what
// one pass leaves in it. With `counting`, each part counts its lines for
// the analysis too, added in order as the analysis's own parts are.
class BodyJob {
public:
    struct alignas(64) Part : RecordPart {
        OutputFile own;  // the later part's file
        OutputFile* output = nullptr;
        AnalysisCounts counts;
    };

    BodyJob(const Settings& s, const InputFile& input, OutputFile& output, const LogSplit& split,
            const LineCounting* counting)
        : s_(s), input_(input), output_(output), split_(split), counting_(counting) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        part->Start(s_, role, split_);
        if (counting_ != nullptr && role != PartRole::Later) part->counts = counting_->counts;
        part->output = &output_;
        if (role == PartRole::Later) {
            if (!part->own.Open(s_.OutputFilePath)) return nullptr;
            part->output = &part->own;
        }
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        // (a binary log is not counted by lines)
        if (counting_ == nullptr || ReadsBlocks(s_)) return part.Run(s_, input_, range, *part.output, hooks);
        LogLineCounter counter(part.counts, counting_->rules, range.begin == 0);
        return part.RunCounted(s_, input_, range, *part.output, counter, hooks);
    }
    // A failed write in either part, perhaps the other part's doing (on a
    // disk that one pass fits on), leaves the work to one pass.
    bool Merge(Part& first, Part& later) {
        if (!first.Meets(later)) return false;
        if (!AppendPart(*first.output, later.own) || !first.output->Good()) return false;
        first.Join(later);
        first.counts.Add(later.counts);
        return true;
    }
    // One pass from the start: the output as it was before the body.
    bool Restart() {
        if (!output_.Open(s_.OutputFilePath)) return false;
        WriteOutputHeader(s_, output_);
        return true;
    }

private:
    const Settings& s_;
    const InputFile& input_;
    OutputFile& output_;
    const LogSplit& split_;
    const LineCounting* counting_;
};

// Writes the record lines of the input to `output`, in parts where the
// log splits; `s` is left as one pass leaves it.
Body WriteBody(Settings& s, InputFile& input, OutputFile& output, const ProgressHooks* hooks,
               const LineCounting* counting) {
    Body body;
    const LogSplit split = FindLogSplit(s, input.Descriptor(), input.Size());
    BodyJob job(s, input, output, split, counting);
    const auto run = PassOverLog(job, input, s.Parts, split.at, hooks);
    if (!run.part) {
        body.writeError = output.ErrorText();
        return body;
    }
    TakePassEnd(run, body);
    s.GpxPointState = run.part->readers.GpxPointState;
    s.RecordCount = run.part->totals.RecordCount;
    s.OverlayExtent = run.part->totals.OverlayExtent;
    body.counts = run.part->counts;
    return body;
}

// The dated track in parts: each part's writer into a file of its own (the
// first part's the output), the later one's joined to the first's. The
// later part dates its positions from its own first date (looked for near
// its start), or else from the log's start and its pace; the join holds
// only where that is the date one pass has there, and is left to one pass
// otherwise. With `counting`, a writing pass's parts count their lines for
// the analysis too.
class DatedJob {
public:
    struct alignas(64) Part : RecordPart {
        OutputFile own;  // the later part's file
        std::unique_ptr<DatedTrackWriter> writer;
        std::string openError;
        AnalysisCounts counts;
    };

    DatedJob(const Settings& s, const InputFile& input, OutputFile& output, const LogSplit& split,
             const std::optional<LogStart>& start, bool milliseconds, const LineCounting* counting)
        : s_(s),
          input_(input),
          output_(output),
          split_(split),
          start_(start),
          milliseconds_(milliseconds),
          counting_(counting) {}

    // A GPX track's first pass, which only gathers its frame; or its second,
    // within the frame gathered.
    void GatherFrameOnly() { gatherOnly_ = true; }
    void WriteWithin(const DatedTrackWriter::GpxTrackFrame& frame) { frame_ = &frame; }

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        part->Start(s_, role, split_);
        if (counting_ != nullptr && role != PartRole::Later) part->counts = counting_->counts;
        OutputFile* output = &output_;
        TrackCalendar calendar = CalendarFor(start_);
        if (role == PartRole::Later) {
            if (!part->own.Open(s_.OutputFilePath) ||
                !LaterPartCalendar(s_, input_.Descriptor(), input_.Size(), split_.at, start_, calendar)) {
                return nullptr;
            }
            output = &part->own;
        }
        part->writer = std::make_unique<DatedTrackWriter>(s_, *output, calendar, milliseconds_);
        if (gatherOnly_) part->writer->GatherFrameOnly();
        if (frame_ != nullptr) part->writer->WriteWithin(*frame_);
        if (!part->writer->Open(part->openError, role == PartRole::Later) && role == PartRole::Later) return nullptr;
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        if (!part.openError.empty()) return PartEnd::Failed;
        // (a binary log is not counted by lines)
        if (counting_ == nullptr || ReadsBlocks(s_)) return part.Run(s_, input_, range, *part.writer, hooks);
        CountingSink<DatedTrackWriter> writer(*part.writer, part.counts, counting_->rules, range.begin == 0);
        return part.Run(s_, input_, range, static_cast<DatedRecordSink&>(writer), hooks);
    }
    bool Merge(Part& first, Part& later) {
        if (!first.Meets(later) || !later.writer->Calendar().Continues(first.writer->Calendar())) return false;
        if (!first.writer->Append(*later.writer)) return false;
        first.Join(later);
        first.counts.Add(later.counts);
        return true;
    }
    bool Restart() { return output_.Open(s_.OutputFilePath); }

private:
    const Settings& s_;
    const InputFile& input_;
    OutputFile& output_;
    const LogSplit& split_;
    const std::optional<LogStart>& start_;
    bool milliseconds_;
    const LineCounting* counting_;
    bool gatherOnly_ = false;
    const DatedTrackWriter::GpxTrackFrame* frame_ = nullptr;
};

// The hooks of one of two passes over the log: its progress reported as
// the first or the second half of the run's.
ProgressHooks HalfOf(const ProgressHooks& hooks, bool second) {
    ProgressHooks half = hooks;
    if (hooks.progress) {
        half.progress = [report = hooks.progress, second](std::uint64_t done, std::uint64_t total) {
            report(second ? total / 2 + done / 2 : done / 2, total);
        };
    }
    return half;
}

// The body of a dated output: a first pass finds where its dated track
// starts, then the track is written, once more with milliseconds should a
// time with a fraction of a second come. `dated`: some position has a time.
Body WriteDatedBody(Settings& s, InputFile& input, OutputFile& output, const ProgressHooks* hooks,
                    const LineCounting* counting, bool& dated) {
    Body body;
    std::optional<LogStart> start;
    if (!FindLogStart(s, input.Descriptor(), input.Size(), start, body.error)) {
        body.end = LoopEnd::ReadFailed;
        return body;
    }
    if (s.Shape.NeedsTimes() && !start) {
        body.refusal = "The positions of " + s.InputFilePath +
                       " have no date: the track cannot be cropped, shifted or split by its times. " +
                       std::string(kNoOutputWritten);
        return body;
    }
    // With a limit on the positions: the least simplification that keeps to it.
    std::optional<Settings> limited;
    const Settings* options = &s;
    if (s.Shape.maxPoints) {
        PointLimit limit;
        if (!FindPointLimit(s, input.Descriptor(), start, limit, body.error)) {
            body.end = LoopEnd::ReadFailed;
            return body;
        }
        if (!limit.fits) {
            body.refusal = "The track of " + s.InputFilePath + " cannot be kept to " +
                           std::to_string(*s.Shape.maxPoints) + " positions: its pieces keep their first and last, " +
                           std::to_string(limit.fewest) + " in all. " + std::string(kNoOutputWritten);
            return body;
        }
        limited.emplace(s);
        limited->Shape.simplifyMetres = limit.metres;
        limited->Shape.maxPoints.reset();
        options = &*limited;
    }
    // A shaped track is shaped whole: one pass.
    const LogSplit split = s.Shape.Any() ? LogSplit{} : FindLogSplit(s, input.Descriptor(), input.Size());
    // A GPX track from a compact log: a first pass with the very options of
    // the writing one gathers what the header tells of the track, so that
    // the points go straight into the output after it.
    std::optional<DatedTrackWriter::GpxTrackFrame> frame;
    ProgressHooks gatheringHalf, writingHalf;
    const ProgressHooks* writingHooks = hooks;
    if (s.OutputType == OutputKind::GPX && InputKindOf(s.DataType).gpxFrameFirst) {
        const ProgressHooks* gatheringHooks = nullptr;
        if (hooks != nullptr) {
            gatheringHalf = HalfOf(*hooks, false);
            writingHalf = HalfOf(*hooks, true);
            gatheringHooks = &gatheringHalf;
            writingHooks = &writingHalf;
        }
        DatedJob job(*options, input, output, split, start, false, nullptr);
        job.GatherFrameOnly();
        const auto run = PassOverLog(job, input, s.Parts, split.at, gatheringHooks);
        if (!run.part) {
            body.writeError = output.ErrorText();
            return body;
        }
        TakePassEnd(run, body);
        if (body.end != LoopEnd::Finished) return body;
        run.part->writer->EndTrack();
        frame = run.part->writer->GatheredFrame();
    }
    for (bool milliseconds = frame && frame->needsMilliseconds;; milliseconds = true) {
        DatedJob job(*options, input, output, split, start, milliseconds, counting);
        if (frame) job.WriteWithin(*frame);
        const auto run = PassOverLog(job, input, s.Parts, split.at, writingHooks);
        if (!run.part) {
            body.writeError = output.ErrorText();
            return body;
        }
        DatedJob::Part& part = *run.part;
        if (!part.openError.empty()) {
            body.writeError = part.openError;
            return body;
        }
        TakePassEnd(run, body);
        if (body.end == LoopEnd::Finished) part.writer->EndTrack();
        if (body.end == LoopEnd::Finished && !part.writer->KeptToFrame()) {
            body.end = LoopEnd::ReadFailed;
            body.error = InputFile::kChangedText;
            return body;
        }
        // A fraction of a second may come on any line, the last one too.
        if (body.end != LoopEnd::ReadFailed && !milliseconds && part.writer->NeedsMilliseconds()) {
            if (!output.Open(s.OutputFilePath)) {
                body.writeError = output.ErrorText();
                return body;
            }
            continue;
        }
        if (body.end == LoopEnd::Finished && !part.writer->Finish(body.writeError)) return body;
        s.GpxPointState = part.readers.GpxPointState;
        // An unshaped KML path holds a line for every record written.
        const bool pathLines = s.OutputType == OutputKind::KML && !s.Shape.Any();
        s.RecordCount = pathLines ? part.totals.RecordCount : part.writer->Count();
        if (s.OutputType == OutputKind::OVL) s.OverlayExtent = part.writer->Bounds();
        // Only the dated outputs tell of a track without times.
        dated = part.writer->Dated() || !IsDatedOutput(s);
        body.counts = part.counts;
        return body;
    }
}

RunReport Run(Settings& s, const ProgressHooks* hooks, RunCounting* counting);

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
    path += OutputKindOf(s.OutputType).extension;
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
    // The file analysed is looked up apart only where it is another (a GPX
    // log beside its CR LF copy).
    return SameFile(s.InputFilePath, path) ||
           (s.AnalysedFilePath != s.InputFilePath && SameFile(s.AnalysedFilePath, path));
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

RunReport PerformConversionRun(Settings& s, const ProgressHooks* hooks, RunCounting* counting) {
    // Short of memory or of a thread, the run stops; what it had begun to
    // write is dropped on the way out.
    try {
        return Run(s, hooks, counting);
    } catch (const std::exception& failure) {
        return Failure(FileFailureMessage(FileAction::Process, s.InputFilePath, FailureReason(failure), kNoOutputWritten));
    }
}

namespace {

// How a body that did not finish ends the run; nullopt for one that did.
std::optional<RunReport> Unfinished(const Settings& s, const Body& body) {
    if (!body.refusal.empty()) return Failure(body.refusal);
    if (!body.writeError.empty()) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, body.writeError, kNoOutputWritten));
    }
    if (body.end == LoopEnd::Cancelled) {
        RunReport report;
        report.outcome = RunReport::Outcome::Cancelled;
        report.message =
            "The run was cancelled. No output written; an existing file " + s.OutputFilePath + " is kept as it was.";
        return report;
    }
    if (body.end == LoopEnd::ReadFailed) {
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, body.error, kNoOutputWritten));
    }
    return std::nullopt;
}

// A run without a single data set names no file: an existing output of
// that name stays as it was, and no empty document appears.
RunReport NothingWritten(const Settings& s, OutputFile& output) {
    output.Discard();
    RunReport report;
    report.outcome = RunReport::Outcome::NothingWritten;
    report.message = kNothingToWrite;
    if (OutputFileExists(s.OutputFilePath)) {
        report.message += "The existing file " + s.OutputFilePath + " is kept as it was.";
    }
    return report;
}

// Writes the trailer and gives the output its name; the failure, if any.
std::optional<RunReport> Complete(const Settings& s, OutputFile& output) {
    WriteOutputTrailer(s, output);
    // A shaped overlay too: it keeps fewer points than the analysis counted.
    if (s.OutputType == OutputKind::OVL && (s.EliminateZeroPositions || s.Shape.Any())) {
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
    } else if (!output.Commit(s.Parts.replacedFiles)) {
        return Failure(
            FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText(), CommitFailureNote(output)));
    }
    return std::nullopt;
}

RunReport Run(Settings& s, const ProgressHooks* hooks, RunCounting* counting) {
    if (s.InputFilePath.empty()) return Failure("No input file chosen. Select a file and press ANALYZE first.");

    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText()));
    }
    if (input.IsSameFile(s.OutputFilePath) ||
        (s.AnalysedFilePath != s.InputFilePath && SameFile(s.AnalysedFilePath, s.OutputFilePath))) {
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
    // A shaped table, KML path or overlay is written by the dated track's
    // writer too: the shaping stages read the positions' dates.
    const LineCounting* const fresh = counting != nullptr ? &counting->fresh : nullptr;
    const Body body = IsDatedOutput(s) || s.Shape.Any() ? WriteDatedBody(s, input, output, hooks, fresh, dated)
                                                        : WriteBody(s, input, output, hooks, fresh);
    if (auto failed = Unfinished(s, body)) return *failed;
    input.Close();

    if (s.RecordCount == 0) return NothingWritten(s, output);
    if (counting != nullptr) {
        counting->counts = body.counts;
        if (!counting->confirm || !counting->confirm(body.counts)) {
            output.Discard();
            RunReport report;
            report.unconfirmed = true;
            return report;
        }
    }
    if (auto failed = Complete(s, output)) return *failed;

    RunReport report;
    report.count = s.RecordCount;
    report.outcome = RunReport::Outcome::Written;
    report.message = CountMessage(s);
    report.undated = !dated;
    report.inParts = body.inParts;
    return report;
}

}  // namespace

}  // namespace torvane
