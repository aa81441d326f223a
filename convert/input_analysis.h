// Input analysis (ANALYZE): recognises the kind of data an input file holds.
#pragma once

#include <cstdint>
#include <string>

#include "progress.h"
#include "settings.h"

namespace torvane {

struct AnalysisCounts {
    std::int64_t gga = 0;        // lines with "*" and "$GPGGA"
    std::int64_t gll = 0;        // lines with "$GPGLL" and "*"
    std::int64_t rmc = 0;        // lines with "$GPRMC" and "*"
    std::int64_t igcHeader = 0;  // hits of "HFDTE", "HFPLT", "HFGID", "HFPRS"
    std::int64_t validFix = 0;   // lines starting with "B" with "A" as 25th character
    std::int64_t trackPoint = 0; // lines with "<trkpt", "lat=" and "lon="
    std::string igcFlightDate;   // from the last "HFDTE" line
    std::string igcPilot;        // from the last "HFPLT" line
    bool igcFlightDateSeen = false, igcPilotSeen = false;  // such a line was counted

    // Adds the counts of the lines that follow these (in the file's order).
    void Add(const AnalysisCounts& later);
};

struct AnalysisReport {
    bool failed = false;      // the file (or its GPX copy) could not be read or written
    bool recognised = false;  // a data type was found in this file
    std::string message;      // the message area's text (or the failure)
    AnalysisCounts counts;
    std::string gpxCopyPath;  // set when a GPX copy was written
    // Nothing was recognised, but accepting every satellite system would
    // recognise the file (only looked for when that option is off).
    bool otherTalkersOnly = false;
};

// Which NMEA sentences analysis counts.
struct SentenceRules {
    bool anyTalker = false;        // "$" and any two capitals A-Z count as "$GP"
    bool verifyChecksums = false;  // only lines with a right checksum count
};

// Counts the lines of each kind in one line (exposed for tests and tools).
void CountLine(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules = {});

// The hint printed below "Could not recognize data ..." when only sentences
// of other satellite systems were found; `howToAccept` names the switch.
std::string OtherTalkersHint(std::string_view howToAccept);

// Decides the data type from the counts; DataKind::None when nothing is recognised.
DataKind DecideDataType(const AnalysisCounts& counts);

// The message for a recognised type, or for nothing recognised.
std::string AnalysisMessage(DataKind recognised, const std::string& inputFilePath);

// Sets the six KmlProperties defaults for the data type `s` holds.
void SetKmlDefaults(Settings& s);

// Analyses InputFilePath: writes the GPX copy for a ".gpx" name and switches
// InputFilePath to it, counts, sets DataType (when recognised),
// DetectedRecordCount, IgcFlightDate, IgcPilot and the KML defaults.
// A file that cannot be read changes nothing but a GPX copy's path.
AnalysisReport AnalyzeInput(Settings& s, const ProgressHooks* hooks = nullptr);

}  // namespace torvane
