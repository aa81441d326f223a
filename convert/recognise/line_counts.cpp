#include "convert/recognise/line_counts.h"

#include "convert/read/sentence_checks.h"
#include "convert/read/text_scan.h"
#include "output/byte_scan.h"

namespace torvane {
namespace {

// What one pass over a line finds at its "*", "$", "H" and "<" characters:
// a star; each "$GP" followed by the sentence name; "HF", which every IGC
// header word starts with; "<trkpt".
struct LineMarks {
    bool star = false;
    bool gga = false, gll = false, rmc = false;           // after "$GP"
    bool anyGga = false, anyGll = false, anyRmc = false;  // after "$" and any two capitals
    bool headerWord = false;
    bool trackPointTag = false;
};

LineMarks ScanLineMarks(std::string_view line) {
    LineMarks marks;
    const char* const data = line.data();
    const std::size_t size = line.size();
    ScanBytes(data, size, ByteSet('*', '$', 'H', '<'), [&](std::size_t at) {
        switch (data[at]) {
            case '*': marks.star = true; break;
            case '$':
                if (const std::string_view name = SentenceNameAt(line, at); !name.empty()) {
                    const bool gga = name == "GGA", gll = name == "GLL", rmc = name == "RMC";
                    marks.anyGga = marks.anyGga || gga;
                    marks.anyGll = marks.anyGll || gll;
                    marks.anyRmc = marks.anyRmc || rmc;
                    if (data[at + 1] == 'G' && data[at + 2] == 'P') {
                        marks.gga = marks.gga || gga;
                        marks.gll = marks.gll || gll;
                        marks.rmc = marks.rmc || rmc;
                    }
                }
                break;
            case 'H': marks.headerWord = marks.headerWord || (size - at >= 2 && data[at + 1] == 'F'); break;
            default: marks.trackPointTag = marks.trackPointTag || line.substr(at, 6) == "<trkpt"; break;
        }
        return true;
    });
    return marks;
}

// Adds the NMEA hits of one line with a star: each "$GP" followed by the
// sentence name, or with "accept every satellite system" each "$" and two
// capitals followed by it; with "skip sentences with a wrong checksum", only
// when the line's checksum is right.
void CountSentences(std::string_view line, const LineMarks& marks, AnalysisCounts& counts,
                    const SentenceRules& rules) {
    // A sentence without a checksum is legal NMEA: counted with "accept
    // every satellite system".
    if (!marks.star && !rules.anyTalker) return;
    const bool gga = rules.anyTalker ? marks.anyGga : marks.gga;
    const bool gll = rules.anyTalker ? marks.anyGll : marks.gll;
    const bool rmc = rules.anyTalker ? marks.anyRmc : marks.rmc;
    if (!gga && !gll && !rmc) return;
    if (rules.verifyChecksums && !HasValidChecksum(line)) return;
    counts.gga += gga;
    counts.gll += gll;
    counts.rmc += rmc;
}

// The six characters of the flight date in the date line "HFDTEddmmyy"; in
// the form "HFDTEDATE:ddmmyy,nn" of later recorders and flight apps those
// after the colon (and its blanks) where `laterForm` is true.
std::string_view FlightDate(std::string_view line, bool laterForm) {
    if (!laterForm || Mid(line, 6, 5) != "DATE:") return Mid(line, 6, 6);
    std::string_view rest = MidToEnd(line, 11);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return rest.substr(0, 6);
}

// Adds the IGC header hits of a line with "HF" and takes its date and pilot.
void CountIgcHeader(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules) {
    if (Contains(line, "HFDTE")) {
        ++counts.igcHeader;
        counts.igcFlightDate.assign(FlightDate(line, rules.anyRecorder));
        counts.igcFlightDateSeen = true;
    }
    if (Contains(line, "HFPLT")) {
        ++counts.igcHeader;
        const std::size_t colon = line.find(':');
        counts.igcPilot.assign(colon == std::string_view::npos ? line : line.substr(colon + 1));
        counts.igcPilotSeen = true;
    }
    if (Contains(line, "HFGID")) ++counts.igcHeader;
    if (Contains(line, "HFPRS")) ++counts.igcHeader;
}

// Whether the five characters from 0-based `at` are "00000"; a field cut
// short by the line's end reads as 0 too.
bool FieldIsZeros(std::string_view line, std::size_t at) {
    for (std::size_t i = at; i < at + 5 && i < line.size(); ++i) {
        if (line[i] != '0') return false;
    }
    return true;
}

}  // namespace

void AnalysisCounts::Add(const AnalysisCounts& later) {
    // startsWithARecord is the first part's alone.
    gga += later.gga;
    gll += later.gll;
    rmc += later.rmc;
    igcHeader += later.igcHeader;
    validFix += later.validFix;
    pressureAltitudeSeen = pressureAltitudeSeen || later.pressureAltitudeSeen;
    gnssAltitudeSeen = gnssAltitudeSeen || later.gnssAltitudeSeen;
    trackPoint += later.trackPoint;
    fitHeader = fitHeader || later.fitHeader;
    fitPosition += later.fitPosition;
    tcxRoot = tcxRoot || later.tcxRoot;
    tcxPosition += later.tcxPosition;
    if (later.igcFlightDateSeen) {
        igcFlightDate = later.igcFlightDate;
        igcFlightDateSeen = true;
    }
    if (later.igcPilotSeen) {
        igcPilot = later.igcPilot;
        igcPilotSeen = true;
    }
}

void CountLine(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules) {
    const LineMarks marks = ScanLineMarks(line);
    CountSentences(line, marks, counts, rules);
    if (marks.headerWord) CountIgcHeader(line, counts, rules);
    if (line.size() >= 25 && line[0] == 'B' && line[24] == 'A') {
        ++counts.validFix;
        if (!counts.pressureAltitudeSeen) {
            counts.pressureAltitudeSeen = !FieldIsZeros(line, 25);
            counts.gnssAltitudeSeen = counts.gnssAltitudeSeen || (line.size() >= 35 && !FieldIsZeros(line, 30));
        }
    }
    if (marks.trackPointTag && Contains(line, "lat=") && Contains(line, "lon=")) ++counts.trackPoint;
}

}  // namespace torvane
