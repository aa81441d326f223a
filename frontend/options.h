// Command-line arguments of torvane-cli (and of the page), parsed into the
// window's choices by the table of options (option_table.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/settings.h"

namespace torvane::frontend {

enum class Command { Help, Version, Analyze, Convert, Preview };

struct Options {
    Command command = Command::Help;
    std::vector<std::string> files;

    OutputKind outputType = OutputKind::Table;
    bool anyTalker = false;        // also for analyze
    bool anyRecorder = false;      // also for analyze
    bool verifyChecksums = false;  // also for analyze
    bool igcGnssAltitude = false;  // also accepted by analyze
    bool decimalComma = false;
    bool keepZeroPositions = false;
    std::optional<AltitudeMode> altitudeMode;  // Add or SetFixed
    double altitudeValue = 0;
    bool overwrite = false;
    bool summary = false;  // analyze: print the track's figures
    bool report = false;   // analyze and convert: print the account of every line
    bool fixOnly = false;  // skip positions without a fix
    std::optional<std::string> outputPath;

    std::optional<std::string> kmlName, kmlDescription, kmlColor;
    std::optional<std::string> kmlExtrude, kmlTessellate;  // " 1" or " 0"
    bool kmlAbsolute = false;
    bool kmlTime = false;  // the KML time track
    std::optional<std::int64_t> firstDate;  // --date: days since 1970-01-01
    std::optional<int> ovlColour;
    std::optional<std::string> ovlWidth, ovlMapName;
    ShapeOptions shape;  // crop, shift, split, simplify
};

// Parses argv; false with a message in `error` for a usage error.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// Puts the choices that decide what analysis recognises into `s`, before it.
void ApplyAnalysisOptions(const Options& options, Settings& s);
// Those choices as one text: two analyses of one file whose options give the
// same text find the same.
std::string AnalysisOptionsKey(const Options& options);

// Puts the choices into `s` after its analysis, as the window and its
// dialogs would.
void ApplyOptions(const Options& options, Settings& s);

// The colour code of an overlay colour name (1 to 9), or 0.
int OvlColourCode(const std::string& name);

// The KML colour (aabbggrr) of a colour name of the dialog's list, or of
// eight hexadecimal digits; empty when neither.
std::string KmlColour(const std::string& text);

const std::string& UsageText();

}  // namespace torvane::frontend
