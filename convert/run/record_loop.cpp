#include "convert/run/record_loop.h"

#include "convert/kinds.h"
#include "convert/read/gpx_track_point.h"
#include "convert/read/igc_fix.h"
#include "convert/read/nmea_sentences.h"
#include "convert/read/sentence_checks.h"
#include "convert/read/text_scan.h"
#include "convert/write/line_account.h"
#include "convert/write/path_line.h"
#include "convert/run/record_targets.h"

namespace torvane {
namespace {

using namespace record_targets;

// The pre-checks of an NMEA data type: the sentence's tag (GGA and GLL;
// RMC has no such test) and the least and most commas of its line. Receivers
// of NMEA 4.10, the multi-system ones, end RMC with a navigational status
// field: one comma more, taken along with "accept every satellite system",
// under which the reader is one that reads short GGA altitudes too.
struct SentenceKind {
    std::string_view gpTag;  // "" for no sentence test
    int leastCommas, mostCommas, mostCommasAnyTalker;
    void (*read)(const RunOptions&, Record&, std::string_view, const MarkScan&);
    void (*readAnyTalker)(const RunOptions&, Record&, std::string_view, const MarkScan&);
    // A position without a fix: the field after this comma is this one character.
    int fixComma;
    char noFix;
};
constexpr SentenceKind kGga{"$GPGGA", 14, 14, 14, ReadGgaSentence, ReadGgaSentenceShortAltitude, 6, '0'};
constexpr SentenceKind kGll{"$GPGLL", 6, 7, 7, ReadGllSentence, ReadGllSentence, 6, 'V'};
constexpr SentenceKind kRmc{"", 11, 12, 13, ReadRmcSentence, ReadRmcSentence, 2, 'V'};

// What the readers of a run hold: the options (read only), the GPX
// reader's state (which lasts across runs), the record of the current line,
// and whether the sentences' fix is looked at (an option, or the account
// of a run's lines, asks).
struct Reading {
    const RunOptions& options;
    GpxPointStateRecord& gpxPoint;
    bool looksAtFix;
    Record record;
}; 

// Whether the sentence `text`, whose commas `commas` are, tells of a
// position without a fix (GGA quality 0, GLL or RMC status V).
template <const SentenceKind& Kind>
bool WithoutFix(std::string_view text, const MarkScan& commas) {
    if (commas.count < Kind.fixComma) return false;
    const std::size_t at = static_cast<std::size_t>(commas.first[static_cast<std::size_t>(Kind.fixComma - 1)]);
    if (at >= text.size() || text[at] != Kind.noFix) return false;
    return at + 1 == text.size() || text[at + 1] == ',' || text[at + 1] == '*';
}

// What the pre-checks and the reader look at: the whole line and whether
// it holds "$GP" and the kind; or, with "accept every satellite system",
// the sentence of the kind from any talker (SentenceOfAnyTalker), so that
// its commas alone are counted and split.
template <const SentenceKind& Kind, bool AnyTalker>
SentenceSpan SentenceOf(std::string_view line) {
    if constexpr (AnyTalker) {
        return SentenceOfAnyTalker(line, Kind.gpTag.empty() ? std::string_view("RMC") : Kind.gpTag.substr(3));
    } else {
        return {line, Kind.gpTag.empty() || Contains(line, Kind.gpTag)};
    }
}

// Why a line of `Kind` was refused: one of the kind (for RMC, which has no
// sentence test, one that names it) whose commas are wrong, or a line of
// another kind. Off the hot path: refused lines are few.
template <const SentenceKind& Kind>
[[gnu::noinline, gnu::cold]] LineReason Refusal(std::string_view text, bool sentence) {
    const bool named = Kind.gpTag.empty() ? Contains(text, "RMC") : sentence;
    return named ? LineReason::Commas : LineReason::OtherKind;
}


// Pre-checks and reader of an NMEA line; false for a line that is
// skipped altogether (not converted, not written, not counted). A line that
// fails a pre-check is read as an invalid record (written as what the reader
// leaves, unless elimination drops it).
//
// `Quick`: only records that pass elimination are wanted, and nothing is
// gathered from the others (the overlay's extent is, from every record
// read). A line that fails a pre-check can never be such a record, and
// reading it leaves nothing that a later line does not set afresh, so
// it is skipped before it is read.
//
// `Verify`: with "skip sentences with a wrong checksum", such a line is
// skipped altogether.
template <const SentenceKind& Kind, bool AnyTalker, bool Quick, bool Verify>
[[gnu::always_inline]] inline bool ProcessSentence(Reading& r, std::string_view line) {
    Record& record = r.record;
    const SentenceSpan span = SentenceOf<Kind, AnyTalker>(line);
    const bool sentence = Kind.gpTag.empty() || span.named;
    if constexpr (Quick) {
        if (!sentence) {
            record.reason = Refusal<Kind>(span.text, sentence);
            return false;
        }
    }
    const MarkScan commas = ScanMarks(span.text, ',');
    const int most = AnyTalker ? Kind.mostCommasAnyTalker : Kind.mostCommas;
    const bool passes = sentence && commas.total >= Kind.leastCommas && commas.total <= most;
    if constexpr (Quick) {
        if (!passes) {
            record.reason = Refusal<Kind>(span.text, sentence);
            return false;
        }
    }
    if constexpr (Verify) {
        // The checksum of the sentence that counts, which ends after the span.
        if (!HasValidChecksum(line.substr(static_cast<std::size_t>(span.text.data() - line.data())))) {
            record.reason = LineReason::Checksum;
            return false;
        }
    }
    // The fix is looked at only where an option or the account asks.
    bool withoutFix = false;
    if (r.looksAtFix && passes) [[unlikely]] {
        withoutFix = WithoutFix<Kind>(span.text, commas);
        if (withoutFix && r.options.SkipWithoutFix) {
            record.reason = LineReason::SkippedWithoutFix;
            return false;
        }
    }
    if (!passes) record.invalid = true;
    if constexpr (AnyTalker) {
        Kind.readAnyTalker(r.options, record, span.text, commas);
    } else {
        Kind.read(r.options, record, span.text, commas);
    }
    if (!passes) record.reason = Refusal<Kind>(span.text, sentence);
    if (withoutFix && !record.invalid) record.reason = LineReason::WithoutFix;
    return true;
}

bool ProcessIgc(Reading& r, std::string_view line) {
    if (line.size() < 25 || line[0] != 'B' || line[24] != 'A') {
        r.record.reason = line.empty() || line[0] != 'B' ? LineReason::OtherKind
                          : line.size() < 25             ? LineReason::FixCutShort
                                                         : LineReason::FixNotValid;
        return false;
    }
    ReadIgcFix(r.options, r.record, line);
    return true;
}

bool ProcessGpx(Reading& r, std::string_view line) {
    ReadGpxLine(r.options, r.gpxPoint, r.record, line);
    return true;
}

template <bool (*Process)(Reading&, std::string_view), bool (*WriteTest)(bool, bool, double, double), class Target>
LoopEnd Loop(const LoopState& c, LineReader& input, Target& target, std::uint64_t inputSize,
             const ProgressHooks* hooks, std::string& error) {
    const bool eliminate = c.options.EliminateZeroPositions;
    const bool reportProgress = hooks != nullptr && hooks->progress;
    Reading reading{c.options, c.readers.GpxPointState, c.options.SkipWithoutFix || Target::kAccounts, Record{}};
    Record& record = reading.record;
    std::int64_t& count = c.totals.RecordCount;
    std::uint64_t reported = 0;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = input.Next(line);
        if (status == LineReader::Status::End) return LoopEnd::Finished;
        if (status == LineReader::Status::Error) {
            error = input.ErrorText();
            return LoopEnd::ReadFailed;
        }
        if (reportProgress && input.BytesRead() != reported) {
            reported = input.BytesRead();
            hooks->progress(reported, inputSize);
            if (hooks->cancelled && hooks->cancelled()) return LoopEnd::Cancelled;
        }
        if constexpr (Target::kSeesLines) {
            if (target.SeeLine(line)) return LoopEnd::Cancelled;
        }
        record.Begin();
        if (!Process(reading, line)) {
            if constexpr (Target::kAccounts) target.Drop(record, input, false);
            continue;
        }
        if constexpr (Target::kPathLines) target.Read(record);
        if (WriteTest(eliminate, record.invalid, record.position.latitude, record.position.longitude)) {
            target.Take(record, input, line);
            ++count;
        } else if constexpr (Target::kAccounts) {
            target.Drop(record, input, true);
        }
    }
}

bool Ignore(Reading&, std::string_view) { return false; }

template <const SentenceKind& Kind, bool AnyTalker, bool Quick, bool Verify, class Target>
LoopEnd RunSentences(const LoopState& c, LineReader& input, Target& target, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error) {
    return Loop<ProcessSentence<Kind, AnyTalker, Quick, Verify>, PassesWriteTest>(c, input, target, inputSize, hooks,
                                                                                  error);
}

template <bool Quick, bool AnyTalker, bool Verify, class Target>
LoopEnd RunNmea(const LoopState& c, LineReader& input, Target& target, std::uint64_t inputSize,
                const ProgressHooks* hooks, std::string& error) {
    switch (c.options.DataType) {
        case DataKind::GPGGA:
            return RunSentences<kGga, AnyTalker, Quick, Verify>(c, input, target, inputSize, hooks, error);
        case DataKind::GPGLL:
            return RunSentences<kGll, AnyTalker, Quick, Verify>(c, input, target, inputSize, hooks, error);
        default:
            return RunSentences<kRmc, AnyTalker, Quick, Verify>(c, input, target, inputSize, hooks, error);
    }
}

template <bool Quick, class Target>
LoopEnd RunKind(const LoopState& c, LineReader& input, Target& target, std::uint64_t inputSize,
                const ProgressHooks* hooks, std::string& error) {
    const RunOptions& o = c.options;
    switch (InputKindOf(o.DataType).reader) {
        case ReaderFamily::NmeaSentence:
            if (o.AcceptAnyTalker) {
                if (o.VerifyChecksums) return RunNmea<Quick, true, true>(c, input, target, inputSize, hooks, error);
                return RunNmea<Quick, true, false>(c, input, target, inputSize, hooks, error);
            }
            if (o.VerifyChecksums) return RunNmea<Quick, false, true>(c, input, target, inputSize, hooks, error);
            return RunNmea<Quick, false, false>(c, input, target, inputSize, hooks, error);
        case ReaderFamily::IgcFix: return Loop<ProcessIgc, PassesWriteTest>(c, input, target, inputSize, hooks, error);
        case ReaderFamily::GpxTrackPoint:
            return Loop<ProcessGpx, PassesGpxWriteTest>(c, input, target, inputSize, hooks, error);
        case ReaderFamily::FitFile:  // read by the block loop, no line is one of their records
        case ReaderFamily::TcxFile:
        case ReaderFamily::None: break;
    }
    return Loop<Ignore, PassesWriteTest>(c, input, target, inputSize, hooks, error);
}

template <class Target>
LoopEnd RunLoop(const LoopState& c, LineReader& input, Target target, std::uint64_t inputSize,
                const ProgressHooks* hooks, std::string& error) {
    // Only records that pass elimination are wanted, and nothing is
    // gathered from the others but the overlay's extent.
    const bool gathersFromEveryLine = Target::kPathLines && c.options.OutputType == OutputKind::OVL;
    if (c.options.EliminateZeroPositions && !gathersFromEveryLine) {
        return RunKind<true>(c, input, target, inputSize, hooks, error);
    }
    return RunKind<false>(c, input, target, inputSize, hooks, error);
}

}  // namespace

LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, OutputFile& output, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error) {
    const RunOptions& o = run.options;
    return RunLoop(run, input, PathTarget{output, run.totals, o.OutputType, o.UseDecimalComma}, inputSize, hooks,
                   error);
}

LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, OutputFile& output, LogLineCounter& counter,
                      std::uint64_t inputSize, const ProgressHooks* hooks, std::string& error) {
    const RunOptions& o = run.options;
    return RunLoop(run, input, CountedPathTarget{{output, run.totals, o.OutputType, o.UseDecimalComma}, counter},
                   inputSize, hooks, error);
}

LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, RecordSink& sink, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error) {
    return RunLoop(run, input, SinkTarget{sink}, inputSize, hooks, error);
}

LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, DatedRecordSink& sink, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error) {
    return RunLoop(run, input, DatedSinkTarget{sink}, inputSize, hooks, error);
}

LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, LineAccount& account, std::string& error) {
    return RunLoop(run, input, AccountTarget{account}, 0, nullptr, error);
}

LoopEnd RunLookingPass(const Settings& options, platform::FileHandle file, ByteRange range, DatedRecordSink& sink,
                       std::string& error) {
    ReaderState readers = options;  // the options' own state stays as it was
    RunTotals totals;
    const LoopState run{options, readers, totals};
    if (ReadsBlocks(options)) return RunBlockLoop(run, file, sink, 0, nullptr, error);
    LineReader reader(file, range);
    reader.SetEncoding(LogEncoding(options, file));
    return RunRecordLoop(run, reader, sink, 0, nullptr, error);
}

}  // namespace torvane
