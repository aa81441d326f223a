#include "convert/files/input_file.h"

#include <cerrno>
#include <cstring>

namespace torvane {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    error_.clear();
    if (path.empty()) {
        error_ = "no file name";
        return false;
    }
    file_ = platform::OpenForReading(path, opened_);
    if (file_ != platform::kNoFile) return true;
    switch (opened_.kind) {
        case platform::PathKind::Directory: error_ = platform::ErrorText(EISDIR); break;
        case platform::PathKind::Unknown: error_ = platform::ErrorText(errno); break;
        default: error_ = "not a regular file"; break;
    }
    opened_ = platform::FileStatus{};
    return false;
}

bool InputFile::ChangedWhileRead(std::uint64_t bytesRead) {
    platform::FileStatus now;
    if (!platform::StatusOf(file_, now)) {
        error_ = "the file could not be checked after reading";
        return true;
    }
    const bool changed = now.size != opened_.size || bytesRead < opened_.size ||
                         now.modifiedSeconds != opened_.modifiedSeconds ||
                         now.modifiedNanoseconds != opened_.modifiedNanoseconds;
    if (changed) error_ = kChangedText;
    return changed;
}

bool SameFile(const std::string& path, const std::string& otherPath) {
    platform::FileStatus one, other;
    return !path.empty() && !otherPath.empty() && platform::StatusOfPath(path, one) &&
           platform::StatusOfPath(otherPath, other) && one.device == other.device && one.inode == other.inode;
}

bool InputFile::IsSameFile(const std::string& path) const {
    platform::FileStatus other;
    return file_ != platform::kNoFile && platform::StatusOfPath(path, other) && other.device == opened_.device &&
           other.inode == opened_.inode;
}

void InputFile::Close() {
    if (file_ != platform::kNoFile) platform::Close(file_);
    file_ = platform::kNoFile;
}

}  // namespace torvane
