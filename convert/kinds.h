// The kinds of input the system reads and of output it writes, one row
// each: everything that differs from kind to kind outside its reader or
// writer stands here, so that a new kind is a row, a reader (or a writer)
// and a test.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "convert/recognise/line_counts.h"
#include "convert/settings.h"

namespace torvane {

// Which reader turns the kind's lines into positions (convert/read/).
enum class ReaderFamily { None, NmeaSentence, IgcFix, GpxTrackPoint, FitFile, TcxFile };

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
    AtNotedTrackpoint,  // at the trackpoint the analysis noted near the middle, with the reader's state there
};

struct InputKind {
    DataKind kind;
    std::string_view word;      // the data type word ("GPGGA"); its last three letters name outputs
    std::string_view format;    // the name of its file format for people ("NMEA 0183"), where the page lists them
    std::string_view found;     // the analysis message: what was found, and what to do next
    std::int64_t AnalysisCounts::*count;  // the analysis's count of the kind's lines
    ReaderFamily reader;
    DateSource dates;
    SplitRule split;
    bool carriesAltitude;              // its positions have an altitude of their own
    bool carriesMeasurements;          // ... and may have heart rate, cadence, power or temperature
    // A GPX output reads the log twice, first for what its header tells of
    // the track, rather than write its points beside the output and copy
    // them in: a log never split, read again for less than its track costs
    // to write twice (FIT: a few bytes a point, 13 times as many in GPX;
    // TCX's reading costs more than its copy).
    bool gpxFrameFirst;
    std::string_view kmlDescription;   // the KML description's start
    bool kmlNamesFlight;               // ... which goes on with the flight's date and pilot
    std::string_view lineWord;         // what the account of lines calls one of its lines
    std::string_view withoutFix;       // how a position without a fix shows, for NMEA
};

// The row of `kind`; DataKind::None has a row of its own (nothing found).
const InputKind& InputKindOf(DataKind kind);

// Every row, None's first.
std::span<const InputKind> InputKinds();

// "GPGGA", ... ; "" for None.
inline std::string_view DataTypeWord(DataKind kind) { return InputKindOf(kind).word; }

// Whether `kind` is one of the NMEA sentence kinds.
inline bool IsNmea(DataKind kind) { return InputKindOf(kind).reader == ReaderFamily::NmeaSentence; }

// Which writer writes an output kind (convert/write/).
enum class WriterFamily {
    None,
    PathLines,   // a line a position, between a header and a trailer: table, KML path, overlay
    DatedTrack,  // positions with their dates: GPX, GeoJSON (and KML with its time track)
};

struct OutputKindRow {
    OutputKind kind;
    std::string_view name;       // its word for --to and the page ("table")
    std::string_view extension;  // of the output's name ("prn")
    WriterFamily writer;
    bool timeTrackOption;        // "Times for the time slider" makes it a dated track
};

// The row of `kind`; OutputKind::None has a row of its own.
const OutputKindRow& OutputKindOf(OutputKind kind);

// The kind named `name` ("table", "kml", ...); None for no kind's name.
OutputKind OutputKindNamed(std::string_view name);

// Whether `s` asks for a dated output: GPX, GeoJSON, or KML with its time track.
inline bool IsDatedOutput(const Settings& s) {
    const OutputKindRow& row = OutputKindOf(s.OutputType);
    return row.writer == WriterFamily::DatedTrack || (row.timeTrackOption && s.KmlTimeTrack);
}

}  // namespace torvane
