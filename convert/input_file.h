// Opening an input file for reading, with a message a user can act on.
#pragma once

#include <cstdint>
#include <string>

namespace torvane {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a regular file (or another readable non-directory) for reading.
    // False on failure with ErrorText(), for example "is a directory".
    bool Open(const std::string& path);
    void Close();

    int Descriptor() const { return fd_; }
    std::uint64_t Size() const { return size_; }
    const std::string& ErrorText() const { return error_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string error_;
};

}  // namespace torvane
