#include "options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "convert/colours.h"
#include "output/ovl_document.h"
#include "convert/date_sources.h"

namespace torvane::cli {
namespace {

// A number of metres in plain decimal notation (no exponent), within the
// range the altitude dialog holds.
bool ParseAltitude(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    return result.ec == std::errc{} && result.ptr == last && std::isfinite(value) &&
           std::fabs(value) <= kAltitudeValueLimit;
}

bool ParseFlag(const std::string& text, std::optional<std::string>& flag) {
    if (text == "0" || text == "1") {
        flag = " " + text;
        return true;
    }
    return false;
}

}  // namespace

int OvlColourCode(const std::string& name) {
    for (std::size_t i = 0; i < kOvlColours.size(); ++i) {
        if (kOvlColours[i] == name) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string KmlColour(const std::string& text) {
    for (const auto& [name, colour] : kKmlColours) {
        if (name == text) return std::string(colour);
    }
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); })) {
        std::string lower = text;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower;
    }
    return {};
}

namespace {

bool TakesValue(const std::string& name) {
    static constexpr std::string_view kNames[] = {"--to", "--altitude-add", "--altitude-set", "-o", "--output",
                                                  "--kml-name", "--kml-description", "--kml-color", "--kml-extrude",
                                                  "--kml-tessellate", "--ovl-color", "--ovl-width", "--ovl-map-name",
                                                  "--date"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

// The command, argv[1]. False with `error` for an unknown one.
bool ParseCommand(const std::string& command, Options& o, std::string& error) {
    if (command == "--help" || command == "-h" || command == "help") {
        o.command = Command::Help;
    } else if (command == "--version") {
        o.command = Command::Version;
    } else if (command == "analyze") {
        o.command = Command::Analyze;
    } else if (command == "convert") {
        o.command = Command::Convert;
    } else if (command == "preview") {
        o.command = Command::Preview;
    } else {
        error = "unknown command '" + command + "'";
        return false;
    }
    return true;
}

// An option with its value. False with `error` for an unknown option or a
// value it does not take.
bool TakeValueOption(const std::string& name, const std::string& value, Options& o, bool& sawAltitude,
                     std::string& error) {
    if (name == "--to") {
        if (value == "table") o.outputType = OutputKind::Table;
        else if (value == "kml") o.outputType = OutputKind::KML;
        else if (value == "ovl") o.outputType = OutputKind::OVL;
        else if (value == "gpx") o.outputType = OutputKind::GPX;
        else if (value == "geojson") o.outputType = OutputKind::GeoJSON;
        else {
            error = "--to takes table, kml, ovl, gpx or geojson, not '" + value + "'";
            return false;
        }
    } else if (name == "--altitude-add" || name == "--altitude-set") {
        if (sawAltitude) {
            error = "give only one of --altitude-add and --altitude-set";
            return false;
        }
        sawAltitude = true;
        if (!ParseAltitude(value, o.altitudeValue)) {
            error = name + " takes a number of metres within -1000..1000, not '" + value + "'";
            return false;
        }
        o.altitudeMode = name == "--altitude-add" ? AltitudeMode::Add : AltitudeMode::SetFixed;
    } else if (name == "--date") {
        o.firstDate = IsoDateDays(value);
        if (!o.firstDate) {
            error = "--date takes a date YYYY-MM-DD, not '" + value + "'";
            return false;
        }
    } else if (name == "-o" || name == "--output") {
        if (value.empty()) {
            error = name + " takes a file name, not an empty one";
            return false;
        }
        o.outputPath = value;
    } else if (name == "--kml-name") {
        o.kmlName = value;
    } else if (name == "--kml-description") {
        o.kmlDescription = value;
    } else if (name == "--kml-color") {
        const std::string colour = KmlColour(value);
        if (colour.empty()) {
            error = "--kml-color takes yellow, red, magenta, blue, green or eight hex digits aabbggrr, not '" +
                    value + "'";
            return false;
        }
        o.kmlColor = colour;
    } else if (name == "--kml-extrude" || name == "--kml-tessellate") {
        if (!ParseFlag(value, name == "--kml-extrude" ? o.kmlExtrude : o.kmlTessellate)) {
            error = name + " takes 0 or 1, not '" + value + "'";
            return false;
        }
    } else if (name == "--ovl-color") {
        const int code = OvlColourCode(value);
        if (code == 0) {
            error = "--ovl-color takes red, green, blue, yellow, black, white, invisible, magenta or "
                    "turquoise, not '" + value + "'";
            return false;
        }
        o.ovlColour = code;
    } else if ((name == "--ovl-width" || name == "--ovl-map-name") && !IsOverlayValue(value)) {
        error = name + " takes text without line breaks";
        return false;
    } else if (name == "--ovl-width") {
        o.ovlWidth = value;
    } else if (name == "--ovl-map-name") {
        o.ovlMapName = value;
    } else {
        error = "unknown option '" + name + "'";
        return false;
    }
    return true;
}

// What the options say together. False with `error` where they do not fit.
bool CheckTogether(const Options& o, bool sawPositionOption, std::string& error) {
    if (o.files.empty()) {
        error = "no input file given";
        return false;
    }
    if (sawPositionOption && !o.summary && !o.report) {
        error = "analyze takes position options only with --summary or --report";
        return false;
    }
    if (o.command == Command::Preview && o.files.size() != 1) {
        error = "preview draws a single input file";
        return false;
    }
    if (o.outputPath && o.files.size() != 1) {
        error = "-o names the output of a single input file";
        return false;
    }
    if (o.decimalComma && o.outputType != OutputKind::Table) {
        error = "--decimal-comma applies to table output only";
        return false;
    }
    if (o.kmlTime && o.outputType != OutputKind::KML) {
        error = "--kml-time applies to KML output only";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    if (argc < 2) {
        error = "no command given";
        return false;
    }
    if (!ParseCommand(argv[1], o, error)) return false;
    if (o.command == Command::Help || o.command == Command::Version) return true;

    bool sawAltitude = false;
    bool sawPositionOption = false;
    bool onlyFiles = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "--any-talker") { o.anyTalker = true; continue; }
        if (arg == "--any-recorder") { o.anyRecorder = true; continue; }
        if (arg == "--verify-checksums") { o.verifyChecksums = true; continue; }
        if (arg == "--igc-gnss-altitude") { o.igcGnssAltitude = true; continue; }
        if (o.command == Command::Analyze && arg == "--summary") {
            o.summary = true;
            continue;
        }
        if (o.command != Command::Preview && arg == "--report") {
            o.report = true;
            continue;
        }
        // analyze and preview take only the options that change positions
        // (and preview its output's).
        const bool positionOption = arg == "--keep-zero-positions" || arg == "--fix-only" ||
                                    arg.rfind("--altitude-add", 0) == 0 ||
                                    arg.rfind("--altitude-set", 0) == 0 || arg.rfind("--date", 0) == 0;
        const bool previewOption = arg == "-o" || arg.rfind("--output", 0) == 0 || arg == "--overwrite";
        if (o.command == Command::Analyze && positionOption) sawPositionOption = true;
        if (o.command == Command::Analyze && arg == "--overwrite") {  // the GPX copy
            o.overwrite = true;
            continue;
        }
        if (o.command == Command::Analyze && !positionOption) {
            if (arg == "--help" || arg == "-h") {
                o.command = Command::Help;
                return true;
            }
            error = "unknown option '" + arg + "' for analyze";
            return false;
        }
        if (o.command == Command::Preview && !positionOption && !previewOption) {
            if (arg == "--help" || arg == "-h") {
                o.command = Command::Help;
                return true;
            }
            error = "unknown option '" + arg + "' for preview";
            return false;
        }
        // Options without a value.
        if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return true;
        }
        if (arg == "--decimal-comma") { o.decimalComma = true; continue; }
        if (arg == "--keep-zero-positions") { o.keepZeroPositions = true; continue; }
        if (arg == "--fix-only") { o.fixOnly = true; continue; }
        if (arg == "--overwrite") { o.overwrite = true; continue; }
        if (arg == "--kml-absolute") { o.kmlAbsolute = true; continue; }
        if (arg == "--kml-time") { o.kmlTime = true; continue; }

        // Options with a value: "--name VALUE" or "--name=VALUE".
        std::string name = arg;
        std::string value;
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        } else {
            if (!TakesValue(name)) {
                error = "unknown option '" + name + "'";
                return false;
            }
            if (i + 1 >= argc) {
                error = "option '" + arg + "' needs a value";
                return false;
            }
            value = argv[++i];
        }

        if (!TakeValueOption(name, value, o, sawAltitude, error)) return false;
    }

