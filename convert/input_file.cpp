#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        error_ = std::strerror(errno);
        Close();
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error_ = std::strerror(EISDIR);
        Close();
        return false;
    }
    size_ = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return true;
}

void InputFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace torvane
