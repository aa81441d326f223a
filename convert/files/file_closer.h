// Files closed on a thread of its own. Closing the last handle of a file
// that was replaced gives its space back, which on some file systems waits
// for the disk (trimming the freed blocks); handed over here, that wait
// overlaps the next file's work instead of holding it up.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "convert/files/platform/file_system.h"

namespace torvane {

class FileCloser {
public:
    FileCloser() = default;
    // Waits until every file handed over is closed.
    ~FileCloser();
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

    // Closes `file` on the closing thread, started with the first file;
    // at once where that thread cannot be started or already has many
    // waiting (each an open descriptor). kNoFile is ignored.
    void Close(platform::FileHandle file);

private:
    void CloseHandedOver();  // the closing thread's loop

    std::mutex mutex_;
    std::condition_variable handed_;
    std::vector<platform::FileHandle> waiting_;
    bool stopping_ = false;
    bool cannotStart_ = false;
    std::thread thread_;
};

}  // namespace torvane
