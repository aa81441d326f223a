// The normalised copy of a GPX file that analysis writes and the run reads.
#pragma once

#include <string>
#include <string_view>

#include "convert/recognise/line_counts.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

// The copy's path: `inputPath` without its last four characters, then
// "_CRLF.gpx"; never cut into the folder part (dir/gpx gives dir/_CRLF.gpx).
std::string GpxCopyPath(const std::string& inputPath);

// Whether the last three characters of `path`, upper-cased, are "GPX".
bool IsGpxPath(const std::string& path);

// Whether the regular file at `copyPath` holds, byte for byte, the copy of
// `inputPath` that WriteGpxCopy would write now (so replacing it changes
// nothing). False also when either cannot be read.
bool GpxCopyHolds(const std::string& inputPath, const std::string& copyPath);

// What WriteGpxCopy did.
enum class GpxCopyOutcome {
    Written,
    Failed,  // the reason in `error`
    // A file of the copy's name holds other bytes, and `mayReplaceCopy`
    // said to keep it: it stands as it was, and no copy was written.
    KeptExisting,
};

// Copies `inputPath` to `copyPath`, every line ending in CR LF (whatever
// ended it before), and a line break (CR LF) wherever one tag ends and the
// next begins with only blanks or tabs between them, which are dropped.
// An existing copy is replaced only when the new one is complete; where
// `hooks` has `mayReplaceCopy`, the copy is compared with it while it is
// written, and only a file with other bytes is left to that question.
// `counting`, when given, counts the lines of the copy (without their
// CR LF) as they are written: the lines a reader of the copy would read. A
// large file is copied in two parts at once as `parts` allows; `inParts`,
// when given, tells whether it was.
GpxCopyOutcome WriteGpxCopy(const std::string& inputPath, const std::string& copyPath, std::string& error,
                            const ProgressHooks* hooks = nullptr, LineCounting* counting = nullptr,
                            const PartsRule& parts = PartsRule(), bool* inParts = nullptr);

}  // namespace torvane
