// Opening an input file for reading, with a message a user can act on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/files/platform/file_system.h"

namespace torvane {

// Whether the two paths name one existing file (by any name or link).
bool SameFile(const std::string& path, const std::string& otherPath);

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a regular file for reading. Directories, pipes and devices are
    // refused (each pass opens the file afresh and must see the same bytes;
    // a pipe would also block the open). False on failure with ErrorText(),
    // for example "Is a directory".
    bool Open(const std::string& path);
    void Close();

    // Whether `path` names the open file (also through a hard link).
    bool IsSameFile(const std::string& path) const;

    platform::FileHandle Descriptor() const { return file_; }
    std::uint64_t Size() const { return opened_.size; }
    const std::string& ErrorText() const { return error_; }

    // Whether the open file was changed since Open (its size or modification
    // time differs, or it is shorter than `bytesRead`): what was read then
    // need not be one consistent file. Sets ErrorText() when it was.
    bool ChangedWhileRead(std::uint64_t bytesRead);
    static constexpr std::string_view kChangedText = "the file was changed while it was read";

private:
    platform::FileHandle file_ = platform::kNoFile;
    platform::FileStatus opened_;  // as it was when opened
    std::string error_;
};

}  // namespace torvane
