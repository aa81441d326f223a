// The operating-system calls behind OutputFile, kept together: where an
// output is written before it has its name, how it takes that name in one
// step, and the removal of a named temporary file when the program is
// stopped by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <string>

namespace torvane::output_fs {

enum class PathKind { Missing, Regular, Link, Directory, Other, Unknown };

// What `path` names, without following a symbolic link there; `mode` gets
// the permission bits of a regular file. Unknown (errno set) when it cannot
// be told.
PathKind Inspect(const std::string& path, unsigned& mode);

// The directory a new file at `path` goes into ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// A file without a name in `directory`, open for reading and writing: the
// system drops it if the program ends before NameUnnamed. -1 with errno set
// where the file system has no such files.
int OpenUnnamed(const std::string& directory, unsigned mode);

// A new file with a short unique name in `directory` (so it fits whatever
// the final name's length), removed should the program be stopped by a
// signal before Forget or Remove. -1 with errno set on failure.
int CreateNamed(const std::string& directory, unsigned mode, std::string& path);

// Gives the unnamed file `fd` the name `finalPath`, replacing a file of that
// name in one step. False with errno set on failure.
bool NameUnnamed(int fd, const std::string& directory, const std::string& finalPath);

// Renames `from` over `to` in one step. False with errno set on failure.
bool Replace(const std::string& from, const std::string& to);

void Forget(const std::string& path);  // no longer removed on a signal
void Remove(const std::string& path);  // removed now

// A write beyond the file size limit then fails with EFBIG instead of
// ending the program.
void IgnoreFileSizeSignal();

}  // namespace torvane::output_fs
