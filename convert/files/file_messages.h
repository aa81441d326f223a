// The message a user sees when a file cannot be read or written: what could
// not be done, with which file, and why, in one fixed form.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace torvane {

enum class FileAction {
    ReadInput,          // "Cannot read input file PATH: ..."
    WriteOutput,        // "Cannot write output file PATH: ..."
    WriteGpxCopy,       // "Cannot write GPX copy PATH: ..."
    CorrectPointCount,  // "Could not correct the point count of PATH: ..."
    Process,            // "Cannot process input file PATH: ..." (out of memory, no thread to be had)
};

// Added where a run had begun its output and none of it was kept.
inline constexpr std::string_view kNoOutputWritten = "No output written.";
// Added where the output had its name when its last write failed to close.
inline constexpr std::string_view kOutputInPlaceUnconfirmed =
    "The file now holds the new output, but its last write could not be confirmed.";

// What stopped a piece of work that threw `failure`, in words a user can
// act on: "out of memory", or the system's text for a system error.
std::string FailureReason(const std::exception& failure);

// "Cannot read input file PATH: REASON." and so on for each action; a
// non-empty `note` follows after a blank.
std::string FileFailureMessage(FileAction action, std::string_view path, std::string_view reason,
                               std::string_view note = {});

}  // namespace torvane
