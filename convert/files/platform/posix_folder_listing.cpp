#include "convert/files/platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace torvane::platform {

bool ListRegularFiles(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return false;
    const int folderFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.') continue;
        if (entry->d_type != DT_REG) {
            if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
            struct stat info {};
            if (::fstatat(folderFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        }
        names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    return true;
}

}  // namespace torvane::platform
