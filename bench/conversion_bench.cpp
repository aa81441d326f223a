// Throughput of the analysis pass and of the conversion run, per input kind
// and output type, on logs made by loggen. Reports bytes of input per second.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"

namespace torvane {
namespace {

// Generated logs live in one temporary folder for the whole run.
class Logs {
public:
    Logs() {
        char pattern[] = "/tmp/torvane-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) std::abort();
        dir_ = pattern;
    }
    ~Logs() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // The path of a log of `kind` with `epochs` fixes, made on first use.
    const std::string& Get(const std::string& kind, long epochs) {
        const std::string key = kind + "-" + std::to_string(epochs);
        auto found = paths_.find(key);
        if (found != paths_.end()) return found->second;
        const std::string extension = kind == "igc" ? ".igc" : kind == "gpx" ? ".gpx" : kind == "fit" ? ".fit"
                                    : kind == "tcx" ? ".tcx"
                                                    : ".nmea";
        const std::string path = dir_ + "/" + key + extension;
        const std::string command = std::string(TORVANE_LOGGEN) + " " + kind + " " + std::to_string(epochs) + " > " + path;
        if (std::system(command.c_str()) != 0) std::abort();
        return paths_.emplace(key, path).first->second;
    }

private:
    std::string dir_;
    std::map<std::string, std::string> paths_;
};

Logs& SharedLogs() {
    static Logs logs;
    return logs;
}

std::int64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

constexpr long kEpochs = 20000;

void Analysis(benchmark::State& state, const std::string& kind) {
    const std::string& path = SharedLogs().Get(kind, kEpochs);
    for (auto _ : state) {
        Settings s;
        s.InputFilePath = path;
        const AnalysisReport report = AnalyzeInput(s);
        if (!report.recognised) state.SkipWithError("not recognised");
        benchmark::DoNotOptimize(s.DetectedRecordCount);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void Run(benchmark::State& state, const std::string& kind, OutputKind output) {
    Settings analysed;
    analysed.InputFilePath = SharedLogs().Get(kind, kEpochs);
    if (!AnalyzeInput(analysed).recognised) {
        state.SkipWithError("not recognised");
        return;
    }
    analysed.OutputType = output;
    FormOutputPath(analysed);
    for (auto _ : state) {
        Settings s = analysed;
        const RunReport report = PerformConversionRun(s);
        if (report.outcome == RunReport::Outcome::Failed) state.SkipWithError(report.message.c_str());
        benchmark::DoNotOptimize(report.count);
    }
    // The run reads the analysed file (for GPX, its copy).
    state.SetBytesProcessed(state.iterations() * FileSize(analysed.InputFilePath));
}

void RegisterAll() {
    for (const char* kind : {"nmea-mix", "igc", "gpx", "fit", "tcx"}) {
        benchmark::RegisterBenchmark((std::string("Analysis/") + kind).c_str(),
                                     [kind](benchmark::State& state) { Analysis(state, kind); });
    }
    const std::pair<const char*, OutputKind> outputs[] = {
        {"table", OutputKind::Table}, {"kml", OutputKind::KML}, {"ovl", OutputKind::OVL}};
    for (const char* kind : {"nmea-mix", "gga", "gll", "rmc", "igc", "gpx", "fit", "tcx"}) {
        for (const auto& [name, output] : outputs) {
            benchmark::RegisterBenchmark((std::string("Run/") + kind + "/" + name).c_str(),
                                         [kind = kind, output = output](benchmark::State& state) {
                                             Run(state, kind, output);
                                         });
        }
    }
}

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
    torvane::RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
