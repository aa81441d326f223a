#include "record_loop.h"

#include "gpx_track_point.h"
#include "igc_fix.h"
#include "nmea_sentences.h"
#include "sentence_checks.h"
#include "text_scan.h"

namespace torvane {
namespace {

// The sentence test of the GGA and GLL pre-checks: "$GP" and the kind, or,
// with "accept every satellite system", "$", any two capitals and the kind.
template <bool AnyTalker>
bool HoldsSentence(std::string_view line, std::string_view gpTag) {
    if constexpr (AnyTalker) {
        return HoldsSentenceOfAnyTalker(line, gpTag.substr(3));
    } else {
        return Contains(line, gpTag);
    }
}

// Pre-checks and converter of each data type. Each returns false for a line
// that is skipped altogether (not converted, not written, not counted).
//
// `Quick`: only records that pass elimination are wanted, and nothing is
// gathered from the others (the overlay's extent is, from every converted
// line). A line that fails a pre-check can never be such a record, and
// converting it leaves nothing that a later line does not set afresh, so
// it is skipped before its conversion.
//
// `Verify`: with "skip sentences with a wrong checksum", such a line is
// skipped altogether. A quick run asks only of the lines that pass the
// pre-checks, which skips the same lines at less cost.
template <bool Verify, bool Quick>
bool ChecksumSkips(std::string_view line, bool beforePreChecks) {
    if constexpr (!Verify) return false;
    if (beforePreChecks == Quick) return false;
    return !HasValidChecksum(line);
}

template <bool AnyTalker, bool Quick, bool Verify>
bool ProcessGga(Settings& s, std::string_view line) {
    if (ChecksumSkips<Verify, Quick>(line, true)) return false;
    const bool sentence = HoldsSentence<AnyTalker>(line, "$GPGGA");
    if constexpr (Quick) {
        if (!sentence) return false;
    }
    const MarkScan commas = ScanMarks(line, ',');
    if (!sentence || commas.total != 14) {
        if constexpr (Quick) return false;
        s.RecordInvalid = true;
    }
    if (ChecksumSkips<Verify, Quick>(line, false)) return false;
    ConvertGgaSentence(s, line, commas);
    return true;
}

template <bool AnyTalker, bool Quick, bool Verify>
bool ProcessGll(Settings& s, std::string_view line) {
    if (ChecksumSkips<Verify, Quick>(line, true)) return false;
    const bool sentence = HoldsSentence<AnyTalker>(line, "$GPGLL");
    if constexpr (Quick) {
        if (!sentence) return false;
    }
    const MarkScan commas = ScanMarks(line, ',');
    if (!sentence || commas.total < 6 || commas.total > 7) {
        if constexpr (Quick) return false;
        s.RecordInvalid = true;
    }
    if (ChecksumSkips<Verify, Quick>(line, false)) return false;
    ConvertGllSentence(s, line, commas);
    return true;
}

// Receivers of NMEA 4.10, the multi-system ones, end RMC with a navigational
// status field: one comma more, taken along with "accept every satellite system".
template <bool AnyTalker, bool Quick, bool Verify>
bool ProcessRmc(Settings& s, std::string_view line) {
    if (ChecksumSkips<Verify, Quick>(line, true)) return false;
    constexpr int kMostCommas = AnyTalker ? 13 : 12;
    const MarkScan commas = ScanMarks(line, ',');
    if (commas.total < 11 || commas.total > kMostCommas) {
        if constexpr (Quick) return false;
        s.RecordInvalid = true;
    }
    if (ChecksumSkips<Verify, Quick>(line, false)) return false;
    ConvertRmcSentence(s, line, commas);
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

template <bool Quick, bool AnyTalker, bool Verify, class Target>
LoopEnd RunNmea(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
                std::string& error) {
    switch (s.DataType) {
        case DataKind::GPGGA:
            return Loop<ProcessGga<AnyTalker, Quick, Verify>, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPGLL:
            return Loop<ProcessGll<AnyTalker, Quick, Verify>, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        default:
            return Loop<ProcessRmc<AnyTalker, Quick, Verify>, PassesWriteTest>(s, input, target, inputSize, hooks, error);
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
