// The kinds of input the system reads, one row each: everything that
// differs from kind to kind outside its reader stands here, so that a new
// kind is a row, a reader and a test.
#pragma once

#include <cstdint>
#include <string_view>

#include "convert/recognise/line_counts.h"
#include "convert/settings.h"

namespace torvane {

// Which reader turns the kind's lines into positions (convert/read/).
enum class ReaderFamily { None, NmeaSentence, IgcFix, GpxTrackPoint };

// Where the kind's positions get their dates (convert/dates/).
enum class DateSource {
    None,
    NmeaSentences,  // RMC and ZDA sentences give the date of the positions after them
    IgcHeader,      // the HFDTE header line gives the flight's date
    OwnTime,        // each position carries its own date and time
};

// Where a log of the kind may be split to be read in two parts at once.
enum class SplitRule {
    None,         // never: read in one pass
    AtLine,       // at any line near the middle
    AtTrackPoint, // at a track point's opening line, with the reader's state there
};

struct InputKind {
    DataKind kind;
    std::string_view word;      // the data type word ("GPGGA"); its last three letters name outputs
    std::string_view found;     // the analysis message: what was found, and what to do next
    std::int64_t AnalysisCounts::*count;  // the analysis's count of the kind's lines
    ReaderFamily reader;
    DateSource dates;
    SplitRule split;
    bool carriesAltitude;              // its positions have an altitude of their own
    std::string_view kmlDescription;   // the KML description's start
    bool kmlNamesFlight;               // ... which goes on with the flight's date and pilot
    std::string_view lineWord;         // what the account of lines calls one of its lines
    std::string_view withoutFix;       // how a position without a fix shows, for NMEA
};

// The row of `kind`; DataKind::None has a row of its own (nothing found).
const InputKind& InputKindOf(DataKind kind);

// "GPGGA", ... ; "" for None.
inline std::string_view DataTypeWord(DataKind kind) { return InputKindOf(kind).word; }

// Whether `kind` is one of the NMEA sentence kinds.
inline bool IsNmea(DataKind kind) { return InputKindOf(kind).reader == ReaderFamily::NmeaSentence; }

}  // namespace torvane
