// Reads a log as a conversion would (analysis, then the positions it
// writes) and simplifies its positions: prints the positions read, the
// positions kept and the keeps a full window forced.
//
//   torvane_simplify_count FILE METRES
//
// For the comparison with GPSBabel's simplify filter (simplify_compare.sh).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/recognise/input_analysis.h"
#include "convert/run/record_loop.h"
#include "convert/shape/track_simplify.h"

namespace torvane {
namespace {

class Counter : public ShapeSink {
public:
    void Take(const Position&, bool) override { ++count; }
    void End() override {}
    long count = 0;
};

class Feed : public RecordSink {
public:
    explicit Feed(ShapeSink& next) : next_(next) {}
    void Take(const Record& record, std::uint64_t) override {
        if (record.invalid || !record.hasPosition) return;
        ++count;
        next_.Take(record.position, false);
    }
    long count = 0;

private:
    ShapeSink& next_;
};

int Run(const char* path, double metres) {
    Settings s;
    s.InputFilePath = path;
    s.EliminateZeroPositions = true;
    const AnalysisReport analysis = AnalyzeInput(s);
    if (analysis.failed || !analysis.recognised) {
        std::printf("unrecognised\n");
        return 3;
    }
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        std::fprintf(stderr, "%s\n", input.ErrorText().c_str());
        return 2;
    }
    LineReader reader(input.Descriptor());
    reader.SetEncoding(LogEncoding(s, input.Descriptor()));
    Counter kept;
    TrackSimplifier simplifier(metres, kept);
    Feed feed(simplifier);
    std::string error;
    RunTotals totals;
    if (RunRecordLoop(LoopState{s, s, totals}, reader, static_cast<RecordSink&>(feed), input.Size(), nullptr, error) !=
        LoopEnd::Finished) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    simplifier.End();
    std::printf("%ld %ld %zu\n", feed.count, kept.count, simplifier.ForcedKeeps());
    return 0;
}

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE METRES\n", argv[0]);
        return 2;
    }
    return torvane::Run(argv[1], std::strtod(argv[2], nullptr));
}
