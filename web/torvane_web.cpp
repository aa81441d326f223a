// The page's entry into the core: the analysis (with the track's picture
// and figures) and the conversion of torvane-cli, taking the same
// arguments and the same option parser, so that a page and a command line
// given the same file and options write the same bytes. The page's worker
// (worker.js) puts the dropped log into the working directory of
// emscripten's file system and calls these with the log's bare name; the
// outputs appear beside it, as `torvane-cli convert NAME` writes them
// there, and the worker hands their bytes to the page.
//
// Each call takes its arguments as NUL-separated UTF-8 (the command, the
// file, the options) and returns a JSON object in memory from malloc,
// which the caller frees.
//
// An analysis is kept for the run that follows it (its handle in the
// answer, given back to the conversion and then to TorvaneForget): a run of
// the same file with the same analysis options starts from it instead of
// reading the log once more.
#include <emscripten.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "convert/files/file_messages.h"
#include "convert/files/output_file.h"
#include "convert/files/platform/file_system.h"
#include "convert/kinds.h"
#include "convert/recognise/input_analysis.h"
#include "convert/recognise/option_hints.h"
#include "convert/run/analysis_with_summary.h"
#include "convert/run/conversion_run.h"
#include "convert/summary/track_summary.h"
#include "convert/write/line_account.h"
#include "frontend/options.h"
#include "frontend/shared_texts.h"
#include "output/track_summary_text.h"

// Progress of a long analysis or run, posted to the page: bytes read of
// the input in step `step` of `steps` (each a pass over the input), which
// is `what` (the analysis, the figures, the output).
EM_JS(void, PostProgress, (double done, double total, int step, int steps, const char* what), {
    postMessage({type : 'progress', done : done, total : total, step : step, steps : steps, what : UTF8ToString(what)});
});

