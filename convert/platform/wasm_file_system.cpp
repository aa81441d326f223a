// The file calls of platform/file_system.h in WebAssembly (emscripten), for
// the page: the files are emscripten's in-memory file system, where the
// page puts the dropped log (read in place from the browser's file) and
// where the outputs are written before the page hands them over. There are
// no other programs, no signals and no threads: a temporary output has a
// short unique name beside the final one and takes that name by rename.
#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace torvane::platform {
namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

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

}  // namespace

FileHandle OpenForReading(const std::string& path, FileStatus& status) {
    status = FileStatus{};
    const int fd = ::open(path.c_str(), O_RDONLY);
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

std::ptrdiff_t ReadSome(FileHandle file, char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

std::ptrdiff_t ReadSomeAt(FileHandle file, char* data, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t n = ::pread(Fd(file), data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
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

unsigned NewFileMode() { return 0644; }

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return std::string(1, kPathSeparator);
    return path.substr(0, slash);
}

FileHandle CreateTemporary(const std::string& directory, unsigned mode, std::string& tempPath) {
    return CreateNamed(directory, mode, tempPath);
}

FileHandle CreateNamed(const std::string& directory, unsigned mode, std::string& path) {
    path = directory + "/.tvXXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        path.clear();
        return kNoFile;
    }
    ::fchmod(fd, static_cast<mode_t>(mode));
    return fd;
}

bool CommitTemporary(FileHandle, const std::string&, const std::string& tempPath, const std::string& finalPath) {
    return std::rename(tempPath.c_str(), finalPath.c_str()) == 0;
}

void DiscardTemporary(const std::string& tempPath) { ::unlink(tempPath.c_str()); }

std::ptrdiff_t WriteSome(FileHandle file, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(Fd(file), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

void IgnoreFileSizeSignal() {}

}  // namespace torvane::platform
