#include "convert/recognise/line_counts.h"

#include "convert/read/sentence_checks.h"
#include "convert/read/text_scan.h"
#include "output/byte_scan.h"

namespace torvane {
namespace {

// What one pass over a line finds at its "*", "$", "H" and "<" characters,
// as bits: a star; each "$GP" followed by a sentence name counted, and each
// "$" and any two capitals followed by one; "HF", which every IGC header
// word starts with; "<trkpt"; a ZDA sentence (of any talker, not counted:
// with RMC, the sentences that give a date).
constexpr unsigned kStar = 1, kGga = 2, kGll = 4, kRmc = 8, kAnyGga = 16, kAnyGll = 32, kAnyRmc = 64,
                   kHeaderWord = 128, kTrackPointTag = 256, kAnyZda = 512;

// The marks of the "$" at `at`: the sentence named after it, if any.
unsigned DollarMarks(std::string_view line, std::size_t at) {
    const std::string_view name = SentenceNameAt(line, at);
    if (name.empty()) return 0;
    const unsigned any = name == "GGA" ? kAnyGga : name == "GLL" ? kAnyGll : name == "RMC" ? kAnyRmc : 0;
    if (any == 0) return name == "ZDA" ? kAnyZda : 0;
    // After "$GP" the same kind's bit too, three places lower.
    return line[at + 1] == 'G' && line[at + 2] == 'P' ? any | any >> 3 : any;
}

unsigned ScanLineMarks(std::string_view line) {
    const char* const data = line.data();
    const std::size_t size = line.size();
    unsigned marks = 0;
    ScanBytes(data, size, ByteSet('*', '$', 'H', '<'), [&](std::size_t at) {
        switch (data[at]) {
            case '*': marks |= kStar; break;
            case '$': marks |= DollarMarks(line, at); break;
            case 'H': marks |= size - at >= 2 && data[at + 1] == 'F' ? kHeaderWord : 0; break;
            default: marks |= line.substr(at, 6) == "<trkpt" ? kTrackPointTag : 0; break;
        }
        return true;
    });
    return marks;
}

// Adds the NMEA hits of one line with a star: each "$GP" followed by the
// sentence name, or with "accept every satellite system" each "$" and two
// capitals followed by it; with "skip sentences with a wrong checksum", only
// when the line's checksum is right.
void CountSentences(std::string_view line, unsigned marks, AnalysisCounts& counts, const SentenceRules& rules) {
    // A sentence without a checksum is legal NMEA: counted with "accept
    // every satellite system".
    if (!(marks & kStar) && !rules.anyTalker) return;
    const unsigned kinds = rules.anyTalker ? marks >> 3 : marks;
    const bool gga = kinds & kGga, gll = kinds & kGll, rmc = kinds & kRmc;
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

bool CountLine(std::string_view line, AnalysisCounts& counts, const SentenceRules& rules) {
    const unsigned marks = ScanLineMarks(line);
    // A line without marks (an IGC fix, say) has no sentence, header word or track point to count.
    if (marks != 0) {
        CountSentences(line, marks, counts, rules);
        if (marks & kHeaderWord) CountIgcHeader(line, counts, rules);
        if ((marks & kTrackPointTag) && Contains(line, "lat=") && Contains(line, "lon=")) ++counts.trackPoint;
    }
    if (line.size() >= 25 && line[0] == 'B' && line[24] == 'A') {
        ++counts.validFix;
        if (!counts.pressureAltitudeSeen) {
            counts.pressureAltitudeSeen = !FieldIsZeros(line, 25);
            counts.gnssAltitudeSeen = counts.gnssAltitudeSeen || (line.size() >= 35 && !FieldIsZeros(line, 30));
        }
    }
    return (marks & (kAnyRmc | kAnyZda)) != 0;
}

}  // namespace torvane