    return CheckTogether(o, sawPositionOption, error);
}

void ApplyAnalysisOptions(const Options& o, Settings& s) {
    s.AcceptAnyTalker = o.anyTalker;
    s.AcceptAnyRecorder = o.anyRecorder;
    s.VerifyChecksums = o.verifyChecksums;
    s.IgcGnssAltitude = o.igcGnssAltitude;
}

void ApplyOptions(const Options& o, Settings& s) {
    s.OutputType = o.outputType;
    s.UseDecimalComma = o.decimalComma;
    s.EliminateZeroPositions = !o.keepZeroPositions;
    s.SkipWithoutFix = o.fixOnly;
    if (o.altitudeMode) {
        s.AltitudeMode = *o.altitudeMode;
        s.AltitudeValue = HeldAltitudeValue(o.altitudeValue);
    }
    if (o.kmlName) s.KmlProperties[kKmlName] = *o.kmlName;
    if (o.kmlDescription) s.KmlProperties[kKmlDescription] = *o.kmlDescription;
    if (o.kmlColor) s.KmlProperties[kKmlLineColor] = *o.kmlColor;
    if (o.kmlExtrude) s.KmlProperties[kKmlExtrude] = *o.kmlExtrude;
    if (o.kmlTessellate) s.KmlProperties[kKmlTessellate] = *o.kmlTessellate;
    if (o.kmlAbsolute) s.KmlProperties[kKmlAltitudeMode] = "absolute";
    s.KmlTimeTrack = o.kmlTime;
    s.FirstPositionDate = o.firstDate;
    if (o.ovlColour) s.OvlProperties.colour = *o.ovlColour;
    if (o.ovlWidth) s.OvlProperties.lineWidth = *o.ovlWidth;
    if (o.ovlMapName) s.OvlProperties.mapName = *o.ovlMapName;
}

