// The names of the files in a folder, as the bytes the file system holds,
// whatever their encoding (a name need not be valid UTF-8). Another system
// defines this beside the rest of its file calls.
#pragma once

#include <string>
#include <vector>

namespace torvane::platform {

// The names of the regular files (also reached through a symbolic link) in
// `folder`, hidden ones (a leading ".") left out, in no particular order.
// False when the folder cannot be read, with the reason in errno.
bool ListRegularFiles(const std::string& folder, std::vector<std::string>& names);

}  // namespace torvane::platform
