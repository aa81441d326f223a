#include "file_messages.h"

namespace torvane {
namespace {

std::string_view Opening(FileAction action) {
    switch (action) {
        case FileAction::ReadInput: return "Cannot read input file ";
        case FileAction::WriteOutput: return "Cannot write output file ";
        case FileAction::WriteGpxCopy: return "Cannot write GPX copy ";
        case FileAction::CorrectPointCount: return "Could not correct the point count of ";
    }
    return "";
}

}  // namespace

std::string FileFailureMessage(FileAction action, std::string_view path, std::string_view reason,
                               std::string_view note) {
    std::string text(Opening(action));
    text += path;
    text += ": ";
    text += reason;
    text += '.';
    if (!note.empty()) {
        text += ' ';
        text += note;
    }
    return text;
}

}  // namespace torvane
