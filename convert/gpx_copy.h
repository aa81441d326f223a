// The normalised copy of a GPX file that analysis writes and the run reads.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "progress.h"

namespace torvane {

// The copy's path: `inputPath` without its last four characters, then "_CRLF.gpx".
std::string GpxCopyPath(const std::string& inputPath);

// Whether the last three characters of `path`, upper-cased, are "GPX".
bool IsGpxPath(const std::string& path);

// Copies `inputPath` to `copyPath`, every line ending in CR LF (whatever
// ended it before), and a line break (CR LF) wherever one tag ends and the
// next begins with only blanks or tabs between them, which are dropped.
// An existing copy is replaced only when the new one is complete. False on
// failure with the reason in `error`. `onLine`, when given, sees each line
// of the copy (without its CR LF) as it is written: the lines a reader of
// the copy would read.
using GpxCopyLineHandler = std::function<void(std::string_view)>;
bool WriteGpxCopy(const std::string& inputPath, const std::string& copyPath, std::string& error,
                  const ProgressHooks* hooks = nullptr, const GpxCopyLineHandler& onLine = {});

}  // namespace torvane
