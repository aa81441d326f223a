#include "record_loop.h"

#include "gpx_track_point.h"
#include "igc_fix.h"
#include "nmea_sentences.h"
#include "sentence_checks.h"
#include "text_scan.h"

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
};
constexpr SentenceKind kGga{"$GPGGA", 14, 14, 14, ConvertGgaSentence, ConvertGgaSentenceShortAltitude};
constexpr SentenceKind kGll{"$GPGLL", 6, 7, 7, ConvertGllSentence, ConvertGllSentence};
constexpr SentenceKind kRmc{"", 11, 12, 13, ConvertRmcSentence, ConvertRmcSentence};

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
template <const SentenceKind& Kind, bool AnyTalker, bool Quick, bool Verify>
bool ProcessSentence(Settings& s, std::string_view line) {
    const SentenceSpan span = SentenceOf<Kind, AnyTalker>(line);
    const bool sentence = Kind.gpTag.empty() || span.named;
    if constexpr (Quick) {
        if (!sentence) return false;
    }
    const MarkScan commas = ScanMarks(span.text, ',');
    const int most = AnyTalker ? Kind.mostCommasAnyTalker : Kind.mostCommas;
    const bool passes = sentence && commas.total >= Kind.leastCommas && commas.total <= most;
    if constexpr (Quick) {
        if (!passes) return false;
    }
    if constexpr (Verify) {
        // The checksum of the sentence that counts, which ends after the span.
        if (!HasValidChecksum(line.substr(static_cast<std::size_t>(span.text.data() - line.data())))) return false;
    }
    if (!passes) s.RecordInvalid = true;
    if constexpr (AnyTalker) {
        Kind.convertAnyTalker(s, span.text, commas);
    } else {
        Kind.convert(s, span.text, commas);
    }
    return true;
}

bool ProcessIgc(Settings& s, std::string_view line) {
    if (line.size() < 25 || line[0] != 'B' || line[24] != 'A') return false;
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
    bool SeeLine(std::string_view) { return false; }
    OutputFile& output;
    void Take(const Settings& s, const LineReader&, std::string_view) { output.WriteLine(s.OutputLine); }
};

struct SinkTarget {
    static constexpr bool kText = false;
    static constexpr bool kSeesLines = false;
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
    DatedRecordSink& sink;
    bool SeeLine(std::string_view line) { return sink.SeeLine(line); }
    void Take(const Settings& s, const LineReader& input, std::string_view line) {
        sink.Take(s, input.OffsetOf(line));
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
        if (!Process(s, line)) continue;
        if constexpr (Target::kText) PostProcessLine(s.OutputLine, decimalComma);
        if (WriteTest(eliminate, s.RecordInvalid, s.Latitude, s.Longitude)) {
            target.Take(s, input, line);
            ++s.RecordCount;
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

}  // namespace torvane
