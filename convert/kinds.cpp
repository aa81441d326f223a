#include "convert/kinds.h"

#include <array>

namespace torvane {
namespace {

constexpr std::array<InputKind, 8> kInputKinds{{
    {.kind = DataKind::None,
     .word = "",
     .format = "",
     .found = "",
     .count = nullptr,
     .reader = ReaderFamily::None,
     .dates = DateSource::None,
     .split = SplitRule::None,
     .carriesAltitude = false,
     .carriesMeasurements = false,
     .gpxFrameFirst = false,
     .kmlDescription = "",
     .kmlNamesFlight = false,
     .lineWord = "",
     .withoutFix = ""},
    {.kind = DataKind::GPGGA,
     .word = "GPGGA",
     .format = "NMEA 0183",
     .found = "NMEA GPGGA data found. \r\nSelect options then press START. ",
     .count = &AnalysisCounts::gga,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = true,
     .carriesMeasurements = false,
     .gpxFrameFirst = false,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "GGA",
     .withoutFix = "quality 0"},
    {.kind = DataKind::GPGLL,
     .word = "GPGLL",
     .format = "NMEA 0183",
     .found = "NMEA GPGLL data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::gll,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = false,
     .carriesMeasurements = false,
     .gpxFrameFirst = false,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "GLL",
     .withoutFix = "status V"},
    {.kind = DataKind::GPRMC,
     .word = "GPRMC",
     .format = "NMEA 0183",
     .found = "NMEA GPRMC data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::rmc,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = false,
     .carriesMeasurements = false,
     .gpxFrameFirst = false,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "RMC",
     .withoutFix = "status V"},
    {.kind = DataKind::GPIGC,
     .word = "GPIGC",
     .format = "IGC",
     .found = "IGC data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::validFix,
     .reader = ReaderFamily::IgcFix,
     .dates = DateSource::IgcHeader,
     .split = SplitRule::AtLine,
     .carriesAltitude = true,
     .carriesMeasurements = false,
     .gpxFrameFirst = false,
     .kmlDescription = "Flight recorder (IGC) path,  Flight date: ",
     .kmlNamesFlight = true,
     .lineWord = "fix",
     .withoutFix = ""},
    {.kind = DataKind::GPGXT,
     .word = "GPGXT",
     .format = "GPX",
     .found = "GPX TRK data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::trackPoint,
     .reader = ReaderFamily::GpxTrackPoint,
     .dates = DateSource::OwnTime,
     .split = SplitRule::AtTrackPoint,
     .carriesAltitude = true,
     .carriesMeasurements = true,
     .gpxFrameFirst = false,
     .kmlDescription = "GPX track path",
     .kmlNamesFlight = false,
     .lineWord = "track point",
     .withoutFix = ""},
    {.kind = DataKind::GPFIT,
     .word = "GPFIT",
     .format = "FIT",
     .found = "FIT data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::fitPosition,
     .reader = ReaderFamily::FitFile,
     .dates = DateSource::OwnTime,
     .split = SplitRule::None,
     .carriesAltitude = true,
     .carriesMeasurements = true,
     .gpxFrameFirst = true,
     .kmlDescription = "FIT activity path",
     .kmlNamesFlight = false,
     .lineWord = "record message",
     .withoutFix = ""},
    // Where a trackpoint starts cannot be told from the middle of a file
    // without the elements open around it: the analysis, which reads the
    // whole file, notes them at a trackpoint near the middle.
    {.kind = DataKind::GPTCX,
     .word = "GPTCX",
     .format = "TCX",
     .found = "TCX data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::tcxPosition,
     .reader = ReaderFamily::TcxFile,
     .dates = DateSource::OwnTime,
     .split = SplitRule::AtNotedTrackpoint,
     .carriesAltitude = true,
     .carriesMeasurements = true,
     .gpxFrameFirst = false,
     .kmlDescription = "TCX activity path",
     .kmlNamesFlight = false,
     .lineWord = "trackpoint",
     .withoutFix = ""},
}};

constexpr std::array<OutputKindRow, 6> kOutputKinds{{
    {.kind = OutputKind::None, .name = "", .extension = "", .writer = WriterFamily::None, .timeTrackOption = false},
    {.kind = OutputKind::Table,
     .name = "table",
     .extension = "prn",
     .writer = WriterFamily::PathLines,
     .timeTrackOption = false},
    {.kind = OutputKind::KML, .name = "kml", .extension = "kml", .writer = WriterFamily::PathLines, .timeTrackOption = true},
    {.kind = OutputKind::OVL, .name = "ovl", .extension = "ovl", .writer = WriterFamily::PathLines, .timeTrackOption = false},
    {.kind = OutputKind::GPX, .name = "gpx", .extension = "gpx", .writer = WriterFamily::DatedTrack, .timeTrackOption = false},
    {.kind = OutputKind::GeoJSON,
     .name = "geojson",
     .extension = "geojson",
     .writer = WriterFamily::DatedTrack,
     .timeTrackOption = false},
}};

// The rows stand in the order of their kinds, so that a kind finds its row
// at once.
template <class Rows>
constexpr bool InKindOrder(const Rows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<std::size_t>(rows[i].kind) != i) return false;
    }
    return true;
}
static_assert(InKindOrder(kInputKinds) && InKindOrder(kOutputKinds));

}  // namespace

const OutputKindRow& OutputKindOf(OutputKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < kOutputKinds.size() ? kOutputKinds[at] : kOutputKinds[0];
}

OutputKind OutputKindNamed(std::string_view name) {
    for (const OutputKindRow& row : kOutputKinds) {
        if (!name.empty() && row.name == name) return row.kind;
    }
    return OutputKind::None;
}

std::span<const InputKind> InputKinds() { return kInputKinds; }

const InputKind& InputKindOf(DataKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < kInputKinds.size() ? kInputKinds[at] : kInputKinds[0];
}

}  // namespace torvane