namespace torvane::web {
namespace {

// Builds one JSON object, member by member.
class JsonObject {
public:
    JsonObject() : text_("{") {}
    JsonObject& Add(std::string_view name, std::string_view value) {
        Name(name);
        Quote(value);
        return *this;
    }
    JsonObject& Add(std::string_view name, const char* value) { return Add(name, std::string_view(value)); }
    JsonObject& Add(std::string_view name, bool value) {
        Name(name);
        text_ += value ? "true" : "false";
        return *this;
    }
    JsonObject& Add(std::string_view name, std::int64_t value) {
        Name(name);
        text_ += std::to_string(value);
        return *this;
    }
    JsonObject& Add(std::string_view name, double value) {
        Name(name);
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        text_ += std::isfinite(value) ? std::string_view(buffer, static_cast<std::size_t>(end - buffer)) : "null";
        return *this;
    }
    // An object as a member: `value` from another JsonObject's Text().
    JsonObject& AddObject(std::string_view name, const std::string& value) {
        Name(name);
        text_ += value;
        return *this;
    }
    std::string Text() const { return text_ + '}'; }
    // The text, handed over in memory from malloc.
    char* Release() {
        text_ += '}';
        char* out = static_cast<char*>(std::malloc(text_.size() + 1));
        if (out != nullptr) std::memcpy(out, text_.c_str(), text_.size() + 1);
        return out;
    }

private:
    void Name(std::string_view name) {
        if (text_.size() > 1) text_ += ',';
        Quote(name);
        text_ += ':';
    }
    void Quote(std::string_view value) {
        text_ += '"';
        for (const char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
        text_ += '"';
    }
    std::string text_;
};

// The message area's text: lines end with LF, as the page shows them.
std::string PageText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

// "torvane-cli" and the NUL-separated arguments, as main() would get them.
struct Arguments {
    Arguments(const char* data, int length) {
        words.emplace_back("torvane-cli");
        std::string_view rest(data, static_cast<std::size_t>(length));
        for (;;) {
            const std::size_t end = rest.find('\0');
            words.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        for (std::string& word : words) pointers.push_back(word.data());
    }
    int Count() const { return static_cast<int>(pointers.size()); }
    char** Values() { return pointers.data(); }

    std::vector<std::string> words;
    std::vector<char*> pointers;
};

// A call reads the input once or twice (the analysis, then the picture's
// figures or the run): the page shows its steps as one bar, naming each.
// The core reports each block it reads; the page is told a few times a
// second and at the end of the step, since each message costs the worker
// time.
ProgressHooks PageProgress(int step, int steps, const char* what) {
    constexpr double kEveryMilliseconds = 50;
    ProgressHooks hooks;
    hooks.progress = [step, steps, what, posted = -kEveryMilliseconds](std::uint64_t done,
                                                                        std::uint64_t total) mutable {
        const double now = emscripten_get_now();
        if (now - posted < kEveryMilliseconds && done < total) return;
        posted = now;
        PostProgress(static_cast<double>(done), static_cast<double>(total), step, steps, what);
    };
    return hooks;
}

// An analysis kept for the run after it: the file's settings as the
// analysis left them (before the run's options) and its report.
struct KeptAnalysis {
    std::string optionsKey;
    Settings settings;
    AnalysisReport report;
};

// Whether the run of `s` (analysis options applied) with `options` can
// start from `kept`: the same file, the same analysis options, and the GPX
// copy the analysis wrote still there (the page takes it with the output).
bool Reusable(const KeptAnalysis* kept, const frontend::Options& options, const Settings& s) {
    if (kept == nullptr || kept->optionsKey != frontend::AnalysisOptionsKey(options) ||
        kept->settings.InputFilePath != s.InputFilePath) {
        return false;
    }
    platform::FileStatus copy;
    return kept->report.gpxCopyPath.empty() || platform::StatusOfPath(kept->report.gpxCopyPath, copy);
}

// The run's count message without the window's closing line: the page has
// no program to leave, and the next file is chosen above.
constexpr std::string_view kWindowClosingLine = "\r\nChose a new file for processing or exit the program.";

std::string RunText(std::string text) {
    const std::size_t at = text.find(kWindowClosingLine);
    if (at != std::string::npos) text.erase(at, kWindowClosingLine.size());
    return text;
}

// The figures under the picture, for the page to show in words and units
// as the window does: the numbers themselves, the clock times as text.
std::string FiguresJson(const TrackFigures& f) {
    JsonObject figures;
    figures
        .Add("records", static_cast<std::int64_t>(f.records))
        .Add("hasTime", f.hasTime)
        .Add("dated", f.dated)
        .Add("startUtc", static_cast<std::int64_t>(f.startUtc))
        .Add("endUtc", static_cast<std::int64_t>(f.endUtc))
        .Add("startClock", ClockText(f.start))
        .Add("endClock", ClockText(f.end))
        .Add("duration", f.duration)
        .Add("durationClock", ClockText(f.duration))
        .Add("timesGoBack", f.timesGoBack)
        .Add("hasPosition", f.hasPosition)
        .Add("lengthMetres", f.lengthMetres)
        .Add("hasAltitude", f.hasAltitude)
        .Add("altMin", f.altMin)
        .Add("altMax", f.altMax)
        .Add("hasClimb", f.hasClimb)
        .Add("climbMetres", f.climbMetres)
        .Add("descentMetres", f.descentMetres)
        .Add("climbRule", ClimbRuleText(f))
        .Add("hasMotion", f.hasMotion)
        .Add("movingSeconds", f.movingSeconds)
        .Add("movingRule", MovingRuleText(f))
        .Add("speedMax", f.speedMax)
        .Add("speedAverage", AverageMovingSpeed(f))
        .Add("averageRule", kAverageSpeedBeside);
    // Heart rate and power only where records have them.
    if (f.heartRate.count > 0) {
        figures.Add("heartRateAverage", f.heartRate.Average())
            .Add("heartRateMax", static_cast<std::int64_t>(f.heartRate.max));
    }
    if (f.power.count > 0) {
        figures.Add("powerAverage", f.power.Average()).Add("powerMax", static_cast<std::int64_t>(f.power.max));
    }
    return figures.Text();
}

bool CarriesAltitude(DataKind kind) { return InputKindOf(kind).carriesAltitude; }

char* UsageError(const std::string& error) {
    return JsonObject().Add("failed", true).Add("message", "torvane-cli: " + error).Release();
}

// Parses the arguments; false (with the message in `error`) for a usage error.
bool Parse(Arguments& args, frontend::Options& options, std::string& error) {
    if (!frontend::ParseOptions(args.Count(), args.Values(), options, error)) return false;
    if (options.files.size() != 1) {
        error = "the page works on one file at a time";
        return false;
    }
    return true;
}

// The options of a call and the settings of its file before the analysis;
// the answer of a usage error, or null.
char* PrepareCall(const char* data, int length, frontend::Options& options, Settings& s) {
    Arguments args(data, length);
    std::string error;
    if (!Parse(args, options, error)) return UsageError(error);
    s.InputFilePath = options.files.front();
    frontend::ApplyAnalysisOptions(options, s);
    return nullptr;
}

// The analysis message as the window shows it: the hints below it when only
// other satellite systems' sentences, or IGC fixes with too few header
// lines, were found.
std::string AnalysisText(const AnalysisReport& report, const std::string& inputName) {
    std::string text = report.message;
    for (const std::string& hint : frontend::AnalysisHints(report, frontend::FrontEnd::Page)) text += "\r\n" + hint;
    // An unrecognised GPX log is named as the user chose it, not by the CR LF
    // copy the analysis read.
    if (!report.recognised && !report.gpxCopyPath.empty()) {
        for (std::size_t at = 0; (at = text.find(report.gpxCopyPath, at)) != std::string::npos;) {
            text.replace(at, report.gpxCopyPath.size(), inputName);
            at += inputName.size();
        }
    }
    return PageText(text);
}

// The picture `torvane-cli preview` writes for this analysis: the table
// output's name with ".svg". Empty where it could not be written.
std::string WritePreview(Settings s, const TrackSummary& summary, std::string& error) {
    s.OutputType = OutputKind::Table;
    FormOutputPath(s);
    const std::string path = s.OutputFilePath.substr(0, s.OutputFilePath.size() - 3) + "svg";
    OutputFile output;
    if (!output.Open(path)) {
        error = output.ErrorText();
        return {};
    }
    output.Write(TrackSvg(DrawingOf(summary, PreviewTitle(s))));
    if (!output.Commit()) {
        error = output.ErrorText();
        return {};
    }
    return path;
}

}  // namespace
}  // namespace torvane::web

extern "C" {

// "analyze FILE [options]": the analysis of ANALYZE, and with a recognised
// track its picture (written as `torvane-cli preview FILE` names it) and
// figures, after the options that change which positions a run writes.
EMSCRIPTEN_KEEPALIVE char* TorvaneAnalyze(const char* data, int length) {
    using namespace torvane;
    using namespace torvane::web;
    frontend::Options options;
    Settings s;
    if (char* usageError = PrepareCall(data, length, options, s)) return usageError;
    std::string error;
    // The analysis and the summary, each a step of the page's progress bar.
    const ProgressHooks analysing = PageProgress(1, 2, "analysis"), summarising = PageProgress(2, 2, "figures");
    Settings analysed;
    const AnalysisWithSummary analysis = AnalyzeWithSummary(
        s,
        [&options, &analysed](Settings& run) {
            analysed = run;
            frontend::ApplyOptions(options, run);
        },
        &analysing, &summarising);
    const AnalysisReport& report = analysis.report;

    JsonObject result;
    result.Add("failed", report.failed)
        .Add("recognised", report.recognised)
        .Add("message", AnalysisText(report, options.files.front()));
    if (report.failed) return result.Release();
    const AnalysisCounts& c = report.counts;
    result.Add("dataType", report.recognised ? DataTypeWord(s.DataType) : std::string_view("none"))
        .Add("detectedRecords", static_cast<std::int64_t>(s.DetectedRecordCount))
        .Add("counts", frontend::CountsText(c))
        .Add("gpxCopy", report.gpxCopyPath)
        .Add("igc", s.DataType == DataKind::GPIGC)
        .Add("altitude", CarriesAltitude(s.DataType))
        .Add("kmlDescription", s.KmlProperties[kKmlDescription]);
    if (!report.recognised) return result.Release();
    auto* kept = new KeptAnalysis{frontend::AnalysisOptionsKey(options), analysed, report};
    result.Add("kept", static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(kept)));
    if (!analysis.summarised) return result.Add("previewError", PageText(analysis.summaryError)).Release();
    const std::string preview = WritePreview(s, analysis.summary, error);
    const TrackDrawing drawing = DrawingOf(analysis.summary, PreviewTitle(s));
    return result.Add("preview", preview)
        .Add("previewError", error)
        .AddObject("figures", FiguresJson(drawing.figures))
        .Release();
}

// "convert FILE [options]": the analysis and run of `torvane-cli convert
// FILE --overwrite`; the output beside the input, under the same name.
// `kept` (or null): an analysis TorvaneAnalyze kept, which the run starts
// from where it is of the same file with the same analysis options.
EMSCRIPTEN_KEEPALIVE char* TorvaneConvert(const char* data, int length, const void* kept) {
    using namespace torvane;
    using namespace torvane::web;
    frontend::Options options;
    Settings s;
    if (char* usageError = PrepareCall(data, length, options, s)) return usageError;
    std::string error;
    const auto* analysed = static_cast<const KeptAnalysis*>(kept);
    const bool reused = Reusable(analysed, options, s);
    const ProgressHooks analysing = PageProgress(1, 2, "analysis");
    const ProgressHooks running = reused ? PageProgress(1, 1, "output") : PageProgress(2, 2, "output");
    AnalysisReport analysis;
    if (reused) {
        s = analysed->settings;
        analysis = analysed->report;
    } else {
        analysis = AnalyzeInput(s, &analysing);
    }
    JsonObject result;
    if (analysis.failed || !analysis.recognised) {
        return result.Add("outcome", analysis.failed ? "failed" : "nothing")
            .Add("message", AnalysisText(analysis, options.files.front()))
            .Release();
    }
    frontend::ApplyOptions(options, s);
    FormOutputPath(s);
    if (options.outputPath) SetOutputPath(s, *options.outputPath);
    const Settings asAnalysed = s;  // the run leaves its reader's state in `s`
    const RunReport run = PerformConversionRun(s, &running);
    const char* outcome = "failed";
    switch (run.outcome) {
        case RunReport::Outcome::Written: outcome = "written"; break;
        case RunReport::Outcome::NothingWritten: outcome = "nothing"; break;
        case RunReport::Outcome::Failed:
        case RunReport::Outcome::Cancelled: break;
    }
    // The options that would give more; where the run wrote nothing or much
    // less than the analysis counted, also the account of its lines.
    std::string hintText, accountText;
    if (run.outcome == RunReport::Outcome::Written || run.outcome == RunReport::Outcome::NothingWritten) {
        LineAccount account;
        const bool accounted = RunWroteFewer(asAnalysed, run.count) && AccountLines(asAnalysed, account, error);
        const OptionNames names = frontend::HintOptionNames(frontend::FrontEnd::Page);
        std::vector<std::string> hints;
        if (RunOptionHints(asAnalysed, analysis.counts, run.count, accounted ? &account : nullptr, names, hints,
                           error)) {
            for (const std::string& hint : hints) hintText += "\r\n" + hint;
        }
        if (accounted) accountText = LineAccountText(account, asAnalysed);
    }
    return result.Add("outcome", outcome)
        .Add("message", PageText(RunText(run.message) + hintText))
        .Add("account", PageText(accountText))
        .Add("count", run.count)
        .Add("output", run.outcome == RunReport::Outcome::Written || run.outcome == RunReport::Outcome::NothingWritten
                           ? s.OutputFilePath
                           : std::string())
        .Add("gpxCopy", analysis.gpxCopyPath)
        .Add("undated", run.undated)
        .Add("analysed", !reused)
        .Release();
}

// The file formats the page reads, each once, in the order of the kinds:
// ["NMEA 0183", ...].
EMSCRIPTEN_KEEPALIVE char* TorvaneFormats() {
    std::vector<std::string_view> formats;
    for (const torvane::InputKind& row : torvane::InputKinds()) {
        if (!row.format.empty() && std::find(formats.begin(), formats.end(), row.format) == formats.end()) {
            formats.push_back(row.format);
        }
    }
    std::string text = "[";
    for (const std::string_view format : formats) {
        if (text.size() > 1) text += ',';
        text += torvane::web::JsonObject().Add("name", format).Text();
    }
    text += ']';
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr) std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

// Lets go of an analysis TorvaneAnalyze kept.
EMSCRIPTEN_KEEPALIVE void TorvaneForget(void* kept) { delete static_cast<torvane::web::KeptAnalysis*>(kept); }

}  // extern "C"
