#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "output_file_system.h"

namespace torvane {
namespace {

constexpr std::size_t kBufferSize = 256u << 10;

unsigned NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<unsigned>(0666 & ~mask);
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& finalPath) {
    Discard();
    error_.clear();
    finalPath_ = finalPath;
    // Only a regular file is replaced: the rename would otherwise put a
    // regular file in place of a device (/dev/null, say), a FIFO or a
    // symbolic link, and a directory would fail only after the whole run.
    unsigned mode = NewFileMode();
    switch (output_fs::Inspect(finalPath, mode)) {
        case output_fs::PathKind::Directory:
            error_ = "cannot create: " + std::string(std::strerror(EISDIR));
            return false;
        case output_fs::PathKind::Link:
            error_ = "cannot create: it is a symbolic link";
            return false;
        case output_fs::PathKind::Other:
            error_ = "cannot create: not a regular file";
            return false;
        case output_fs::PathKind::Unknown:  // a name too long, a file in the way of the directory
            Fail("cannot create");
            return false;
        case output_fs::PathKind::Missing:
        case output_fs::PathKind::Regular:
            break;
    }
    output_fs::IgnoreFileSizeSignal();
    directory_ = output_fs::DirectoryOf(finalPath);
    fd_ = output_fs::OpenUnnamed(directory_, mode);
    if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        fd_ = output_fs::CreateNamed(directory_, mode, tempPath_);
    }
    if (fd_ < 0) {
        Fail("cannot create");
        return false;
    }
    StartBuffer();
    return true;
}

void OutputFile::StartBuffer() {
    if (!buffer_) buffer_.reset(new char[kBufferSize]);
    bufferSize_ = kBufferSize;
    used_ = 0;
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
    if (!Good()) {
        Discard();
        return false;
    }
    return true;
}

int OutputFile::ReadBack() {
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return -1;
    return fd_;
}

bool OutputFile::Commit() {
    if (!Finish()) return false;
    bool named = false;
    if (tempPath_.empty()) {
        named = output_fs::NameUnnamed(fd_, directory_, finalPath_);
    } else {
        named = output_fs::Replace(tempPath_, finalPath_);
        if (named) output_fs::Forget(tempPath_);
    }
    if (!named) {
        Fail("cannot replace");
        Discard();
        return false;
    }
    tempPath_.clear();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        // The text may not have reached the disk; it has its name already.
        Fail("cannot write");
        return false;
    }
    return true;
}

void OutputFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        output_fs::Remove(tempPath_);
        tempPath_.clear();
    }
}

}  // namespace torvane
