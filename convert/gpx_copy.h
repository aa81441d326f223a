// The normalised copy of a GPX file that analysis writes and the run reads.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "progress.h"

namespace torvane {

// The copy's path: `inputPath` without its last four characters, then
// "_CRLF.gpx"; never cut into the folder part (dir/gpx gives dir/_CRLF.gpx).
std::string GpxCopyPath(const std::string& inputPath);

// Whether the last three characters of `path`, upper-cased, are "GPX".
bool IsGpxPath(const std::string& path);

// Copies `inputPath` to `copyPath`, every line ending in CR LF (whatever
// ended it before), and a line break (CR LF) wherever one tag ends and the
// next begins with only blanks or tabs between them, which are dropped.
// An existing copy is replaced only when the new one is complete. False on
// failure with the reason in `error`. `lines` see each line of the copy
// (without its CR LF) as it is written: the lines a reader of the copy
// would read.
// Whether the regular file at `copyPath` holds, byte for byte, the copy of
// `inputPath` that WriteGpxCopy would write now (so replacing it changes
// nothing). False also when either cannot be read.
bool GpxCopyHolds(const std::string& inputPath, const std::string& copyPath);

using GpxCopyLineHandler = std::function<void(std::string_view)>;
struct GpxCopyLines {
    GpxCopyLineHandler first;  // every line, or with `later` those of the first half
    // When given, a large file is copied in two halves at once (each on a
    // core of its own): `first` sees the lines of the first half, `later`
    // those of the other, each in order. Where the halves do not come out,
    // `restart` is called and one pass begins again with `first`.
    GpxCopyLineHandler later;
    std::function<void()> restart;
};
bool WriteGpxCopy(const std::string& inputPath, const std::string& copyPath, std::string& error,
                  const ProgressHooks* hooks = nullptr, const GpxCopyLines& lines = {});

}  // namespace torvane
