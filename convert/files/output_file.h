// An output file that appears under its final name only when complete.
// Text goes through one reused buffer to a file beside the final path that
// has no name yet (or, where the file system has no such files, a short
// temporary name); Commit() gives it the final name in one step.
// Until then an existing file of that name stays as it was, and a file that
// is dropped (Discard(), destructor, failed write) leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "convert/files/platform/file_system.h"

namespace torvane {

class FileCloser;

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // The file and its text move; `other` is left closed, as if discarded.
    OutputFile(OutputFile&& other) noexcept { *this = std::move(other); }
    OutputFile& operator=(OutputFile&& other) noexcept;

    // Creates the file that will take the name `finalPath`. False on failure,
    // with ErrorText(); also when `finalPath` names something other than a
    // regular file (a directory, a device, a symbolic link). A replaced file's
    // permission bits carry over to the new one.
    bool Open(const std::string& finalPath);

    void Write(std::string_view text) {
        if (file_ != platform::kNoFile && text.size() <= bufferSize_ - used_) {
            std::memcpy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
        } else {
            WriteThroughFlushes(text);
        }
    }
    void WriteLine(std::string_view text) {  // text, then CR LF
        Write(text);
        Write("\r\n");
    }
    // Room for up to `most` bytes (a few KiB at the most) at the text's end,
    // where a writer puts them and hands their end to Took(): text written
    // without a copy of its own. (A file not open takes none of it.)
    char* Room(std::size_t most) {
        if (file_ == platform::kNoFile || bufferSize_ - used_ < most) return RoomAfterFlush();
        return buffer_.get() + used_;
    }
    void Took(const char* end) {
        if (file_ != platform::kNoFile) used_ = static_cast<std::size_t>(end - buffer_.get());
    }
    // A line of up to `most` bytes that `put(char* out)` writes in the room
    // (returning its end), then CR LF.
    template <class Put>
    void WriteLineWith(std::size_t most, Put put) {
        char* const end = put(Room(most + 2));
        end[0] = '\r';
        end[1] = '\n';
        Took(end + 2);
    }

    // Whether every write so far succeeded.
    bool Good() const { return error_.empty(); }

    // Whether a Commit() gave the file its final name: a failure after that
    // (closing the file) leaves the new text in place, its last write
    // unconfirmed.
    bool Named() const { return named_; }

    // Flushes and gives the file its final name, replacing a file of that
    // name in one step. False on failure, in which case the written file is
    // removed and the final path is not touched. A replaced file is closed
    // for the last time by `closer` where one is given (its space given back
    // off this thread), else within the replacing.
    bool Commit(FileCloser* closer = nullptr);

    // Flushes without naming the file: ReadBack() then reads the complete
    // text until Discard() (or the destructor) drops it. False on failure.
    bool Finish();
    // The finished file positioned at its start, or platform::kNoFile.
    platform::FileHandle ReadBack();
    // Writes the whole text of the finished file `other` here. False when
    // it cannot be read back.
    bool AppendFinished(OutputFile& other);

    // Drops the written file; the final path is not touched. A run that is
    // abandoned midway leaves nothing behind through this (or the destructor).
    void Discard();

    // Compares every byte written from now on (appended parts too) with
    // the bytes at the same offsets of `existing`, an open file the caller
    // keeps open, as the text goes to the disk: no pass of its own.
    void CompareWith(platform::FileHandle existing);
    // After Finish(): whether the text written equals the compared file's
    // whole text, byte for byte (false where that file cannot be read).
    bool SameAsCompared();

    const std::string& ErrorText() const { return error_; }

private:
    void WriteThroughFlushes(std::string_view text);  // text that does not fit the buffer's room
    char* RoomAfterFlush();  // the whole buffer's room (a file not open: room that goes nowhere)
    void StartBuffer();
    void Flush();
    void CompareFlushed();  // the buffer's text against the compared file's
    void Fail(const char* what);

    platform::FileHandle file_ = platform::kNoFile;
    std::string finalPath_;
    std::string directory_;
    std::string tempPath_;  // the named file being written, where files cannot be unnamed
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::size_t bufferSize_ = 0;  // 0 until the buffer is made
    std::string error_;
    bool named_ = false;
    bool replacing_ = false;  // a regular file had the final name at Open()
    platform::FileHandle compared_ = platform::kNoFile;  // not owned
    std::unique_ptr<char[]> comparedBytes_;
    std::uint64_t flushed_ = 0;  // bytes of text flushed since Open()
    bool differs_ = false;       // from the compared file, in the bytes flushed
};

// Finishes `part` and writes its whole text into `output`. False when `part`
// cannot be flushed or read back.
inline bool AppendPart(OutputFile& output, OutputFile& part) { return part.Finish() && output.AppendFinished(part); }

// The note after a failed Commit() of `output`: that no output was written,
// or, once the file had its name, that it holds the new text unconfirmed.
std::string_view CommitFailureNote(const OutputFile& output);

}  // namespace torvane
