// The file calls of platform/file_system.h in WebAssembly (emscripten), for
// the page: the files are emscripten's in-memory file system, where the
// page puts the dropped log (read in place from the browser's file) and
// where the outputs are written before the page hands them over. There are
// no other programs, no signals and no threads: a temporary output has a
// short unique name beside the final one and takes that name by rename.
//
// A read at an offset goes by lseek and read, not pread: emscripten's pread
// hands the file system only the low 32 bits of the offset, as a signed
// number, so that from 2 GiB on every read failed with EINVAL. lseek takes
// the whole offset. Nothing else shares the file's offset here (one thread).
#include "convert/files/platform/file_system.h"
#include "convert/files/platform/posix_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace torvane::platform {

FileHandle OpenForReading(const std::string& path, FileStatus& status) {
    status = FileStatus{};
    const int fd = ::open(path.c_str(), O_RDONLY);
    return KeptIfRegular(fd, status);
}

std::ptrdiff_t ReadSomeAt(FileHandle file, char* data, std::size_t size, std::uint64_t offset) {
    const off_t kept = ::lseek(Fd(file), 0, SEEK_CUR);
    if (kept < 0 || ::lseek(Fd(file), static_cast<off_t>(offset), SEEK_SET) < 0) return -1;
    const std::ptrdiff_t n = ReadSome(file, data, size);
    const int error = errno;
    if (::lseek(Fd(file), kept, SEEK_SET) < 0) return -1;
    errno = error;
    return n;
}

unsigned NewFileMode() { return 0644; }

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

CopyEnd CopyRest(FileHandle from, FileHandle to, char* buffer, std::size_t size) {
    return CopyThroughBuffer(from, to, buffer, size);
}

void DiscardTemporary(const std::string& tempPath) { ::unlink(tempPath.c_str()); }

void IgnoreFileSizeSignal() {}

}  // namespace torvane::platform
