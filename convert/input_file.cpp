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
    // Non-blocking, so that opening a FIFO returns at once and is refused below.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
    if (!S_ISREG(info.st_mode)) {
        error_ = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        Close();
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::uint64_t>(info.st_size);
    device_ = static_cast<std::uint64_t>(info.st_dev);
    inode_ = static_cast<std::uint64_t>(info.st_ino);
    modifiedSeconds_ = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    modifiedNanoseconds_ = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return true;
}

bool InputFile::ChangedWhileRead(std::uint64_t bytesRead) {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        error_ = "the file could not be checked after reading";
        return true;
    }
    const bool changed = static_cast<std::uint64_t>(info.st_size) != size_ || bytesRead < size_ ||
                         static_cast<std::int64_t>(info.st_mtim.tv_sec) != modifiedSeconds_ ||
                         static_cast<std::int64_t>(info.st_mtim.tv_nsec) != modifiedNanoseconds_;
    if (changed) error_ = "the file was changed while it was read";
    return changed;
}

bool InputFile::IsSameFile(const std::string& path) const {
    struct stat info {};
    return fd_ >= 0 && ::stat(path.c_str(), &info) == 0 && static_cast<std::uint64_t>(info.st_dev) == device_ &&
           static_cast<std::uint64_t>(info.st_ino) == inode_;
}

void InputFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace torvane
