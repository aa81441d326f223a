#include "option_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "convert/dates/date_sources.h"
#include "convert/kinds.h"
#include "frontend/shape_fields.h"
#include "output/ovl_document.h"

namespace torvane::frontend {
namespace {

constexpr unsigned kEvery = kAnalyze | kConvert | kPreview;
constexpr unsigned kRuns = kConvert | kPreview;

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

// An option without a value that sets one member.
template <bool Options::*Member>
bool Set(Options& o, const std::string&, const std::string&, ParseState&, std::string&) {
    o.*Member = true;
    return true;
}

bool TakeOutputType(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    const OutputKind kind = OutputKindNamed(value);
    if (kind == OutputKind::None) {
        error = "--to takes table, kml, ovl, gpx or geojson, not '" + value + "'";
        return false;
    }
    o.outputType = kind;
    return true;
}

bool TakeAltitude(Options& o, const std::string& name, const std::string& value, ParseState& state,
                  std::string& error) {
    if (state.sawAltitude) {
        error = "give only one of --altitude-add and --altitude-set";
        return false;
    }
    state.sawAltitude = true;
    if (!ParseAltitude(value, o.altitudeValue)) {
        error = name + " takes a number of metres within -1000..1000, not '" + value + "'";
        return false;
    }
    o.altitudeMode = name == "--altitude-add" ? AltitudeMode::Add : AltitudeMode::SetFixed;
    return true;
}

bool TakeDate(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    o.firstDate = IsoDateDays(value);
    if (!o.firstDate) {
        error = "--date takes a date YYYY-MM-DD, not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeOutputPath(Options& o, const std::string& name, const std::string& value, ParseState&, std::string& error) {
    if (value.empty()) {
        error = name + " takes a file name, not an empty one";
        return false;
    }
    o.outputPath = value;
    return true;
}

// An option whose value is kept as text.
template <std::optional<std::string> Options::*Member>
bool Keep(Options& o, const std::string&, const std::string& value, ParseState&, std::string&) {
    o.*Member = value;
    return true;
}

bool TakeKmlColour(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    const std::string colour = KmlColour(value);
    if (colour.empty()) {
        error = "--kml-color takes yellow, red, magenta, blue, green or eight hex digits aabbggrr, not '" + value +
                "'";
        return false;
    }
    o.kmlColor = colour;
    return true;
}

template <std::optional<std::string> Options::*Member>
bool TakeKmlFlag(Options& o, const std::string& name, const std::string& value, ParseState&, std::string& error) {
    if (!ParseFlag(value, o.*Member)) {
        error = name + " takes 0 or 1, not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeOvlColour(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    const int code = OvlColourCode(value);
    if (code == 0) {
        error = "--ovl-color takes red, green, blue, yellow, black, white, invisible, magenta or turquoise, not '" +
                value + "'";
        return false;
    }
    o.ovlColour = code;
    return true;
}

// The overlay's line width and map name: one line of text each.
template <std::optional<std::string> Options::*Member>
bool TakeOverlayText(Options& o, const std::string& name, const std::string& value, ParseState&,
                     std::string& error) {
    if (!IsOverlayValue(value)) {
        error = name + " takes text without line breaks";
        return false;
    }
    o.*Member = value;
    return true;
}

bool TakeSimplify(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    if (!ReadShapeField(ShapeField::Simplify, value, o.shape)) {
        error = "--simplify takes a distance in metres above 0, not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeMaxPoints(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    if (!ReadShapeField(ShapeField::MaxPoints, value, o.shape)) {
        error = "--max-points takes a whole number above 0, not '" + value + "'";
        return false;
    }
    return true;
}

// --from and --until: a time with its zone.
bool TakeCropTime(Options& o, const std::string& name, const std::string& value, ParseState&, std::string& error) {
    if (!ReadShapeField(name == "--from" ? ShapeField::From : ShapeField::Until, value, o.shape)) {
        error = name + " takes a time YYYY-MM-DDThh:mm:ss with its zone (Z or +hh:mm), not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeTimeShift(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    if (!ReadShapeField(ShapeField::TimeShift, value, o.shape)) {
        error = "--time-shift takes [+-]hh:mm:ss, not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeSplitGap(Options& o, const std::string&, const std::string& value, ParseState&, std::string& error) {
    if (!ReadShapeField(ShapeField::SplitGap, value, o.shape)) {
        error = "--split-gap takes a duration above 0 (hh:mm:ss, or a number with s, m or h), not '" + value + "'";
        return false;
    }
    return true;
}

bool TakeSplitDay(Options& o, const std::string&, const std::string&, ParseState&, std::string&) {
    o.shape.splitDay = true;
    return true;
}

using G = OptionGroup;

constexpr OptionSpec kOptions[] = {
    {"--any-talker", "", "", "", kEvery, false, G::AnalyzeAndConvert,
     "accept position sentences of every satellite system ($GNGGA, $GLRMC, $GAGLL, ...) as $GP..., and RMC with a "
     "navigational status field; count the commas of the sentence alone (from \"$\" to \"*\"), read GGA altitudes "
     "of one or two characters, read UTF-16 logs with a byte-order mark, take sentences without a \"*hh\" checksum",
     R"(Accepts the position sentences of every satellite system
($GN, $GL, $GA, $GB, $BD, $GQ, $IN ... GGA, GLL, RMC), not only $GP,
and RMC sentences with the navigational status field of NMEA 4.10.
Counts and splits the commas of the sentence alone, from its $ to its *,
so that a prefix, a suffix or binary bytes on its line change nothing
(Android's GNSS logger, u-blox receivers); reads GGA altitudes of one or
two characters (marine receivers); reads logs saved as UTF-16 with a
byte-order mark as their text; takes sentences without a *hh checksum
(legal NMEA, written by timing receivers and ship systems).)",
     Set<&Options::anyTalker>},
    {"--any-recorder", "", "", "", kEvery, false, G::AnalyzeAndConvert,
     "recognise IGC files by their fixes: an A record or an HFDTE line and at least two valid B records, whatever "
     "the other header lines",
     R"(Recognises an IGC file by its fixes: a file that starts with an A record or
holds an HFDTE line, and holds at least two valid B records, whatever its
other header lines (flight apps such as XCTrack, small recorders).)",
     Set<&Options::anyRecorder>},
    {"--verify-checksums", "", "", "", kEvery, false, G::AnalyzeAndConvert,
     "skip sentences whose \"*hh\" checksum is missing or wrong (not counted, not converted)", "",
     Set<&Options::verifyChecksums>},
    {"--report", "", "", "", kAnalyze | kConvert, false, G::AnalyzeAndConvert,
     "after the analysis (convert: after the run), account for every line of the log",
     R"(After the analysis (\fBconvert\fR: after the run), accounts for every line of
the log: how many became positions and, for each reason why the others did
not (a field too short, too few or too many commas, a wrong checksum, a
position at 0,0 eliminated, a position without a fix, a line of another
kind, ...), how many and the first line numbers. The counts add up to the
lines of the file. \fBanalyze \-\-report\fR takes the options of convert
that change which positions are written.)",
     Set<&Options::report>},
    {"--summary", "", "", "", kAnalyze, false, G::AnalyzeAndConvert,
     "analyze: also the track's figures (records, times, length, extent, climb, moving time, speeds)",
     R"(Also prints the track's figures, the lines
.BR records: ", " start: ", " end: ", " duration: ", " length_m: ,
.BR lat_min: ", " lat_max: ", " lon_min: ", " lon_max: ,
.BR alt_min: ", " alt_max: ,
then the figures that say how they were counted:
.BR climb_m: " and " descent_m:
(a turn counted once the altitude comes back more than 5 m,
.BR climb_rule: ),
.B moving_time:
(the steps between consecutive timed positions faster than 1 km/h,
.BR moving_rule: ),
.B speed_max_kmh:
(the fastest step) and
.B speed_avg_kmh:
(the moving distance over the moving time,
.BR speed_avg_rule: ).
A position without an altitude or a time is left out of that figure.)",
     Set<&Options::summary>},
    {"--igc-gnss-altitude", "", "", "", kEvery, false, G::Convert,
     "IGC: write the GNSS altitude of each fix instead of the pressure altitude",
     R"(Takes the GNSS altitude of IGC fixes instead of the pressure altitude:
\fBconvert\fR writes it, \fBpreview\fR draws it.)",
     Set<&Options::igcGnssAltitude>},
    {"--to", "", "table|kml|ovl|gpx|geojson", "table kml ovl gpx geojson", kConvert, false, G::Convert,
     "output type (default table); gpx (GPX 1.1) and geojson (RFC 7946) carry each position's date and time in "
     "UTC, as --kml-time does for KML",
     R"(Output type (default table).
.B gpx
writes a GPX 1.1 track (NAME_GGA.gpx; a GPX input's copy NAME_CRLF.gpx gives
NAME_CRLF_GXT.gpx),
.B geojson
an RFC 7946 FeatureCollection with one LineString and the time of each
coordinate (NAME_GGA.geojson). Both carry each position's date and time in
UTC (see DATES).)",
     TakeOutputType},
    {"--kml-time", "", "", "", kConvert, false, G::Convert,
     "KML: add a time track (KML 2.2 gx:Track with a TimeSpan) that Google Earth's time slider plays",
     R"(With
.BR "\-\-to kml" :
a KML 2.2 document whose path is followed by a time track (a TimeSpan and a
gx:Track of every time, then every coordinate) that Google Earth's time
slider plays.)",
     Set<&Options::kmlTime>},
    {"--date", "", "YYYY-MM-DD", "", kEvery, true, G::Convert,
     "the date of the first position of a log that has no date of its own (GGA or GLL alone, an IGC file without "
     "HFDTE)",
     "", TakeDate},
    {"--decimal-comma", "", "", "", kConvert, false, G::Convert, "write \",\" as decimal point (table only)",
     R"(Writes \(lq,\(rq as the decimal point (table only).)", Set<&Options::decimalComma>},
    {"--keep-zero-positions", "", "", "", kEvery, true, G::Convert,
     "keep invalid records and positions at 0,0 (by default they are eliminated)", "",
     Set<&Options::keepZeroPositions>},
    {"--fix-only", "", "", "", kEvery, true, G::Convert,
     "skip positions without a fix (GGA quality 0, RMC and GLL status V)", "", Set<&Options::fixOnly>},
    {"--altitude-add", "", "M", "", kEvery, true, G::Convert, "add M metres to every altitude (-1000..1000)",
     R"(Adds \fIM\fR metres to every altitude (\-1000 to 1000).)", TakeAltitude},
    {"--altitude-set", "", "M", "", kEvery, true, G::Convert, "set every altitude to M metres (-1000..1000)",
     R"(Sets every altitude to \fIM\fR metres (\-1000 to 1000).
Only one of the two altitude options may be given.)",
     TakeAltitude},
    {"--overwrite", "", "", "", kEvery, false, G::Convert, "replace an existing output file without asking",
     R"(Replaces an existing output file (\fBpreview\fR: picture), or a GPX copy
of another text, without asking.)",
     Set<&Options::overwrite>},
    {"--output", "-o", "PATH", "", kRuns, false, G::Convert, "write the output to PATH (one input file only)",
     R"(Writes the output (\fBpreview\fR: the picture) to \fIPATH\fR (one input
file only).)",
     TakeOutputPath},
    {"--kml-name", "", "TEXT", "", kConvert, false, G::Convert, "placemark name (default: the output file's name)",
     "", Keep<&Options::kmlName>},
    {"--kml-description", "", "TEXT", "", kConvert, false, G::Convert, "placemark description", "",
     Keep<&Options::kmlDescription>},
    {"--kml-color", "", "COLOUR", "yellow red magenta blue green", kConvert, false, G::Convert,
     "yellow, red, magenta, blue, green or aabbggrr",
     R"(Yellow, red, magenta, blue, green or eight hex digits \fIaabbggrr\fR.)", TakeKmlColour},
    {"--kml-extrude", "", "0|1", "0 1", kConvert, false, G::Convert, "extrude flag (default 1)", "",
     TakeKmlFlag<&Options::kmlExtrude>},
    {"--kml-tessellate", "", "0|1", "0 1", kConvert, false, G::Convert, "tessellate flag (default 1)", "",
     TakeKmlFlag<&Options::kmlTessellate>},
    {"--kml-absolute", "", "", "", kConvert, false, G::Convert, "altitude mode absolute (default relativeToGround)",
     "", Set<&Options::kmlAbsolute>},
    {"--ovl-color", "", "COLOUR", "red green blue yellow black white invisible magenta turquoise", kConvert, false,
     G::Convert, "red, green, blue, yellow, black, white, invisible, magenta or turquoise (default red)", "",
     TakeOvlColour},
    {"--ovl-width", "", "TEXT", "", kConvert, false, G::Convert, "line width in pixels (default 4)", "",
     TakeOverlayText<&Options::ovlWidth>},
    {"--ovl-map-name", "", "TEXT", "", kConvert, false, G::Convert,
     "map name (default \"{map}\")", R"(Map name (default \(lq{map}\(rq).)", TakeOverlayText<&Options::ovlMapName>},
    {"--from", "", "TIME", "", kConvert, false, G::Shape,
     "keep the positions at TIME (YYYY-MM-DDThh:mm:ss with Z or +hh:mm) and after, by the times the log gives",
     R"(Keeps the positions at \fITIME\fR (\fIYYYY\-MM\-DD\fBT\fIhh:mm:ss\fR with
\fBZ\fR or \fB+\fIhh:mm\fR) and after, by the times the log gives.
The shaping options (\fB\-\-from\fR, \fB\-\-until\fR, \fB\-\-time\-shift\fR,
\fB\-\-split\-gap\fR, \fB\-\-split\-day\fR, \fB\-\-simplify\fR,
\fB\-\-max\-points\fR) apply in one fixed order whatever order
they are given in: crop, shift, split, simplify.
A piece of a split is a GPX track segment, a line of a GeoJSON
MultiLineString or a \fBgx:Track\fR of the KML time track's
\fBgx:MultiTrack\fR; the table, the KML path and the overlay hold no
pieces (a split is a usage error there) and no times but the table's
(\fB\-\-time\-shift\fR is one for the KML path and the overlay).
Cropping, shifting and splitting need dated positions.)",
     TakeCropTime},
    {"--until", "", "TIME", "", kConvert, false, G::Shape, "keep the positions up to TIME and at it", "",
     TakeCropTime},
    {"--time-shift", "", "[+-]hh:mm:ss", "", kConvert, false, G::Shape,
     "move every time by the given hours, minutes and seconds (a clock that was off)", "", TakeTimeShift},
    {"--split-gap", "", "DURATION", "", kConvert, false, G::Shape,
     "start a new track segment after a pause longer than DURATION (hh:mm:ss, or 90s, 15m, 2h): a GPX track segment or a GeoJSON line each", "",
     TakeSplitGap},
    {"--split-day", "", "", "", kConvert, false, G::Shape,
     "start a new track segment where a new UTC day begins", "", TakeSplitDay},
    {"--simplify", "", "METRES", "", kConvert, false, G::Shape,
     "leave out positions, keeping every one left out within METRES of the track between the positions kept "
     "(within each segment)",
     "", TakeSimplify},
    {"--max-points", "", "N", "", kConvert, false, G::Shape,
     "at most N positions: simplified at the least distance that keeps to N (several passes over the log)", "",
     TakeMaxPoints},
};

