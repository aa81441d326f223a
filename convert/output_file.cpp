#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace torvane {
namespace {

constexpr std::size_t kBufferSize = 256u << 10;

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& finalPath) {
    Discard();
    error_.clear();
    finalPath_ = finalPath;
    // Only a regular file is replaced: the rename would otherwise put a
    // regular file in place of a device (/dev/null, say) or a FIFO, and a
    // directory would fail only after the whole conversion.
    struct stat info {};
    if (::stat(finalPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error_ = S_ISDIR(info.st_mode) ? "cannot create: " + std::string(std::strerror(EISDIR))
                                       : std::string("cannot create: not a regular file");
        return false;
    }
    tempPath_ = finalPath + ".tmp-XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        Fail("cannot create");
        return false;
    }
    ::fchmod(fd_, NewFileMode());
    direct_ = false;
    StartBuffer();
    return true;
}

void OutputFile::StartBuffer() {
    if (!buffer_) buffer_.reset(new char[kBufferSize]);
    bufferSize_ = kBufferSize;
    used_ = 0;
}

bool OutputFile::OpenDirect(const std::string& path) {
    Discard();
    error_.clear();
    finalPath_ = path;
    // A file left at `path` is replaced by a new one rather than written
    // through: a link there must not carry the text into another file.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT && errno != EISDIR) {
        Fail("cannot create");
        return false;
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        Fail("cannot create");
        return false;
    }
    tempPath_ = path;
    direct_ = true;
    StartBuffer();
    return true;
}

void OutputFile::Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
}

void OutputFile::Flush() {
    std::size_t done = 0;
    while (done < used_ && Good()) {
        const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0) errno = EIO;
            Fail("cannot write");
        }
    }
    used_ = 0;
}

void OutputFile::Write(std::string_view text) {
    if (fd_ < 0 || !Good()) return;
    while (!text.empty()) {
        if (used_ == kBufferSize) Flush();
        if (!Good()) return;
        const std::size_t n = std::min(kBufferSize - used_, text.size());
        std::memcpy(buffer_.get() + used_, text.data(), n);
        used_ += n;
        text.remove_prefix(n);
    }
}

bool OutputFile::Finish() {
    if (fd_ < 0) {
        if (error_.empty()) error_ = "not open";
        return false;
    }
    Flush();
    if (Good() && ::close(fd_) != 0) Fail("cannot write");
    else if (!Good()) ::close(fd_);
    fd_ = -1;
    if (!Good()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (!Finish()) return false;
    if (!direct_ && std::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
        Fail("cannot replace");
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    return true;
}

void OutputFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

}  // namespace torvane
