// The file calls of platform/file_system.h in WebAssembly (emscripten), for
// the page: the files are emscripten's in-memory file system, where the
// page puts the dropped log (read in place from the browser's file) and
// where the outputs are written before the page hands them over. There are
// no other programs, no signals and no threads: a temporary output has a
// short unique name beside the final one and takes that name by rename.
//
// Reads go to the page's worker (torvaneReadSome in web/slice_reads.js),
// which serves them from a slice of the file it holds and, where the next
// slice must come from the browser, waits for it: the core's call stack is
// set aside meanwhile (emscripten's ASYNCIFY, which instruments only the
// functions that lead to this read), so that the browser's event loop runs
// between slices and frees what it read. A read at an offset hands the
// offset over whole (emscripten's pread took only its low 32 bits).
#include "convert/files/platform/file_system.h"
#include "convert/files/platform/posix_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <emscripten.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

// Up to `size` bytes of the file `fd` into `data`, from `offset` or, where
// it is negative, from the file's own offset (which moves on): the number
// read, or minus the error number.
EM_JS(int, TorvaneReadFromPage, (int fd, char* data, std::size_t size, double offset), {
    return torvaneReadSome(fd, data, size, offset);
});

// Puts what follows the position of the file `from` at the position of the
// file `to`, advancing both, where the page can join the two files' Blobs
// (blob_files.js) without copying their bytes: 1 then, else 0.
EM_JS(int, TorvaneJoinRest, (int from, int to), { return torvaneBlobFiles.joinRest(from, to); });

namespace torvane::platform {

FileHandle OpenForReading(const std::string& path, FileStatus& status) {
    status = FileStatus{};
    const int fd = ::open(path.c_str(), O_RDONLY);
    return KeptIfRegular(fd, status);
}

namespace {

std::ptrdiff_t ReadResult(int n) {
    if (n >= 0) return n;
    errno = -n;
    return -1;
}

// Reads of more than this are served in parts (the result is an int).
constexpr std::size_t kMostPerRead = 1u << 30;

}  // namespace

std::ptrdiff_t ReadSome(FileHandle file, char* data, std::size_t size) {
    return ReadResult(TorvaneReadFromPage(Fd(file), data, std::min(size, kMostPerRead), -1));
}

std::ptrdiff_t ReadSomeAt(FileHandle file, char* data, std::size_t size, std::uint64_t offset) {
    return ReadResult(TorvaneReadFromPage(Fd(file), data, std::min(size, kMostPerRead), static_cast<double>(offset)));
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

bool CommitTemporary(FileHandle, const std::string&, const std::string& tempPath, const std::string& finalPath, bool) {
    return std::rename(tempPath.c_str(), finalPath.c_str()) == 0;
}

CopyEnd CopyRest(FileHandle from, FileHandle to, char* buffer, std::size_t size) {
    if (TorvaneJoinRest(Fd(from), Fd(to)) == 1) return CopyEnd::Done;
    return CopyThroughBuffer(from, to, buffer, size);
}

// The page's files are in memory: a replaced one's space is free at once.
FileHandle HoldFile(const std::string&) { return kNoFile; }

void DiscardTemporary(const std::string& tempPath) { ::unlink(tempPath.c_str()); }

void IgnoreFileSizeSignal() {}

}  // namespace torvane::platform
