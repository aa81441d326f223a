// The message a user sees when a file cannot be read or written: what could
// not be done, with which file, and why, in one fixed form.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

enum class FileAction {
    ReadInput,          // "Cannot read input file PATH: ..."
    WriteOutput,        // "Cannot write output file PATH: ..."
    WriteGpxCopy,       // "Cannot write GPX copy PATH: ..."
    CorrectPointCount,  // "Could not correct the point count of PATH: ..."
};

// Added where a run had begun its output and none of it was kept.
inline constexpr std::string_view kNoOutputWritten = "No output written.";

// "Cannot read input file PATH: REASON." and so on for each action; a
// non-empty `note` follows after a blank.
std::string FileFailureMessage(FileAction action, std::string_view path, std::string_view reason,
                               std::string_view note = {});

}  // namespace torvane
