// torvane-cli: the analysis and conversion of the desktop program for
// scripts and batches. Each file is handled as by a freshly started program.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/console.h"
#include "convert/about.h"
#include "convert/files/file_closer.h"
#include "convert/files/file_messages.h"
#include "convert/files/platform/file_system.h"
#include "convert/kinds.h"
#include "convert/recognise/gpx_copy.h"
#include "convert/recognise/input_analysis.h"
#include "convert/recognise/option_hints.h"
#include "convert/run/analysis_with_run.h"
#include "convert/run/analysis_with_summary.h"
#include "convert/run/conversion_run.h"
#include "convert/summary/track_summary.h"
#include "convert/write/line_account.h"
#include "frontend/options.h"
#include "frontend/shared_texts.h"

namespace torvane::cli {

using frontend::ApplyAnalysisOptions;
using frontend::ApplyOptions;
using frontend::Command;
using frontend::Options;
using frontend::ParseOptions;
using frontend::UsageText;

namespace {

enum ExitCode { kAllWritten = 0, kNothingWritten = 1, kFailure = 2 };

// Message area texts use CR LF between lines; a terminal gets plain line ends.
void PrintMessage(Console& con, std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    out += '\n';
    con.Out(out);
}

void PrintError(Console& con, std::string_view text) { con.Err("torvane-cli: " + std::string(text) + '\n'); }

// Asks on the terminal; No is the default answer. (A batch converting
// several files at once asks nothing: it runs only with --overwrite.)
bool AskOverwrite(Console& con) {
    if (!platform::StandardInputIsTerminal()) return false;
    con.Err(std::string(frontend::kOverwriteQuestion) + " [y/N] ");
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

void PrintUndatedWarning(Console& con, const std::string& file) {
    PrintError(con, file + ": the log holds no date; its positions are written without times (give the date of the "
                      "first position with --date YYYY-MM-DD)");
}

// The account of the lines of the log of `s` on standard output.
bool PrintLineAccount(Console& con, const Settings& s) {
    LineAccount account;
    std::string error;
    if (!AccountLines(s, account, error)) {
        PrintError(con, error);
        return false;
    }
    con.Out(LineAccountText(account, s));
    return true;
}

// Below a run that wrote nothing or much less than its lines would give:
// the options that would give more.
void PrintRunHints(Console& con, const Settings& s, const AnalysisCounts& counts, std::int64_t written) {
    std::vector<std::string> hints;
    std::string error;
    if (!RunOptionHints(s, counts, written, nullptr, frontend::HintOptionNames(frontend::FrontEnd::CommandLine), hints, error)) return;  // the run said what it could
    for (const std::string& hint : hints) con.Err(hint + '\n');
}

void PrintOptionHints(Console& con, const AnalysisReport& report) {
    for (const std::string& hint : frontend::AnalysisHints(report, frontend::FrontEnd::CommandLine)) {
        con.Err(hint + '\n');
    }
}

// The GPX copy that analysis writes replaces a file of its name only when
// that file holds the same copy already (compared while the copy is
// written), or as an output is replaced: with --overwrite, or on a yes.
ProgressHooks CopyQuestion(Console& con, const Options& options) {
    ProgressHooks hooks;
    if (!options.overwrite) hooks.mayReplaceCopy = [&con] { return AskOverwrite(con); };
    return hooks;
}

// Prints the refusal where the analysis kept a file of the copy's name.
bool ReportedKeptCopy(Console& con, const AnalysisReport& report) {
    if (!report.copyKept) return false;
    PrintError(con, report.message);
    PrintError(con, frontend::kMoveExistingFile);
    return true;
}

// `s` set for analysing `file` with the options of the call; the files its
// outputs replace are let go by `closer`.
void ForFile(const std::string& file, const Options& options, FileCloser& closer, Settings& s) {
    s.InputFilePath = file;
    ApplyAnalysisOptions(options, s);
    s.Parts.replacedFiles = &closer;
}

int Analyze(Console& con, const std::string& file, const Options& options, FileCloser& closer) {
    Settings s;
    ForFile(file, options, closer, s);
    const ProgressHooks question = CopyQuestion(con, options);
    AnalysisWithSummary analysis;
    if (options.summary) {
        analysis = AnalyzeWithSummary(s, [&options](Settings& run) { ApplyOptions(options, run); }, &question);
    } else {
        analysis.report = AnalyzeInput(s, &question);
    }
    const AnalysisReport& report = analysis.report;
    if (ReportedKeptCopy(con, report)) return kFailure;
    if (report.failed) {
        PrintError(con, report.message);
        return kFailure;
    }
    PrintMessage(con, report.message);
    PrintOptionHints(con, report);
    const AnalysisCounts& c = report.counts;
    std::string text = "Data type: " + std::string(report.recognised ? DataTypeWord(s.DataType) : "none") + '\n';
    text += "Detected records: " + std::to_string(s.DetectedRecordCount) + '\n';
    text += "Counts: " + frontend::CountsText(c) + '\n';
    if (!report.gpxCopyPath.empty()) text += "GPX copy: " + report.gpxCopyPath + '\n';
    con.Out(text);
    if (options.summary && report.recognised) {
        if (!analysis.summarised) {
            PrintError(con, analysis.summaryError);
            return kFailure;
        }
        con.Out(TrackSummaryText(analysis.summary));
    }
    if (options.report && report.recognised) {
        ApplyOptions(options, s);
        if (!PrintLineAccount(con, s)) return kFailure;
    }
    return report.recognised ? kAllWritten : kNothingWritten;
}

// Analyses `file` as the window's ANALYZE does, prints its message and puts
// the options into `s`. Returns 0 when the file was recognised, else the
// file's exit code; `keptCopy` tells that a file of the GPX copy's name
// was kept at the user's word.
int AnalyzeForOutput(Console& con, const std::string& file, const Options& options, FileCloser& closer, Settings& s,
                     bool& keptCopy, AnalysisCounts* counts = nullptr) {
    ForFile(file, options, closer, s);
    const ProgressHooks question = CopyQuestion(con, options);
    const AnalysisReport analysis = AnalyzeInput(s, &question);
    if (counts != nullptr) *counts = analysis.counts;
    keptCopy = ReportedKeptCopy(con, analysis);
    if (keptCopy) return kFailure;
    if (analysis.failed) {
        PrintError(con, analysis.message);
        return kFailure;
    }
    PrintMessage(con, analysis.message);
    PrintOptionHints(con, analysis);
    if (!analysis.recognised) return kNothingWritten;
    ApplyOptions(options, s);
    return 0;
}

// An output at `path` would replace the input: refused before any question.
bool RefusedAsInput(Console& con, const Settings& s, const std::string& path) {
    if (!IsInputFile(s, path)) return false;
    PrintError(con, FileFailureMessage(FileAction::WriteOutput, path, "it is the input file"));
    return true;
}

// The files one call wrote (device and inode), so that two inputs of a batch
// mapping to one output do not replace each other.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
using WrittenFiles = std::set<FileIdentity>;

// The file `path` names now, if any.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    platform::FileStatus status;
    if (!platform::StatusOfPath(path, status)) return std::nullopt;
    return FileIdentity{status.device, status.inode};
}

// Prints what a run of `file` gave, as the settings `s` it left and those
// it started from (`asAnalysed`, with the analysis's `counts`) tell;
// returns the file's exit code.
int ReportRun(Console& con, const std::string& file, const Options& options, const Settings& s,
              const Settings& asAnalysed, const AnalysisCounts& counts, const RunReport& run, WrittenFiles& written) {
    const bool completed =
        run.outcome == RunReport::Outcome::Written || run.outcome == RunReport::Outcome::NothingWritten;
    if (const auto output = IdentityOf(s.OutputFilePath); completed && output) written.insert(*output);
    if (completed) {
        PrintMessage(con, run.message);
        if (run.undated) PrintUndatedWarning(con, file);
        PrintRunHints(con, asAnalysed, counts, run.count);
        if (options.report && !PrintLineAccount(con, asAnalysed)) return kFailure;
    }
    switch (run.outcome) {
        case RunReport::Outcome::Written: return kAllWritten;
        case RunReport::Outcome::NothingWritten: return kNothingWritten;
        case RunReport::Outcome::Failed:
        case RunReport::Outcome::Cancelled:  // the command line offers no cancel
            break;
    }
    PrintError(con, run.message);
    return kFailure;
}

// The analysis and the run of `file` in one pass over the log, where one
// pass stands for both and nothing is to be asked or refused between
// them; printed as the two passes print. nullopt where the two passes are
// to run.
std::optional<int> ConvertInOnePass(Console& con, const std::string& file, const Options& options, FileCloser& closer,
                                    WrittenFiles& written) {
    Settings s;
    ForFile(file, options, closer, s);
    const std::optional<AnalysisWithRun> once = AnalyzeAndConvertInOnePass(s, [&](Settings& run) {
        ApplyOptions(options, run);
        FormOutputPath(run);
        if (options.outputPath) SetOutputPath(run, *options.outputPath);
        const auto output = IdentityOf(run.OutputFilePath);
        return !IsInputFile(run, run.OutputFilePath) && !(output && written.count(*output) != 0) &&
               (options.overwrite || !OutputFileExists(run.OutputFilePath));
    });
    if (!once) return std::nullopt;
    PrintMessage(con, once->report.message);
    PrintOptionHints(con, once->report);
    return ReportRun(con, file, options, s, once->asAnalysed, once->report.counts, once->run, written);
}

// Returns the exit code for this file; `stop` is set when the program must
// end (an existing output file was not to be replaced).
int Convert(Console& con, const std::string& file, const Options& options, FileCloser& closer, WrittenFiles& written,
            bool& stop) {
    if (const std::optional<int> once = ConvertInOnePass(con, file, options, closer, written)) return *once;
    Settings s;
    AnalysisCounts counts;
    if (const int code = AnalyzeForOutput(con, file, options, closer, s, stop, &counts); code != 0) return code;
    FormOutputPath(s);
    if (options.outputPath) SetOutputPath(s, *options.outputPath);

    if (RefusedAsInput(con, s, s.OutputFilePath)) return kFailure;
    if (const auto output = IdentityOf(s.OutputFilePath); output && written.count(*output) != 0) {
        PrintError(con, "Output file " + s.OutputFilePath + " was written from another input of this call; " + file +
                   " is skipped.");
        return kFailure;
    }
    if (OutputFileExists(s.OutputFilePath) && !options.overwrite && !AskOverwrite(con)) {
        PrintError(con, "Output file exists: " + s.OutputFilePath);
        PrintError(con, frontend::kMoveExistingFile);
        stop = true;
        return kFailure;
    }

    const Settings asAnalysed = s;  // the run leaves its reader's state in `s`
    const RunReport run = PerformConversionRun(s);
    return ReportRun(con, file, options, s, asAnalysed, counts, run, written);
}

// The SVG picture of the file's track; the same refusal to replace an
// existing file as convert.
int Preview(Console& con, const std::string& file, const Options& options, FileCloser& closer) {
    Settings s;
    // The analysis and the picture's track in one pass where it can be had
    // (then printed as AnalyzeForOutput prints a recognised log's analysis).
    ForFile(file, options, closer, s);
    const std::optional<AnalysisWithSummary> once = AnalyzeWithSummaryInOnePass(s, [&options](Settings& run) {
        ApplyOptions(options, run);
        run.OutputType = OutputKind::Table;
    });
    if (once) {
        PrintMessage(con, once->report.message);
        PrintOptionHints(con, once->report);
    } else {
        s = Settings{};
        bool keptCopy = false;
        if (const int code = AnalyzeForOutput(con, file, options, closer, s, keptCopy); code != 0) return code;
    }
    s.OutputType = OutputKind::Table;
    FormOutputPath(s);
    std::string path = s.OutputFilePath.substr(0, s.OutputFilePath.size() - 3) + "svg";  // "..._GGA.prn"
    if (options.outputPath) path = *options.outputPath;
    if (RefusedAsInput(con, s, path)) return kFailure;
    if (OutputFileExists(path) && !options.overwrite && !AskOverwrite(con)) {
        PrintError(con, "Output file exists: " + path);
        PrintError(con, frontend::kMoveExistingFile);
        return kFailure;
    }
    std::string error;
    switch (once ? WriteTrackPreview(once->summary, s, path, error) : WriteTrackPreview(s, path, error)) {
        case PreviewOutcome::Written:
            con.Out("Preview written to file " + path + ".\n");
            return kAllWritten;
        case PreviewOutcome::NothingToDraw:
            con.Out("No position to draw: no preview written.\n");
            return kNothingWritten;
        case PreviewOutcome::Failed:
            break;
    }
    PrintError(con, error);
    return kFailure;
}

// Runs one command on one file. Whatever stops it midway (memory or a
// thread that cannot be had) is told in one line naming the file; what it
// had begun to write was dropped on the way out.
int RunCommand(Console& con, const std::string& file, const Options& options, FileCloser& closer,
               WrittenFiles& written, bool& stop) {
    try {
        return options.command == Command::Analyze   ? Analyze(con, file, options, closer)
               : options.command == Command::Preview ? Preview(con, file, options, closer)
                                                     : Convert(con, file, options, closer, written, stop);
    } catch (const std::exception& failure) {
        PrintError(con, FileFailureMessage(FileAction::Process, file, FailureReason(failure), kNoOutputWritten));
    } catch (...) {
        PrintError(con, FileFailureMessage(FileAction::Process, file, "unknown failure", kNoOutputWritten));
    }
    return kFailure;
}

// Whether the files of this call may be converted several at once: no
// question can come (--overwrite), no output is named for one file alone
// (-o), and their outputs are apart.
bool ConvertsAtOnce(const Options& options) {
    return options.command == Command::Convert && options.files.size() > 1 && options.overwrite &&
           !options.outputPath && OutputsApart(options.files);
}

// The command on every file; the exit status of the call.
int RunFiles(const Options& options) {
    int status = kAllWritten;
    // The files the outputs replace are let go off the files' own threads.
    FileCloser closer;
    if (const unsigned workers = UsableProcessors(); workers > 1 && ConvertsAtOnce(options)) {
        const auto codes = RunAtOnce(options.files, workers, [&options, &closer](const std::string& file, Console& con) {
            WrittenFiles written;  // outputs apart: none is met twice
            bool stop = false;     // with --overwrite nothing stops the call
            return RunCommand(con, file, options, closer, written, stop);
        });
        for (const int code : codes) status = std::max(status, code);
        return status;
    }
    Console con;
    WrittenFiles written;
    for (const std::string& file : options.files) {
        bool stop = false;
        status = std::max(status, RunCommand(con, file, options, closer, written, stop));
        if (stop) break;
    }
    return status;
}

}  // namespace
}  // namespace torvane::cli

int main(int argc, char** argv) {
    using namespace torvane::cli;
    // System messages in the user's language and its characters; nothing
    // else the program writes depends on the locale (whose other parts would
    // only cost loading).
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    Options options;
    std::string error;
    if (argc < 2) {
        std::cerr << UsageText();
        return kFailure;
    }
    if (!ParseOptions(argc, argv, options, error)) {
        Console con;
        PrintError(con, error);
        std::cerr << "Try 'torvane-cli --help'.\n";
        return kFailure;
    }
    switch (options.command) {
        case Command::Help:
            std::cout << UsageText() << std::flush;
            return std::cout ? 0 : kFailure;
        case Command::Version:
            std::cout << "torvane-cli " << torvane::kProgramVersion << '\n' << std::flush;
            return std::cout ? 0 : kFailure;
        case Command::Analyze:
        case Command::Convert:
        case Command::Preview:
            break;
    }
    const int status = RunFiles(options);
    if (!std::cout) {
        // The messages were lost: the caller must not take the run as reported.
        Console con;
        PrintError(con, "cannot write to standard output");
        return kFailure;
    }
    return status;
}
