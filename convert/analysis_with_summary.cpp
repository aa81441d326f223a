#include "analysis_with_summary.h"

#include <fstream>
#include <thread>
#include <vector>

#include "gpx_copy.h"
#include "input_file.h"

namespace torvane {
namespace {

constexpr std::size_t kFirstBlockBytes = 1u << 20;

// The data type that the first block of the file shows, by the analysis's
// own counting and decision; DataKind::None when it shows none.
DataKind TypeOfFirstBlock(const Settings& s) {
    std::ifstream file(s.InputFilePath, std::ios::binary);
    std::vector<char> block(kFirstBlockBytes);
    file.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::string_view text(block.data(), static_cast<std::size_t>(file.gcount()));
    AnalysisCounts counts;
    const SentenceRules rules{s.AcceptAnyTalker, s.VerifyChecksums};
    std::size_t from = 0;
    for (std::size_t eol; (eol = text.find('\n', from)) != std::string_view::npos; from = eol + 1) {
        std::string_view line = text.substr(from, eol - from);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        CountLine(line, counts, rules);
    }
    return DecideDataType(counts);
}

bool Worth(const Settings& s) {
    // A GPX log is summarised from the copy its analysis writes.
    if (IsGpxPath(s.InputFilePath)) return false;
    InputFile input;
    return input.Open(s.InputFilePath) && input.Size() >= kSpeculativeSummaryBytes;
}

}  // namespace

AnalysisWithSummary AnalyzeWithSummary(Settings& s, const std::function<void(Settings&)>& runOptions,
                                       const ProgressHooks* hooks) {
    AnalysisWithSummary result;
    struct Speculation {
        Settings settings;
        TrackSummary summary;
        std::string error;
        bool computed = false;
    } guess;
    std::thread worker;
    if (Worth(s)) {
        guess.settings = s;
        guess.settings.DataType = TypeOfFirstBlock(s);
        if (guess.settings.DataType != DataKind::None) {
            if (runOptions) runOptions(guess.settings);
            worker = std::thread([&guess] {
                guess.computed = ComputeTrackSummary(guess.settings, guess.summary, guess.error);
            });
        }
    }

    result.report = AnalyzeInput(s, hooks);
    if (worker.joinable()) worker.join();
    if (result.report.failed || !result.report.recognised) return result;
    if (runOptions) runOptions(s);

    const bool guessedRight = guess.settings.DataType == s.DataType && guess.settings.InputFilePath == s.InputFilePath;
    if (guessedRight && guess.computed) {
        result.summary = std::move(guess.summary);
        result.summarised = true;
        return result;
    }
    result.summarised = ComputeTrackSummary(s, result.summary, result.summaryError);
    return result;
}

}  // namespace torvane
