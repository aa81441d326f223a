// What the two platform files share: the calls that a POSIX system and
// emscripten's in-memory file system answer alike (posix_calls.cpp).
#pragma once

#include "file_system.h"

namespace torvane::platform {

inline int Fd(FileHandle file) { return static_cast<int>(file); }

}  // namespace torvane::platform
