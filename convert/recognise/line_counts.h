// What analysis counts in the lines of a log: the hits of each kind of
// line, and the IGC header's flight date and pilot.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

struct AnalysisCounts {
    std::int64_t gga = 0;        // lines with "*" and "$GPGGA"
    std::int64_t gll = 0;        // lines with "$GPGLL" and "*"
    std::int64_t rmc = 0;        // lines with "$GPRMC" and "*"
    std::int64_t igcHeader = 0;  // hits of "HFDTE", "HFPLT", "HFGID", "HFPRS"
    std::int64_t validFix = 0;   // lines starting with "B" with "A" as 25th character
    // Whether one of those has a pressure altitude (positions 26-30) other
    // than "00000"; until then, whether one has a GNSS altitude (positions
    // 31-35) other than that: a recorder (a phone) that records GNSS
    // altitudes alone.
    bool pressureAltitudeSeen = false, gnssAltitudeSeen = false;
    std::int64_t trackPoint = 0; // lines with "<trkpt", "lat=" and "lon="
    std::string igcFlightDate;   // from the last "HFDTE" line
    std::string igcPilot;        // from the last "HFPLT" line
    bool igcFlightDateSeen = false, igcPilotSeen = false;  // such a line was counted
    bool startsWithARecord = false;  // the log's first line starts with "A" (an IGC file's first record)
    // A FIT file (binary, not counted by lines): its header opens the file;
    // its record messages with a position.
    bool fitHeader = false;
    std::int64_t fitPosition = 0;
    // A TCX file (read as a stream of bytes, not counted by lines): its
    // root element TrainingCenterDatabase opens the file; its trackpoints
    // with a position.
    bool tcxRoot = false;
    std::int64_t tcxPosition = 0;

    // Adds the counts of the lines that follow these (in the file's order).
    void Add(const AnalysisCounts& later);
};

// Which NMEA sentences analysis counts, and how it reads an IGC date line.
struct SentenceRules {
    bool anyTalker = false;        // "$" and any two capitals A-Z count as "$GP", and a
                                   // sentence without "*hh" counts too
    bool verifyChecksums = false;  // only lines with a right checksum count
    bool anyRecorder = false;      // the flight date of "HFDTEDATE:ddmmyy,nn" is ddmmyy
};

// Counts the lines of each kind in one line (exposed for tests and tools).
// Returns whether the line names an RMC or ZDA sentence of any talker after
// one of its "$" (NmeaSentenceDate finds a date in no other line).
bool CountLine(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules = {});

// Counts in `counts`, with `rules`, the lines a piece of work sees (the
// lines of a log, or of a GPX copy as it is written).
struct LineCounting {
    SentenceRules rules;
    AnalysisCounts counts;
};

// Counts the lines of a log (or of a part of it) one after another, the
// log's first line (`fromStart`) also for an IGC file's A record.
class LogLineCounter {
public:
    LogLineCounter(AnalysisCounts& counts, const SentenceRules& rules, bool fromStart)
        : counts_(counts), rules_(rules), first_(fromStart) {}

    // CountLine's answer.
    bool Count(std::string_view line) {
        if (first_) {
            counts_.startsWithARecord = !line.empty() && line[0] == 'A';
            first_ = false;
        }
        return CountLine(line, counts_, rules_);
    }

private:
    AnalysisCounts& counts_;
    const SentenceRules& rules_;
    bool first_;
};

}  // namespace torvane