constexpr std::size_t kNameColumn = 28;
constexpr std::size_t kWidth = 78;

// `text` wrapped at blanks into lines of at most kWidth characters, each
// after kNameColumn blanks but the first, which follows `head`.
std::string Wrapped(std::string head, std::string_view text) {
    std::string out;
    std::string line = std::move(head);
    if (line.size() + 1 > kNameColumn) {  // the name fills its column: the text on the next line
        out += line + '\n';
        line.clear();
    }
    line.resize(kNameColumn, ' ');
    bool lineHasWord = false;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (lineHasWord && line.size() + 1 + word.size() > kWidth) {
            out += line + '\n';
            line.assign(kNameColumn, ' ');
            lineHasWord = false;
        }
        if (lineHasWord) line += ' ';
        line += word;
        lineHasWord = true;
    }
    return out + line + '\n';
}

}  // namespace

std::span<const OptionSpec> OptionTable() { return kOptions; }

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name || (!spec.alias.empty() && spec.alias == name)) return &spec;
    }
    return nullptr;
}

std::string OptionsHelp(OptionGroup group) {
    std::string text;
    for (const OptionSpec& spec : kOptions) {
        if (spec.group != group || spec.name == "--summary") continue;
        std::string head = "  ";
        if (!spec.alias.empty()) head += std::string(spec.alias) + ", ";
        head += spec.name;
        if (!spec.valueName.empty()) {
            head += ' ';
            head += spec.valueName;
        }
        std::string help(spec.help);
        if (const std::size_t map = help.find("{map}"); map != std::string::npos) {
            help.replace(map, 5, kDefaultMapName);
        }
        text += Wrapped(head, help);
    }
    return text;
}

