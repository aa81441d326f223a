// Input analysis (ANALYZE): recognises the kind of data an input file holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/recognise/line_counts.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

struct AnalysisReport {
    bool failed = false;      // the file (or its GPX copy) could not be read or written
    bool recognised = false;  // a data type was found in this file
    DataKind kind = DataKind::None;  // the data type found
    std::string message;      // the message area's text (or the failure)
    AnalysisCounts counts;
    std::string gpxCopyPath;  // set when a GPX copy was written
    // Nothing was recognised, but accepting every satellite system would
    // recognise the file (only looked for when that option is off).
    bool otherTalkersOnly = false;
    // Nothing was recognised, but accepting every flight recorder would
    // recognise the file as IGC (only looked for when that option is off).
    bool fewIgcHeaders = false;
    bool inParts = false;  // the file (or its GPX copy) was read in two parts at once
    // The GPX copy's name holds another file, which the front end chose to
    // keep (see ProgressHooks::mayReplaceCopy); `failed` is set too.
    bool copyKept = false;
    // A TCX file's state near its middle, for the conversion's parts.
    std::shared_ptr<const TcxReaderPlace> tcxMiddle;
};

// The hint printed below "Could not recognize data ..." when only sentences
// of other satellite systems were found; `howToAccept` names the switch.
std::string OtherTalkersHint(std::string_view howToAccept);

// The hint printed below "Could not recognize data ..." when the file holds
// IGC fixes but too few header lines; `howToAccept` names the switch.
std::string FewIgcHeadersHint(std::string_view howToAccept);

// Whether the counts are those of an IGC file by its fixes: a log that
// starts with an A record or holds a date line ("HFDTE" in any form), and
// at least two valid fixes, whatever its other header lines.
bool IsIgcByItsFixes(const AnalysisCounts& counts);

// Decides the data type from the counts; DataKind::None when nothing is
// recognised. `anyRecorder` ("accept every flight recorder") adds IGC files
// by their fixes (IsIgcByItsFixes) to those with more than two header hits.
DataKind DecideDataType(const AnalysisCounts& counts, bool anyRecorder = false);

// The message for a recognised type, or for nothing recognised.
std::string AnalysisMessage(DataKind recognised, const std::string& inputFilePath);

// Sets the six KmlProperties defaults for the data type `s` holds.
void SetKmlDefaults(Settings& s);

// The counting an analysis with the options `o` starts from: the rules of
// its sentences and the flight's date and pilot known before.
LineCounting FreshCounting(const RunOptions& o);

// Sets the kind that the report's counts decide, whether it was recognised,
// the message (naming `path` where nothing was) and fewIgcHeaders; not
// otherTalkersOnly, which takes a pass of its own.
void DecideFromCounts(const RunOptions& o, const std::string& path, AnalysisReport& report);

// Takes the report of a successful analysis into `s` as AnalyzeInput does
// (after it set AnalysedFilePath): the file a run reads, the flight's date
// and pilot, the data type where one was recognised, its count and the KML
// defaults.
void ApplyAnalysis(const AnalysisReport& report, Settings& s);

// Analyses InputFilePath: writes the GPX copy for a ".gpx" name and switches
// InputFilePath to it, counts, sets DataType (when recognised),
// DetectedRecordCount, IgcFlightDate, IgcPilot and the KML defaults.
// A file that cannot be read changes nothing but a GPX copy's path.
AnalysisReport AnalyzeInput(Settings& s, const ProgressHooks* hooks = nullptr);

}  // namespace torvane
