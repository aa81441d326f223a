#include "options.h"

#include "option_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "convert/colours.h"
#include "convert/dates/date_sources.h"
#include "frontend/shape_fields.h"
#include "output/ovl_document.h"

namespace torvane::frontend {
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
    switch (FindShapeConflict(o.shape, o.outputType, o.kmlTime)) {
        case ShapeConflict::SplitWithoutPieces:
            error = "--split-gap and --split-day apply only to the outputs that hold pieces: GPX, GeoJSON and the KML "
                    "time track (--kml-time)";
            return false;
        case ShapeConflict::ShiftWithoutTimes:
            error = "--time-shift applies only to the outputs that hold times: the table, GPX, GeoJSON and the KML "
                    "time track (--kml-time)";
            return false;
        case ShapeConflict::FromAfterUntil:
            error = "--from is later than --until";
            return false;
        case ShapeConflict::None:
            break;
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

    ParseState state;
    bool sawPositionOption = false;
    bool onlyFiles = false;
    const unsigned command = o.command == Command::Analyze ? kAnalyze
                             : o.command == Command::Preview ? kPreview
                                                              : kConvert;
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
        if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return true;
        }
        // "--name VALUE" or "--name=VALUE".
        std::string name = arg;
        std::optional<std::string> given;
        if (const std::size_t equals = arg.find('='); equals != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, equals);
            given = arg.substr(equals + 1);
        }
        const OptionSpec* spec = FindOption(name);
        if (spec == nullptr || (spec->commands & command) == 0 || (given && spec->valueName.empty())) {
            if (o.command == Command::Analyze) error = "unknown option '" + arg + "' for analyze";
            else if (o.command == Command::Preview) error = "unknown option '" + arg + "' for preview";
            else error = "unknown option '" + name + "'";
            return false;
        }
        if (o.command == Command::Analyze && spec->position) sawPositionOption = true;
        std::string value;
        if (!spec->valueName.empty()) {
            if (given) {
                value = *given;
            } else if (i + 1 >= argc) {
                error = "option '" + arg + "' needs a value";
                return false;
            } else {
                value = argv[++i];
            }
        }
        if (!spec->take(o, name, value, state, error)) return false;
    }

    return CheckTogether(o, sawPositionOption, error);
}

void ApplyAnalysisOptions(const Options& o, Settings& s) {
    s.AcceptAnyTalker = o.anyTalker;
    s.AcceptAnyRecorder = o.anyRecorder;
    s.VerifyChecksums = o.verifyChecksums;
    s.IgcGnssAltitude = o.igcGnssAltitude;
}

std::string AnalysisOptionsKey(const Options& o) {
    const auto bit = [](bool on) { return on ? '1' : '0'; };
    return {bit(o.anyTalker), bit(o.anyRecorder), bit(o.verifyChecksums), bit(o.igcGnssAltitude)};
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
    s.Shape = o.shape;
}

const std::string& UsageText() {
    static const std::string text = std::string(R"(Usage:
  torvane-cli analyze [--summary] [--report] FILE... [--any-talker] [--any-recorder]
                      [--verify-checksums] [--overwrite]
  torvane-cli convert FILE... [options]
  torvane-cli preview FILE [-o PATH] [--overwrite] [--date YYYY-MM-DD]
  torvane-cli --help | --version

analyze  recognises the data in each file (NMEA GGA/GLL/RMC, IGC, GPX, FIT,
         TCX) and prints the analysis message, the data type and the
         counts; with --summary also the track's figures (records, times,
         length, extent) of the records a table conversion would write; with
         --report the account of every line: how many became positions and
         why the others did not, with the first line numbers of each reason.
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
)") + OptionsHelp(OptionGroup::AnalyzeAndConvert) + R"(
Options of convert:
)" + OptionsHelp(OptionGroup::Convert) + R"(
Shaping the track (convert, GPX and GeoJSON output): the options apply in
this order, whatever order they are given in: crop (--from, --until), shift,
split, simplify (or limit).
)" + OptionsHelp(OptionGroup::Shape) + R"(
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

}  // namespace torvane::frontend
