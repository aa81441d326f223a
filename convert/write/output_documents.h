// The document frame of each output type around the record lines, and the
// overlay's point-count correction.
#pragma once

#include <string>

#include "convert/files/output_file.h"
#include "convert/settings.h"

namespace torvane {

// KML header, OVL symbol section; nothing for a table.
void WriteOutputHeader(const Settings& s, OutputFile& output);

// KML closing lines, OVL overlay and map-position sections (with the centre
// texts formed from the run's overlay bounds); nothing for a table.
void WriteOutputTrailer(const Settings& s, OutputFile& output);

// Writes the overlay read from `written` (the complete file of the run, not
// yet under its name, read from its start) to OutputFilePath with "Punkte="
// + RecordCount in place of the symbol section's "Punkte=" line (the first
// line that starts so), every line ending in CR LF. The new text takes the
// name in one step; on failure an existing file stays as it was, nothing
// else is left, and false is returned with the reason in `error`. A failure
// once the corrected text had its name (its last write could not be
// confirmed) sets `*named`.
bool CorrectOverlayPointCount(const Settings& s, platform::FileHandle written, std::string& error,
                              bool* named = nullptr);

}  // namespace torvane
