#include "convert/files/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "convert/files/file_closer.h"
#include "convert/files/file_messages.h"

namespace torvane {
namespace {

constexpr std::size_t kBufferSize = 256u << 10;

}  // namespace

OutputFile::~OutputFile() { Discard(); }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this == &other) return *this;
    Discard();
    file_ = std::exchange(other.file_, platform::kNoFile);
    finalPath_ = std::move(other.finalPath_);
    directory_ = std::move(other.directory_);
    tempPath_ = std::exchange(other.tempPath_, std::string());
    buffer_ = std::move(other.buffer_);
    used_ = std::exchange(other.used_, 0);
    bufferSize_ = std::exchange(other.bufferSize_, 0);
    error_ = std::move(other.error_);
    named_ = other.named_;
    replacing_ = other.replacing_;
    compared_ = std::exchange(other.compared_, platform::kNoFile);
    comparedBytes_ = std::move(other.comparedBytes_);
    flushed_ = std::exchange(other.flushed_, 0);
    differs_ = other.differs_;
    return *this;
}

bool OutputFile::Open(const std::string& finalPath) {
    Discard();
    error_.clear();
    named_ = false;
    flushed_ = 0;
    differs_ = false;
    finalPath_ = finalPath;
    // Only a regular file is replaced: the rename would otherwise put a
    // regular file in place of a device (/dev/null, say), a FIFO or a
    // symbolic link, and a directory would fail only after the whole run.
    unsigned mode = 0;
    const platform::PathKind kind = platform::Inspect(finalPath, mode);
    replacing_ = kind == platform::PathKind::Regular;
    switch (kind) {
        case platform::PathKind::Directory:
            error_ = "cannot create: " + platform::ErrorText(EISDIR);
            return false;
        case platform::PathKind::Link:
            error_ = "cannot create: it is a symbolic link";
            return false;
        case platform::PathKind::Other:
            error_ = "cannot create: not a regular file";
            return false;
        case platform::PathKind::Unknown:  // a name too long, a file in the way of the directory
            Fail("cannot create");
            return false;
        case platform::PathKind::Missing:
            mode = platform::NewFileMode();  // a replaced file's bits came with Inspect
            break;
        case platform::PathKind::Regular:
            break;
    }
    platform::IgnoreFileSizeSignal();
    directory_ = platform::DirectoryOf(finalPath);
    file_ = platform::CreateTemporary(directory_, mode, tempPath_);
    if (file_ == platform::kNoFile) {
        Fail("cannot create");
        return false;
    }
    StartBuffer();
    return true;
}

void OutputFile::StartBuffer() {
    if (!buffer_) buffer_.reset(new char[kBufferSize]);
    bufferSize_ = kBufferSize;
    used_ = 0;
}

void OutputFile::Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + ": " + platform::ErrorText(errno);
}

void OutputFile::CompareWith(platform::FileHandle existing) {
    compared_ = existing;
    if (!comparedBytes_) comparedBytes_.reset(new char[kBufferSize]);
}

void OutputFile::CompareFlushed() {
    std::size_t done = 0;
    while (done < used_ && !differs_) {
        const std::ptrdiff_t n = platform::ReadSomeAt(compared_, comparedBytes_.get(), used_ - done, flushed_ + done);
        differs_ = n <= 0 || std::memcmp(comparedBytes_.get(), buffer_.get() + done, static_cast<std::size_t>(n)) != 0;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

bool OutputFile::SameAsCompared() {
    if (compared_ == platform::kNoFile || differs_ || used_ != 0) return false;
    char after;
    return platform::ReadSomeAt(compared_, &after, 1, flushed_) == 0;
}

void OutputFile::Flush() {
    if (compared_ != platform::kNoFile && !differs_) CompareFlushed();
    flushed_ += used_;
    std::size_t done = 0;
    while (done < used_ && Good()) {
        const std::ptrdiff_t n = platform::WriteSome(file_, buffer_.get() + done, used_ - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            if (n == 0) errno = EIO;
            Fail("cannot write");
        }
    }
    used_ = 0;
}

void OutputFile::WriteThroughFlushes(std::string_view text) {
    if (file_ == platform::kNoFile || !Good()) return;
    while (!text.empty()) {
        if (used_ == kBufferSize) Flush();
        if (!Good()) return;
        const std::size_t n = std::min(kBufferSize - used_, text.size());
        std::memcpy(buffer_.get() + used_, text.data(), n);
        used_ += n;
        text.remove_prefix(n);
    }
}

char* OutputFile::RoomAfterFlush() {
    if (file_ != platform::kNoFile) {
        Flush();
        return buffer_.get();
    }
    if (!buffer_) buffer_.reset(new char[kBufferSize]);
    return buffer_.get();
}

bool OutputFile::Finish() {
    if (file_ == platform::kNoFile) {
        if (error_.empty()) error_ = "not open";
        return false;
    }
    Flush();
    if (!Good()) {
        Discard();
        return false;
    }
    return true;
}

platform::FileHandle OutputFile::ReadBack() {
    if (!platform::Rewind(file_)) return platform::kNoFile;
    return file_;
}

bool OutputFile::AppendFinished(OutputFile& other) {
    const platform::FileHandle file = other.ReadBack();
    if (file == platform::kNoFile) return false;
    if (file_ == platform::kNoFile || !Good()) return true;
    Flush();  // the buffer, empty, then carries the copy where the system cannot
    if (!Good()) return true;
    if (compared_ != platform::kNoFile) {
        // Through the buffer, where the comparison sees it.
        for (;;) {
            const std::ptrdiff_t n = platform::ReadSome(file, buffer_.get(), bufferSize_);
            if (n < 0) return false;
            if (n == 0) return true;
            used_ = static_cast<std::size_t>(n);
            Flush();
            if (!Good()) return true;
        }
    }
    switch (platform::CopyRest(file, file_, buffer_.get(), bufferSize_)) {
        case platform::CopyEnd::Done: return true;
        case platform::CopyEnd::ReadFailed: return false;
        case platform::CopyEnd::WriteFailed: Fail("cannot write"); return true;
    }
    return true;
}

bool OutputFile::Commit(FileCloser* closer) {
    if (!Finish()) return false;
    const platform::FileHandle replaced =
        closer != nullptr && replacing_ ? platform::HoldFile(finalPath_) : platform::kNoFile;
    const bool committed = platform::CommitTemporary(file_, directory_, tempPath_, finalPath_, replacing_);
    if (replaced != platform::kNoFile) closer->Close(replaced);
    if (!committed) {
        Fail("cannot replace");
        Discard();
        return false;
    }
    tempPath_.clear();
    named_ = true;
    const platform::FileHandle file = file_;
    file_ = platform::kNoFile;
    if (!platform::Close(file)) {
        // The text may not have reached the disk; it has its name already.
        Fail("cannot write");
        return false;
    }
    return true;
}

std::string_view CommitFailureNote(const OutputFile& output) {
    return output.Named() ? kOutputInPlaceUnconfirmed : kNoOutputWritten;
}

void OutputFile::Discard() {
    if (file_ != platform::kNoFile) {
        platform::Close(file_);
        file_ = platform::kNoFile;
    }
    if (!tempPath_.empty()) {
        platform::DiscardTemporary(tempPath_);
        tempPath_.clear();
    }
}

}  // namespace torvane
