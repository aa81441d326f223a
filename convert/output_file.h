// An output file that appears under its final name only when complete.
// Text goes to a temporary file beside the final path through one reused
// buffer; Commit() flushes it and renames it over the final path in one step.
// Until then an existing file of that name stays as it was, and a file that
// is dropped (Discard(), destructor, failed write) leaves nothing behind.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace torvane {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for `finalPath`. False on failure, with
    // ErrorText(); also when `finalPath` names something other than a
    // regular file (a directory, a device).
    bool Open(const std::string& finalPath);

    // Creates `path` itself (a file of that name is removed first) and writes
    // there directly; for files that are themselves a step before a rename.
    // Discard() removes it.
    bool OpenDirect(const std::string& path);

    void Write(std::string_view text);
    void Write(char c) {
        if (used_ < bufferSize_ && fd_ >= 0) buffer_[used_++] = c;
        else Write(std::string_view(&c, 1));
    }
    void WriteLine(std::string_view text) {  // text, then CR LF
        Write(text);
        Write("\r\n");
    }

    // Whether every write so far succeeded.
    bool Good() const { return error_.empty(); }

    // Flushes, closes and renames over the final path (a direct file is only
    // closed). False on failure, in which case the written file is removed.
    bool Commit();

    // Flushes and closes without renaming: the complete text can then be read
    // at WrittenPath() until Discard() (or the destructor) removes it. False
    // on failure, in which case the written file is removed.
    bool Finish();
    const std::string& WrittenPath() const { return tempPath_; }

    // Removes the temporary file; the final path is not touched.
    void Discard();

    const std::string& ErrorText() const { return error_; }

private:
    void StartBuffer();
    void Flush();
    void Fail(const char* what);

    int fd_ = -1;
    std::string finalPath_;
    std::string tempPath_;  // the file being written; removed unless committed
    bool direct_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::size_t bufferSize_ = 0;  // 0 until the buffer is made
    std::string error_;
};

}  // namespace torvane
