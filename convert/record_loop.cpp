#include "record_loop.h"

#include "gpx_track_point.h"
#include "igc_fix.h"
#include "nmea_sentences.h"
#include "text_scan.h"

namespace torvane {
namespace {

// Pre-checks and converter of each data type. Each returns false for a line
// that is skipped altogether (not converted, not written, not counted).
bool ProcessGga(Settings& s, std::string_view line) {
    const MarkScan commas = ScanMarks(line, ',');
    if (!Contains(line, "$GPGGA")) s.RecordInvalid = true;
    if (commas.total != 14) s.RecordInvalid = true;
    ConvertGgaSentence(s, line, commas);
    return true;
}

bool ProcessGll(Settings& s, std::string_view line) {
    const MarkScan commas = ScanMarks(line, ',');
    if (!Contains(line, "$GPGLL")) s.RecordInvalid = true;
    if (commas.total < 6 || commas.total > 7) s.RecordInvalid = true;
    ConvertGllSentence(s, line, commas);
    return true;
}

bool ProcessRmc(Settings& s, std::string_view line) {
    const MarkScan commas = ScanMarks(line, ',');
    if (commas.total < 11 || commas.total > 12) s.RecordInvalid = true;
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
    OutputFile& output;
    void Take(const Settings& s) { output.WriteLine(s.OutputLine); }
};

struct SinkTarget {
    static constexpr bool kText = false;
    RecordSink& sink;
    void Take(const Settings& s) { sink.Take(s); }
};

template <bool (*Process)(Settings&, std::string_view), bool (*WriteTest)(bool, bool, double, double), class Target>
bool Loop(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
          std::string& error) {
    const bool decimalComma = s.UseDecimalComma;
    const bool eliminate = s.EliminateZeroPositions;
    const bool reportProgress = hooks != nullptr && hooks->progress;
    std::uint64_t reported = 0;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = input.Next(line);
        if (status == LineReader::Status::End) return true;
        if (status == LineReader::Status::Error) {
            error = input.ErrorText();
            return false;
        }
        if (reportProgress && input.BytesRead() != reported) {
            reported = input.BytesRead();
            hooks->progress(reported, inputSize);
        }
        s.RecordInvalid = false;
        if (!Process(s, line)) continue;
        if constexpr (Target::kText) PostProcessLine(s.OutputLine, decimalComma);
        if (WriteTest(eliminate, s.RecordInvalid, s.Latitude, s.Longitude)) {
            target.Take(s);
            ++s.RecordCount;
        }
    }
}

bool Ignore(Settings&, std::string_view) { return false; }

template <class Target>
bool RunLoop(Settings& s, LineReader& input, Target target, std::uint64_t inputSize, const ProgressHooks* hooks,
             std::string& error) {
    switch (s.DataType) {
        case DataKind::GPGGA: return Loop<ProcessGga, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPGLL: return Loop<ProcessGll, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPRMC: return Loop<ProcessRmc, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPIGC: return Loop<ProcessIgc, PassesWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::GPGXT: return Loop<ProcessGpx, PassesGpxWriteTest>(s, input, target, inputSize, hooks, error);
        case DataKind::None: break;
    }
    return Loop<Ignore, PassesWriteTest>(s, input, target, inputSize, hooks, error);
}

}  // namespace

bool RunRecordLoop(Settings& s, LineReader& input, OutputFile& output, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error) {
    return RunLoop(s, input, FileTarget{output}, inputSize, hooks, error);
}

bool RunRecordLoop(Settings& s, LineReader& input, RecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error) {
    return RunLoop(s, input, SinkTarget{sink}, inputSize, hooks, error);
}

}  // namespace torvane
