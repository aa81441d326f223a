// What the two platform files share: the calls that a POSIX system and
// emscripten's in-memory file system answer alike (posix_calls.cpp).
#pragma once

#include "convert/files/platform/file_system.h"

namespace torvane::platform {

inline int Fd(FileHandle file) { return static_cast<int>(file); }

// The file `fd` just opened for reading (or -1), kept only when it is a
// regular file, with its `status`; otherwise closed, and kNoFile.
FileHandle KeptIfRegular(int fd, FileStatus& status);

// CopyRest through `buffer`, by reads and writes.
CopyEnd CopyThroughBuffer(FileHandle from, FileHandle to, char* buffer, std::size_t size);

}  // namespace torvane::platform
