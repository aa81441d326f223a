#include "convert/files/file_closer.h"

#include <cstddef>
#include <new>
#include <system_error>

namespace torvane {
namespace {

// Handed-over files waiting to be closed, at most: each holds a descriptor
// of the process's limited number, so where the disk falls behind, a file
// beyond these is closed at once by the thread that hands it over.
constexpr std::size_t kMostWaiting = 64;

}  // namespace

FileCloser::~FileCloser() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    handed_.notify_one();
    if (thread_.joinable()) thread_.join();  // it leaves once nothing waits
}

void FileCloser::Close(platform::FileHandle file) {
    if (file == platform::kNoFile) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable() && !cannotStart_) {
            try {
                thread_ = std::thread([this] { CloseHandedOver(); });
            } catch (const std::system_error&) {
                cannotStart_ = true;
            }
        }
        if (!cannotStart_ && waiting_.size() < kMostWaiting) {
            try {
                waiting_.push_back(file);
                file = platform::kNoFile;
            } catch (const std::bad_alloc&) {
                // closed here, below
            }
        }
    }
    if (file != platform::kNoFile) {
        platform::Close(file);
        return;
    }
    handed_.notify_one();
}

void FileCloser::CloseHandedOver() {
    std::vector<platform::FileHandle> closing;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            handed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty()) return;
            closing.swap(waiting_);
        }
        for (const platform::FileHandle file : closing) platform::Close(file);
        closing.clear();
    }
}

}  // namespace torvane
