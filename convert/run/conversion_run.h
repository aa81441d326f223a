// The conversion run that START performs, split so that a front end can ask
// before it acts: FormOutputPath names the output, the front end checks
// OutputFileExists and asks, PerformConversionRun converts and reports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "convert/recognise/line_counts.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

// Forms OutputFilePath from InputFilePath, DataType and OutputType: the input
// path up to the first "." of the file's own name (the whole path when the
// name has none), "_", the data type's last three letters, ".", and "prn",
// "kml" or "ovl". For KML it sets OutputFileName (the output's name without
// its directory) and, when the placemark
// name is empty, the placemark name. With OutputKind::None the path keeps its
// previous value.
void FormOutputPath(Settings& s);

// Uses `path` as the output instead; OutputFileName follows it.
void SetOutputPath(Settings& s, const std::string& path);

// True only for a non-empty path, not ending in the separator, that names an
// existing regular file.
bool OutputFileExists(const std::string& path);

// Whether `path` names the file a run reads or the file the analysis read
// (a GPX file, whose copy the run reads), by any name or link: an output
// there would replace the input.
bool IsInputFile(const Settings& s, const std::string& path);

struct RunReport {
    enum class Outcome {
        Written,         // at least one data set written
        NothingWritten,  // complete, but no data set: no file written, an existing output kept
        Failed,          // a file could not be opened, read or written; nothing is reported as written
        Cancelled,       // stopped by the user; nothing new written, an existing output kept
    };
    Outcome outcome = Outcome::Failed;
    std::int64_t count = 0;
    std::string message;  // the message area's text
    // A dated output (GPX, GeoJSON, KML with times) of a log without a date:
    // its positions were written without times.
    bool undated = false;
    bool inParts = false;  // the log was read in two parts at once
    // A counted run (RunCounting) whose counts were not confirmed: nothing
    // written (Outcome::Failed, no message).
    bool unconfirmed = false;
};

// What a run counts on the way for the analysis of its log (see
// AnalyzeAndConvertInOnePass): every line of a log read as lines, from
// `fresh`, into `counts`; the output takes its name only where `confirm`
// holds for the whole log's counts.
struct RunCounting {
    const LineCounting& fresh;
    std::function<bool(const AnalysisCounts&)> confirm;
    AnalysisCounts counts{};
};

// Opens input and output, writes header, record lines and trailer (for an
// overlay with elimination on, then corrects the point count), and reports.
// The output appears under its name only when complete and holding at least
// one data set; otherwise an existing file of that name is kept. Short of
// memory, the run fails with "Cannot process input file PATH: REASON. No
// output written."
// With `counting`, the run counts its log's lines as RunCounting says.
RunReport PerformConversionRun(Settings& s, const ProgressHooks* hooks = nullptr, RunCounting* counting = nullptr);

// "N GPGGA data sets written to file PATH." CR LF "Chose a new file ...".
std::string CountMessage(const Settings& s);

}  // namespace torvane
