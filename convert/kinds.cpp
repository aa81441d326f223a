#include "convert/kinds.h"

#include <array>

namespace torvane {
namespace {

constexpr std::array<InputKind, 6> kInputKinds{{
    {.kind = DataKind::None,
     .word = "",
     .found = "",
     .count = nullptr,
     .reader = ReaderFamily::None,
     .dates = DateSource::None,
     .split = SplitRule::None,
     .carriesAltitude = false,
     .kmlDescription = "",
     .kmlNamesFlight = false,
     .lineWord = "",
     .withoutFix = ""},
    {.kind = DataKind::GPGGA,
     .word = "GPGGA",
     .found = "NMEA GPGGA data found. \r\nSelect options then press START. ",
     .count = &AnalysisCounts::gga,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = true,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "GGA",
     .withoutFix = "quality 0"},
    {.kind = DataKind::GPGLL,
     .word = "GPGLL",
     .found = "NMEA GPGLL data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::gll,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = false,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "GLL",
     .withoutFix = "status V"},
    {.kind = DataKind::GPRMC,
     .word = "GPRMC",
     .found = "NMEA GPRMC data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::rmc,
     .reader = ReaderFamily::NmeaSentence,
     .dates = DateSource::NmeaSentences,
     .split = SplitRule::AtLine,
     .carriesAltitude = false,
     .kmlDescription = "GPS data path",
     .kmlNamesFlight = false,
     .lineWord = "RMC",
     .withoutFix = "status V"},
    {.kind = DataKind::GPIGC,
     .word = "GPIGC",
     .found = "IGC data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::validFix,
     .reader = ReaderFamily::IgcFix,
     .dates = DateSource::IgcHeader,
     .split = SplitRule::AtLine,
     .carriesAltitude = true,
     .kmlDescription = "Flight recorder (IGC) path,  Flight date: ",
     .kmlNamesFlight = true,
     .lineWord = "fix",
     .withoutFix = ""},
    {.kind = DataKind::GPGXT,
     .word = "GPGXT",
     .found = "GPX TRK data found. " "\r\nChose output file type and options then press START. ",
     .count = &AnalysisCounts::trackPoint,
     .reader = ReaderFamily::GpxTrackPoint,
     .dates = DateSource::OwnTime,
     .split = SplitRule::AtTrackPoint,
     .carriesAltitude = true,
     .kmlDescription = "GPX track path",
     .kmlNamesFlight = false,
     .lineWord = "track point",
     .withoutFix = ""},
}};

}  // namespace

const InputKind& InputKindOf(DataKind kind) {
    for (const InputKind& row : kInputKinds) {
        if (row.kind == kind) return row;
    }
    return kInputKinds[0];
}

}  // namespace torvane
