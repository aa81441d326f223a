// The operating system's file calls, the only ones convert/ makes: opening
// a file for reading and reading it in blocks, what a path names, and an
// output that is written before it has its name and takes that name in one
// step (with the removal of a named temporary file when a signal such as
// SIGINT, SIGTERM or SIGHUP stops the program). Everything else in convert/
// is standard C++; posix_file_system.cpp implements these functions on
// POSIX systems and wasm_file_system.cpp in WebAssembly, and a port to
// another system is another file that defines them.
//
// Failures leave the reason in errno (ErrorText gives its text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane::platform {

// An open file; kNoFile for none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Between the directories of a path and the file's own name.
inline constexpr char kPathSeparator = '/';

enum class PathKind { Missing, Regular, Link, Directory, Other, Unknown };

// What an open file or a path is, and what tells whether it was changed.
struct FileStatus {
    PathKind kind = PathKind::Unknown;
    std::uint64_t size = 0;
    std::uint64_t device = 0;  // device and inode together name the file, whatever name it is reached by
    std::uint64_t inode = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
};

// --- Reading

// Opens `path` for reading, to be read from its start to its end. The open
// does not wait (a FIFO opens at once); `status` says what was opened, and
// anything but a regular file is closed again: kNoFile then. kNoFile with
// status.kind Unknown and errno set where the file cannot be opened.
FileHandle OpenForReading(const std::string& path, FileStatus& status);

// The status of an open file, or of what `path` names (following a symbolic
// link). False where it cannot be had.
bool StatusOf(FileHandle file, FileStatus& status);
bool StatusOfPath(const std::string& path, FileStatus& status);

// Reads up to `size` bytes into `data`: the number read, 0 at the end of
// the file, -1 on failure. An interrupted read is repeated.
std::ptrdiff_t ReadSome(FileHandle file, char* data, std::size_t size);
// The same from `offset` on, leaving the file's own offset as it stands
// (readers on several threads may share the file).
std::ptrdiff_t ReadSomeAt(FileHandle file, char* data, std::size_t size, std::uint64_t offset);

// Back to the start of the file, for reading it again. False on failure.
bool Rewind(FileHandle file);

// False where the file's last writes may not have reached the disk.
bool Close(FileHandle file);

// --- Writing

// What `path` names, without following a symbolic link there; `mode` gets
// the permission bits of a regular file. Unknown when it cannot be told.
PathKind Inspect(const std::string& path, unsigned& mode);

// The permission bits a new file gets (0666 less the process's mask).
unsigned NewFileMode();

// Whether the program's standard input is a terminal (a person to ask).
bool StandardInputIsTerminal();

// The text of the error number `error` (as strerror, but safe on any thread:
// the later part of a log is read and written on one of its own).
std::string ErrorText(int error);

// The directory a new file at `path` goes into ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// A new file in `directory` with permission bits `mode`, open for reading
// and writing, that is to take its name only at CommitTemporary. Where the
// file system allows, it has no name at all (the system drops it should the
// program end first) and `tempPath` is left empty; otherwise it has a short
// unique name, returned in `tempPath`, that a stopping signal removes.
// kNoFile on failure.
FileHandle CreateTemporary(const std::string& directory, unsigned mode, std::string& tempPath);

// The named fallback of CreateTemporary on its own: a new file with a short
// unique name in `directory` (so it fits whatever the final name's length),
// removed should a signal stop the program at any moment from its making
// until it is committed or discarded. kNoFile on failure.
FileHandle CreateNamed(const std::string& directory, unsigned mode, std::string& path);

// Gives the file of CreateTemporary the name `finalPath`, replacing a file
// of that name in one step. False on failure; the file then still has no
// name or its temporary one. `replacing`: a file was found at `finalPath`
// (whether or not it is still there, the outcome is the same; the hint only
// spares a call bound to fail).
bool CommitTemporary(FileHandle file, const std::string& directory, const std::string& tempPath,
                     const std::string& finalPath, bool replacing);

// A handle that keeps the regular file at `path` (not followed where it is a
// symbolic link) in being while it is open, whatever becomes of its name: a
// file replaced by CommitTemporary while held gives its space back when the
// holder closes it (Close), not within the replacing, which keeps the
// directory locked meanwhile (on some file systems for as long as the disk
// takes to trim the freed blocks). kNoFile where it cannot be had.
FileHandle HoldFile(const std::string& path);

// Removes the temporary name `tempPath` of a file that is not committed.
void DiscardTemporary(const std::string& tempPath);

// Writes up to `size` bytes: the number written, -1 on failure (0 only where
// nothing could be written). An interrupted write is repeated.
std::ptrdiff_t WriteSome(FileHandle file, const char* data, std::size_t size);

// How a CopyRest ended; errno holds the reason of a failure.
enum class CopyEnd { Done, ReadFailed, WriteFailed };

// Copies what follows the position of `from`, to its end, to the position of
// `to`, advancing both: inside the system where it can copy between files
// itself, else through `buffer` (`size` bytes).
CopyEnd CopyRest(FileHandle from, FileHandle to, char* buffer, std::size_t size);

// A write beyond the file size limit then fails (EFBIG) instead of ending
// the program.
void IgnoreFileSizeSignal();

}  // namespace torvane::platform
