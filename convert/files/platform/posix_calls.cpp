// The calls of platform/file_system.h that a POSIX system and emscripten's
// in-memory file system answer alike.
#include "convert/files/platform/posix_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace torvane::platform {
namespace {

PathKind KindOf(mode_t mode) {
    if (S_ISLNK(mode)) return PathKind::Link;
    if (S_ISDIR(mode)) return PathKind::Directory;
    if (!S_ISREG(mode)) return PathKind::Other;
    return PathKind::Regular;
}

void Fill(const struct stat& info, FileStatus& status) {
    status.kind = KindOf(info.st_mode);
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    status.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    status.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
}

// GNU's strerror_r gives the text, POSIX's fills the buffer; either is
// safe on any thread.
[[maybe_unused]] const char* TextOf(const char* text, const char*) { return text; }
[[maybe_unused]] const char* TextOf(int result, const char* buffer) { return result == 0 ? buffer : "unknown error"; }

}  // namespace

FileHandle KeptIfRegular(int fd, FileStatus& status) {
    if (fd < 0) return kNoFile;
    if (!StatusOf(fd, status)) {
        const int error = errno;
        ::close(fd);
        status.kind = PathKind::Unknown;
        errno = error;
        return kNoFile;
    }
    if (status.kind != PathKind::Regular) {
        ::close(fd);
        return kNoFile;
    }
    return fd;
}

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

std::string ErrorText(int error) {
    char buffer[256] = {};
    return TextOf(::strerror_r(error, buffer, sizeof buffer), buffer);
}

bool StatusOf(FileHandle file, FileStatus& status) {
    struct stat info {};
    if (file == kNoFile || ::fstat(Fd(file), &info) != 0) return false;
    Fill(info, status);
    return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    Fill(info, status);
    return true;
}

bool Rewind(FileHandle file) { return file != kNoFile && ::lseek(Fd(file), 0, SEEK_SET) == 0; }

bool Close(FileHandle file) { return ::close(Fd(file)) == 0; }

PathKind Inspect(const std::string& path, unsigned& mode) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? PathKind::Missing : PathKind::Unknown;
    const PathKind kind = KindOf(info.st_mode);
    if (kind == PathKind::Regular) mode = static_cast<unsigned>(info.st_mode & 07777);
    return kind;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return std::string(1, kPathSeparator);
    return path.substr(0, slash);
}

std::ptrdiff_t WriteSome(FileHandle file, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(Fd(file), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

CopyEnd CopyThroughBuffer(FileHandle from, FileHandle to, char* buffer, std::size_t size) {
    for (;;) {
        const std::ptrdiff_t n = ReadSome(from, buffer, size);
        if (n < 0) return CopyEnd::ReadFailed;
        if (n == 0) return CopyEnd::Done;
        for (std::ptrdiff_t done = 0; done < n;) {
            const std::ptrdiff_t written = WriteSome(to, buffer + done, static_cast<std::size_t>(n - done));
            if (written <= 0) {
                if (written == 0) errno = EIO;
                return CopyEnd::WriteFailed;
            }
            done += written;
        }
    }
}

}  // namespace torvane::platform
