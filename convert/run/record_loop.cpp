#include "convert/run/record_loop.h"

#include "convert/read/gpx_track_point.h"
#include "convert/read/igc_fix.h"
#include "convert/write/line_account.h"
#include "convert/read/nmea_sentences.h"
#include "convert/read/sentence_checks.h"
#include "convert/read/text_scan.h"

namespace torvane {
namespace {

// The pre-checks of an NMEA data type: the sentence's tag (GGA and GLL;
// RMC has no such test) and the least and most commas of its line. Receivers
// of NMEA 4.10, the multi-system ones, end RMC with a navigational status
// field: one comma more, taken along with "accept every satellite system",
// under which the converter is one that reads short GGA altitudes too.
struct SentenceKind {
    std::string_view gpTag;  // "" for no sentence test
    int leastCommas, mostCommas, mostCommasAnyTalker;
    void (*convert)(Settings&, std::string_view, const MarkScan&);
    void (*convertAnyTalker)(Settings&, std::string_view, const MarkScan&);
    // A position without a fix: the field after this comma is this one character.
    int fixComma;
    char noFix;
};
constexpr SentenceKind kGga{"$GPGGA", 14, 14, 14, ConvertGgaSentence, ConvertGgaSentenceShortAltitude, 6, '0'};
constexpr SentenceKind kGll{"$GPGLL", 6, 7, 7, ConvertGllSentence, ConvertGllSentence, 6, 'V'};
constexpr SentenceKind kRmc{"", 11, 12, 13, ConvertRmcSentence, ConvertRmcSentence, 2, 'V'};

// Whether the sentence `text`, whose commas `commas` are, tells of a
// position without a fix (GGA quality 0, GLL or RMC status V).
template <const SentenceKind& Kind>
bool WithoutFix(std::string_view text, const MarkScan& commas) {
    if (commas.count < Kind.fixComma) return false;
    const std::size_t at = static_cast<std::size_t>(commas.first[static_cast<std::size_t>(Kind.fixComma - 1)]);
    if (at >= text.size() || text[at] != Kind.noFix) return false;
    return at + 1 == text.size() || text[at + 1] == ',' || text[at + 1] == '*';
}

// What the pre-checks and the converter look at: the whole line and whether
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

// Pre-checks and converter of an NMEA line; false for a line that is
// skipped altogether (not converted, not written, not counted). A line that
// fails a pre-check is converted as an invalid record (written as what the
// converter leaves, unless elimination drops it).
//
// `Quick`: only records that pass elimination are wanted, and nothing is
// gathered from the others (the overlay's extent is, from every converted
// line). A line that fails a pre-check can never be such a record, and
// converting it leaves nothing that a later line does not set afresh, so
// it is skipped before its conversion.
//
// `Verify`: with "skip sentences with a wrong checksum", such a line is
// skipped altogether.
// Why a line of `Kind` was refused: one of the kind (for RMC, which has no
// sentence test, one that names it) whose commas are wrong, or a line of
// another kind. Off the hot path: refused lines are few.
template <const SentenceKind& Kind>
[[gnu::noinline, gnu::cold]] LineReason Refusal(std::string_view text, bool sentence) {
    const bool named = Kind.gpTag.empty() ? Contains(text, "RMC") : sentence;
    return named ? LineReason::Commas : LineReason::OtherKind;
}

template <const SentenceKind& Kind, bool AnyTalker, bool Quick, bool Verify>
[[gnu::always_inline]] inline bool ProcessSentence(Settings& s, std::string_view line) {
    const SentenceSpan span = SentenceOf<Kind, AnyTalker>(line);
    const bool sentence = Kind.gpTag.empty() || span.named;
    if constexpr (Quick) {
        if (!sentence) {
            s.Reason = Refusal<Kind>(span.text, sentence);
            return false;
        }
    }
    const MarkScan commas = ScanMarks(span.text, ',');
    const int most = AnyTalker ? Kind.mostCommasAnyTalker : Kind.mostCommas;
    const bool passes = sentence && commas.total >= Kind.leastCommas && commas.total <= most;
    if constexpr (Quick) {
        if (!passes) {
            s.Reason = Refusal<Kind>(span.text, sentence);
            return false;
        }
    }
    if constexpr (Verify) {
        // The checksum of the sentence that counts, which ends after the span.
        if (!HasValidChecksum(line.substr(static_cast<std::size_t>(span.text.data() - line.data())))) {
            s.Reason = LineReason::Checksum;
            return false;
        }
    }
    // The fix is looked at only where an option or the account asks.
    bool withoutFix = false;
    if ((s.SkipWithoutFix || s.AccountsLines) && passes) [[unlikely]] {
        withoutFix = WithoutFix<Kind>(span.text, commas);
        if (withoutFix && s.SkipWithoutFix) {
            s.Reason = LineReason::SkippedWithoutFix;
            return false;
        }
    }
    if (!passes) s.RecordInvalid = true;
    if constexpr (AnyTalker) {
        Kind.convertAnyTalker(s, span.text, commas);
    } else {
        Kind.convert(s, span.text, commas);
    }
    if (!passes) s.Reason = Refusal<Kind>(span.text, sentence);
    if (withoutFix && !s.RecordInvalid) s.Reason = LineReason::WithoutFix;
    return true;
}

bool ProcessIgc(Settings& s, std::string_view line) {
    if (line.size() < 25 || line[0] != 'B' || line[24] != 'A') {
        s.Reason = line.empty() || line[0] != 'B' ? LineReason::OtherKind
                   : line.size() < 25             ? LineReason::FixCutShort
                                                  : LineReason::FixNotValid;
        return false;
    }
    ConvertIgcFix(s, line);
    return true;
}

bool ProcessGpx(Settings& s, std::string_view line) {
    ConvertGpxLine(s, line);
    return true;
}

// Where the lines that pass the write test go: the output file as text
// (after the decimal-comma step), or a record sink that takes the records.
struct FileTarget {
    static constexpr bool kText = true;
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = false;
    bool SeeLine(std::string_view) { return false; }
    OutputFile& output;
    void Take(const Settings& s, const LineReader&, std::string_view) { output.WriteLine(s.OutputLine); }
};

struct SinkTarget {
    static constexpr bool kText = false;
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = false;
    RecordSink& sink;
    bool SeeLine(std::string_view) { return false; }
    void Take(const Settings& s, const LineReader& input, std::string_view line) {
        sink.Take(s, input.OffsetOf(line));
    }
};

// The records and every line before them, for the dated outputs: the
// record's line text is post-processed, since a KML path is written too.
struct DatedSinkTarget {
    static constexpr bool kText = true;
    static constexpr bool kSeesLines = true;
    static constexpr bool kAccounts = false;
    DatedRecordSink& sink;
    bool SeeLine(std::string_view line) { return sink.SeeLine(line); }
    void Take(const Settings& s, const LineReader& input, std::string_view line) {
        sink.Take(s, input.OffsetOf(line));
    }
};

// Every line into the account, each with its reason.
struct AccountTarget {
    static constexpr bool kText = false;
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = true;
    LineAccount& account;
    bool SeeLine(std::string_view) { return false; }
    void Take(const Settings& s, const LineReader& input, std::string_view) {
        const LineReason reason = s.RecordInvalid                          ? Refusal(s)
                                  : s.Reason == LineReason::WithoutFix ? LineReason::WithoutFix
                                                                         : LineReason::Position;
        account.Add(reason, static_cast<std::int64_t>(input.LineNumber()));
    }
    // A line not written: refused, or a position eliminated.
    void Drop(const Settings& s, const LineReader& input, bool converted) {
        const LineReason reason = converted && !s.RecordInvalid ? LineReason::ZeroPosition : Refusal(s);
        account.Add(reason, static_cast<std::int64_t>(input.LineNumber()));
    }
    static LineReason Refusal(const Settings& s) {
        return s.Reason == LineReason::Position || s.Reason == LineReason::WithoutFix ? LineReason::OtherKind
                                                                                       : s.Reason;
    }
};

template <bool (*Process)(Settings&, std::string_view), bool (*WriteTest)(bool, bool, double, double), class Target>
LoopEnd Loop(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
          std::string& error) {
    const bool decimalComma = s.UseDecimalComma;
    const bool eliminate = s.EliminateZeroPositions;
    const bool reportProgress = hooks != nullptr && hooks->progress;
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
        s.RecordInvalid = false;
        if constexpr (Target::kAccounts) s.Reason = LineReason::Position;
        if (!Process(s, line)) {
            if constexpr (Target::kAccounts) target.Drop(s, input, false);
            continue;
        }
        if constexpr (Target::kText) PostProcessLine(s.OutputLine, decimalComma);
        if (WriteTest(eliminate, s.RecordInvalid, s.Latitude, s.Longitude)) {
            target.Take(s, input, line);
            ++s.RecordCount;
        } else if constexpr (Target::kAccounts) {
            target.Drop(s, input, true);
        }
    }
}

bool Ignore(Settings&, std::string_view) { return false; }

template <const SentenceKind& Kind, bool AnyTalker, bool Quick, bool Verify, class Target>
LoopEnd RunSentences(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
                     std::string& error) {
    return Loop<ProcessSentence<Kind, AnyTalker, Quick, Verify>, PassesWriteTest>(s, input, target, inputSize, hooks,
                                                                                  error);
}

template <bool Quick, bool AnyTalker, bool Verify, class Target>
LoopEnd RunNmea(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
                std::string& error) {
    switch (s.DataType) {
        case DataKind::GPGGA:
            return RunSentences<kGga, AnyTalker, Quick, Verify>(s, input, target, inputSize, hooks, error);
        case DataKind::GPGLL:
            return RunSentences<kGll, AnyTalker, Quick, Verify>(s, input, target, inputSize, hooks, error);
        default:
            return RunSentences<kRmc, AnyTalker, Quick, Verify>(s, input, target, inputSize, hooks, error);
    }
}

template <bool Quick, class Target>
LoopEnd RunKind(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
                std::string& error) {
    switch (s.DataType) {
        case DataKind::GPGGA:
        case DataKind::GPGLL:
        case DataKind::GPRMC:
            if (s.AcceptAnyTalker) {
                if (s.VerifyChecksums) return RunNmea<Quick, true, true>(s, input, target, inputSize, hooks, error);
                return RunNmea<Quick, true, false>(s, input, target, inputSize, hooks, error);
            }
            if (s.VerifyChecksums) return RunNmea<Quick, false, true>(s, input, target, inputSize, hooks, error);
            return RunNmea<Quick, false, false>(s, input, target, inputSize, hooks, error);
        case DataKind::GPIGC: return Loop<ProcessIgc, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPGXT: return Loop<ProcessGpx, PassesGpxWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::None: break;
    }
    return Loop<Ignore, PassesWriteTest>(s, input, target, inputSize, hooks, error);
}

template <class Target>
LoopEnd RunLoop(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
                std::string& error) {
    const bool gathersFromEveryLine = s.OutputType == OutputKind::OVL && !s.PositionsOnly;
    if (s.EliminateZeroPositions && !gathersFromEveryLine) {
        return RunKind<true>(s, input, target, inputSize, hooks, error);
    }
    return RunKind<false>(s, input, target, inputSize, hooks, error);
}

}  // namespace

Settings PositionsPassSettings(const Settings& options) {
    Settings s = options;
    s.OutputType = OutputKind::Table;
    s.PositionsOnly = true;
    s.RecordCount = 0;
    return s;
}

LoopEnd RunRecordLoop(Settings& s, LineReader& input, OutputFile& output, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error) {
    return RunLoop(s, input, FileTarget{output}, inputSize, hooks, error);
}

LoopEnd RunRecordLoop(Settings& s, LineReader& input, RecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error) {
    return RunLoop(s, input, SinkTarget{sink}, inputSize, hooks, error);
}

LoopEnd RunRecordLoop(Settings& s, LineReader& input, DatedRecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error) {
    return RunLoop(s, input, DatedSinkTarget{sink}, inputSize, hooks, error);
}

LoopEnd RunRecordLoop(Settings& s, LineReader& input, LineAccount& account, std::string& error) {
    s.AccountsLines = true;
    return RunLoop(s, input, AccountTarget{account}, 0, nullptr, error);
}

}  // namespace torvane
