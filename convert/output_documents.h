// The document frame of each output type around the record lines, and the
// overlay's point-count correction.
#pragma once

#include <string>

#include "output_file.h"
#include "settings.h"

namespace torvane {

// KML header, OVL symbol section; nothing for a table.
void WriteOutputHeader(const Settings& s, OutputFile& output);

// KML closing lines, OVL overlay and map-position sections (with the centre
// texts formed from the run's overlay bounds); nothing for a table.
void WriteOutputTrailer(Settings& s, OutputFile& output);

// Rewrites the overlay at OutputFilePath with "Punkte=" + RecordCount in
// place of every line that holds "Punkte", every line ending in CR LF. The
// new text goes to OutputFilePath + ".new", which then replaces the file in
// one rename. On failure the file stays as it was, no ".new" file is left,
// and false is returned with the reason in `error`.
bool CorrectOverlayPointCount(const Settings& s, std::string& error);

// The same, reading the overlay from `writtenPath` (the complete file of the
// run, not yet under its name) so that OutputFilePath is replaced only by the
// corrected text. `writtenPath` is left as it is.
bool CorrectOverlayPointCount(const Settings& s, const std::string& writtenPath, std::string& error);

}  // namespace torvane
