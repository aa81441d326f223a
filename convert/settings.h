// The one shared record: every value that the windows fill, that input
// analysis finds and that a conversion run reads and leaves behind, in
// three parts (the options, the reader's state, the run's totals). One
// instance per program (or per file on the command line), passed by
// reference; the names are those the rest of the system uses.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "convert/read/tcx_place.h"
#include "convert/read/xml_text.h"
#include "convert/shape/shape_options.h"
#include "output/measurements.h"
#include "output/position_line.h"

namespace torvane {

class FileCloser;

// What input analysis recognised. None before any successful analysis.
enum class DataKind { None, GPGGA, GPGLL, GPRMC, GPIGC, GPGXT, GPFIT, GPTCX };

// The altitude dialog holds its amount within -1000 to 1000 m.
inline constexpr double kAltitudeValueLimit = 1000;

// `value` held within that range, as AltitudeValue stores it.
float HeldAltitudeValue(double value);

// The map an overlay names until the user types another.
inline constexpr std::string_view kDefaultMapName = "Top. Karte 1:50.000 Nieders.";

// KmlProperties entries.
enum KmlEntry { kKmlName = 0, kKmlDescription, kKmlLineColor, kKmlExtrude, kKmlTessellate, kKmlAltitudeMode };

// What the overlay dialog sets: the line's colour and width and the map name.
struct OvlPropertiesRecord {
    int colour = 1;                                      // "Col=" of the symbol section: colour code 1 to 9
    std::string mapName = std::string(kDefaultMapName);  // "MapName=" of the map-position section
    std::string lineWidth = "4";                         // written right after "Size=10" of the symbol section
};

// The line-oriented GPX reader's state; it lasts across lines and runs.
// What the points so far gave is carried to the points after them that do
// not give their own; a value no point has given yet is empty (and read as
// the text "" or the number 0).
struct GpxPointStateRecord {
    bool InTrackPoint = false;
    // A "lat=" line of the current track point had fewer than four quotes:
    // its position is unknown and the point is not written.
    bool PositionMissing = false;
    std::optional<std::string> LonText, LatText;
    std::optional<double> EleValue;
    bool OwnElevation = false;  // the current track point gives its own elevation
    // The time's pieces, held as the numbers they were read as.
    struct TimePieces {
        double hour = 0, minute = 0, second = 0;
    };
    std::optional<TimePieces> Time;
    double TimeSeconds = 0;  // of the last point completed
    // The current track point's own time in UTC (milliseconds since
    // 1970-01-01) where it gives one with a date; never carried over.
    std::optional<std::int64_t> UtcTime;
    // What the current track point's extensions measured; never carried over.
    Measurements Measures;
    // Inside a comment or a CDATA section, which hold no track points.
    XmlMarkup Inside = XmlMarkup::Content;
};

// The threads a piece of work may use: when it reads its log in two parts
// at once (log_parts.h), and where it closes the files its outputs replace.
// A build without threads (TORVANE_ONE_PASS, the WebAssembly page) reads
// every log in one pass.
#ifdef TORVANE_ONE_PASS
inline constexpr std::uint64_t kPartsFromBytes = UINT64_MAX;
#else
// A megabyte takes a few milliseconds, a second thread and file a fraction of one.
inline constexpr std::uint64_t kPartsFromBytes = 1u << 20;
#endif
struct PartsRule {
    std::uint64_t fromBytes = kPartsFromBytes;  // logs of this size and more may split
    // A fault of the later part, to show that every failure of the parts
    // ends as one pass does: its thread cannot start, or the part fails.
    enum class Fault { None, CannotStart, Fails } fault = Fault::None;
    // Where a replaced output is closed for the last time, its space given
    // back (file_closer.h); none: within the replacing, on the run's thread.
    FileCloser* replacedFiles = nullptr;
};

// What the user and the analysis chose: read by a run, never changed by it.
struct RunOptions {
    // Files and user choices.
    std::string InputFilePath;
    std::string AnalysedFilePath;  // the file the last analysis read: for GPX, the file its copy was made from
    DataKind DataType = DataKind::None;
    OutputKind OutputType = OutputKind::None;
    std::string OutputFilePath;
    std::string OutputFileName;
    std::string IgcFlightDate;
    std::string IgcPilot;
    std::int64_t DetectedRecordCount = 0;

    // Options of the main window read by the record loop.
    bool UseDecimalComma = false;         // "Use comma as decimal point"
    bool EliminateZeroPositions = true;   // "Eliminate "Zero" positions"
    bool AcceptAnyTalker = false;         // "Accept every satellite system": $GN..., $GL..., ... count as $GP...
    bool VerifyChecksums = false;         // "Skip sentences with a wrong checksum"
    bool IgcGnssAltitude = false;         // "GNSS altitude (IGC)": positions 31-35 instead of 26-30
    bool AcceptAnyRecorder = false;       // "Accept every flight recorder": IGC with an A record or a date
                                          // line and two valid fixes, whatever its other header lines
    bool SkipWithoutFix = false;          // "Skip positions without a fix": GGA quality 0, RMC and GLL
                                          // status V give no position

    // Options of the dated outputs (GPX, GeoJSON and KML with its time track).
    bool KmlTimeTrack = false;                      // "Times for the time slider"
    std::optional<std::int64_t> FirstPositionDate;  // "Date of the first position", days since 1970-01-01,
                                                    // for a log without a date of its own

    // The track's shape: crop, shift, split, simplify (GPX, GeoJSON and KML
    // with its time track).
    ShapeOptions Shape;

    // Property tables.
    std::array<std::string, 6> KmlProperties{};
    OvlPropertiesRecord OvlProperties;
    float AltitudeValue = 0;
    torvane::AltitudeMode AltitudeMode = torvane::AltitudeMode::NeverSet;

    PartsRule Parts;
    // For a TCX log of the parts' size: where the analysis saw the first
    // trackpoint open at or after its middle, with the reader's state there
    // (a conversion may start its later part from it, and checks that its
    // first part ends in that very state); none otherwise.
    std::shared_ptr<const TcxReaderPlace> TcxMiddle;
};

// What the readers of a log carry from line to line, and from run to run:
// the GPX reader's state. A part of a log read on its own starts with the
// state one pass has there.
struct ReaderState {
    GpxPointStateRecord GpxPointState;
};

// What a run adds up over its records.
struct RunTotals {
    std::int64_t RecordCount = 0;
    OverlayBounds OverlayExtent;

    // Adds the totals of the records that follow these.
    void Merge(const RunTotals& later) {
        RecordCount += later.RecordCount;
        OverlayExtent.Include(later.OverlayExtent);
    }
};

// The one shared record of the windows, the analysis and the runs, in its
// three parts; its fields are named as the rest of the system names them.
struct Settings : RunOptions, ReaderState, RunTotals {};

}  // namespace torvane