const std::string& UsageText() {
    static const std::string text = std::string(R"(Usage:
  torvane-cli analyze [--summary] [--report] FILE... [--any-talker] [--any-recorder]
                      [--verify-checksums] [--overwrite]
  torvane-cli convert FILE... [options]
  torvane-cli preview FILE [-o PATH] [--overwrite] [--date YYYY-MM-DD]
  torvane-cli --help | --version

analyze  recognises the data in each file (NMEA GGA/GLL/RMC, IGC, GPX) and
         prints the analysis message, the data type and the counts; with
         --summary also the track's figures (records, times, length, extent)
         of the records a table conversion would write; with --report
         the account of every line: how many became positions and why the
         others did not, with the first line numbers of each reason.
preview  draws the track, its altitude profile and its figures as an SVG
         document (default: the table output's name with ".svg").
         analyze --summary or --report and preview take
         --keep-zero-positions, --fix-only, --altitude-add, --altitude-set
         and --date as convert does.
convert  analyses each file and converts it; the output is written beside the
         input, named after it, the data type and the output type
         (track.nmea -> track_GGA.prn). GPX files are first copied with
         CR LF line ends to NAME_CRLF.gpx, and the copy is converted; a
         file of that name that holds another text is replaced only with
         --overwrite (analyze and preview too).

Options of analyze and convert:
  --any-talker              accept position sentences of every satellite
                            system ($GNGGA, $GLRMC, $GAGLL, ...) as $GP...,
                            and RMC with a navigational status field;
                            count the commas of the sentence alone (from
                            "$" to "*"), read GGA altitudes of one or two
                            characters, read UTF-16 logs with a byte-order
                            mark, take sentences without a "*hh" checksum
  --report                  after the analysis (convert: after the run),
                            account for every line of the log
  --any-recorder            recognise IGC files by their fixes: an A record
                            or an HFDTE line and at least two valid B
                            records, whatever the other header lines
  --verify-checksums        skip sentences whose "*hh" checksum is missing
                            or wrong (not counted, not converted)

Options of convert:
  --igc-gnss-altitude       IGC: write the GNSS altitude of each fix instead
                            of the pressure altitude
  --to table|kml|ovl|gpx|geojson
                            output type (default table); gpx (GPX 1.1) and
                            geojson (RFC 7946) carry each position's date
                            and time in UTC, as --kml-time does for KML
  --kml-time                KML: add a time track (KML 2.2 gx:Track with a
                            TimeSpan) that Google Earth's time slider plays
  --date YYYY-MM-DD         the date of the first position of a log that has
                            no date of its own (GGA or GLL alone, an IGC file
                            without HFDTE)
  --decimal-comma           write "," as decimal point (table only)
  --keep-zero-positions     keep invalid records and positions at 0,0
                            (by default they are eliminated)
  --fix-only                skip positions without a fix (GGA quality 0,
                            RMC and GLL status V)
  --altitude-add M          add M metres to every altitude (-1000..1000)
  --altitude-set M          set every altitude to M metres (-1000..1000)
  --overwrite               replace an existing output file without asking
  -o PATH                   write the output to PATH (one input file only)
  --kml-name TEXT           placemark name (default: the output file's name)
  --kml-description TEXT    placemark description
  --kml-color COLOUR        yellow, red, magenta, blue, green or aabbggrr
  --kml-extrude 0|1         extrude flag (default 1)
  --kml-tessellate 0|1      tessellate flag (default 1)
  --kml-absolute            altitude mode absolute (default relativeToGround)
  --ovl-color COLOUR        red, green, blue, yellow, black, white,
                            invisible, magenta or turquoise (default red)
  --ovl-width TEXT          line width in pixels (default 4)
  --ovl-map-name TEXT       map name (default ")") + std::string(kDefaultMapName) + R"(")

Dates: RMC's date field (yy below 80 is 20yy) and ZDA sentences date an NMEA
log, positions before the first date counted back from it; the HFDTE line
dates an IGC file; GPX times are taken with their zone and turned into UTC.
Where the time of day falls by more than 12 hours from one position to the
next, the day goes one on; a date the log gives resets the running day. A
log without a date gets no times (a line on standard error says so), never
the computer's clock.

Exit status: 0 when every file wrote at least one data set, 1 when a file
yielded none or was not recognised, 2 for usage errors and files that could
not be read or written (or whose run ran out of memory).
)";
    return text;
}

}  // namespace torvane::cli