std::string BashCompletion() {
    // The words each command is offered, and the values each option is.
    std::string words[3];
    std::string valueCases, freeValues, fileValues;
    for (const OptionSpec& spec : kOptions) {
        const unsigned masks[3] = {kAnalyze, kConvert, kPreview};
        for (int c = 0; c < 3; ++c) {
            if ((spec.commands & masks[c]) == 0) continue;
            if (!words[c].empty()) words[c] += ' ';
            words[c] += spec.name;
            if (!spec.alias.empty()) {
                words[c] += ' ';
                words[c] += spec.alias;
            }
        }
        if (spec.valueName.empty()) continue;
        std::string names(spec.name);
        if (!spec.alias.empty()) names = std::string(spec.alias) + "|" + names;
        if (!spec.valueWords.empty()) {
            valueCases += "        " + names + ") _torvane_cli_offer -W \"" + std::string(spec.valueWords) +
                          "\" -- \"$cur\"; return ;;\n";
        } else if (spec.valueName == "PATH") {
            fileValues += (fileValues.empty() ? "" : "|") + names;
        } else {
            freeValues += (freeValues.empty() ? "" : "|") + names;
        }
    }
    std::string script = R"(# bash completion for torvane-cli (made from its table of options)
# Each word offered is one line of compgen's output, so a file name with
# blanks ("my track.nmea") stays one word; word lists split at blanks.
_torvane_cli_offer() {  # _torvane_cli_offer -W WORDS -- CUR | -f -- CUR
    if [ "$1" = -W ]; then
        local words=$2
        shift 2
        local IFS=$'\n'
        COMPREPLY=($(IFS=$' \t\n' compgen -W "$words" "$@"))
    else
        local IFS=$'\n'
        COMPREPLY=($(compgen "$@"))
    fi
}
_torvane_cli() {
    local cur prev command
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        _torvane_cli_offer -W "analyze convert preview help --help --version" -- "$cur"
        return
    fi
    command=${COMP_WORDS[1]}
    case "$prev" in
)";
    script += valueCases;
    script += "        " + freeValues + ") return ;;\n";
    script += "        " + fileValues + ") _torvane_cli_offer -f -- \"$cur\"; return ;;\n";
    script += R"(    esac
    if [[ "$cur" == -* ]]; then
        case "$command" in
)";
    const char* const commands[3] = {"analyze", "convert", "preview"};
    for (int c = 0; c < 3; ++c) {
        script += std::string("            ") + commands[c] + ") _torvane_cli_offer -W \"" + words[c] +
                  " --help\" -- \"$cur\" ;;\n";
    }
    script += R"(        esac
        return
    fi
    _torvane_cli_offer -f -- "$cur"
}
complete -o filenames -F _torvane_cli torvane-cli
)";
    return script;
}

}  // namespace torvane::frontend
