#include "convert/files/file_messages.h"

#include <new>
#include <system_error>

namespace torvane {
namespace {

std::string_view Opening(FileAction action) {
    switch (action) {
        case FileAction::ReadInput: return "Cannot read input file ";
        case FileAction::WriteOutput: return "Cannot write output file ";
        case FileAction::WriteGpxCopy: return "Cannot write GPX copy ";
        case FileAction::CorrectPointCount: return "Could not correct the point count of ";
        case FileAction::Process: return "Cannot process input file ";
    }
    return "";
}

}  // namespace

std::string FailureReason(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return "out of memory";
    if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) return system->code().message();
    return failure.what();
}

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
