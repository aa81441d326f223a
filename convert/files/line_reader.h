// Buffered text line reading. A line ends at CR LF, at CR or at LF; the
// terminator is not part of the line; a last line without terminator is still
// read. Reads the file in large blocks and hands out views into one reused
// buffer, so no line is copied or allocated; finds the line ends of 64
// bytes at once.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "convert/files/platform/file_system.h"
#include "convert/files/utf16_text.h"
#include "output/byte_scan.h"

namespace torvane {

// Lines of up to this length are read; a longer line ends the reading with
// an error (wherever the reads happen to split the file), so no input (a
// file without any line end, say) can make memory grow.
inline constexpr std::size_t kMaxLineLength = 4u << 20;

// Bytes asked of the file per read: few enough that the reader's buffer
// stays in the processor's second-level cache and a short pass (the start
// of a log, a small log) touches few fresh pages, each a fault to the
// kernel; enough that the calls cost nothing beside the bytes.
inline constexpr std::size_t kReadBlockSize = 256u << 10;

// The bytes [begin, end) of a file.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

class LineReader {
public:
    enum class Status { Line, End, Error };

    // Reads from the open file `file` (not closed by the reader).
    explicit LineReader(platform::FileHandle file, std::size_t maxLineLength = kMaxLineLength,
                        std::size_t blockSize = kReadBlockSize);
    // Reads the bytes [begin, end) of the file, wherever its offset stands
    // (several readers may share `file`, on several threads).
    LineReader(platform::FileHandle file, ByteRange range);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Reads the file as text in `encoding` (before the first Next): UTF-16
    // is handed out as UTF-8. A reader of UTF-16 reads the file from its
    // start; BytesRead() counts the file's bytes, OffsetOf the text's.
    void SetEncoding(TextEncoding encoding);

    // The next line, valid until the next call. Error: see ErrorText().
    Status Next(std::string_view& line) {
        // Most lines end in the next 64 bytes, with a byte after their end.
        while (ends_ == 0 && end_ - scanned_ >= kWindow) ScanWindow();
        if (ends_ != 0) {
            const std::size_t at = window_ + static_cast<std::size_t>(std::countr_zero(ends_));
            std::size_t next = at + 1;
            if (at >= begin_ && next < end_ && at - begin_ <= maxLineLength_) {
                ends_ &= ends_ - 1;
                if (buffer_[at] == '\r' && buffer_[next] == '\n') {
                    ++next;
                    if (next <= scanned_) ends_ &= ends_ - 1;  // the LF's bit, the next one
                }
                line = std::string_view(buffer_.get() + begin_, at - begin_);
                begin_ = next;
                ++lineNumber_;
                return Status::Line;
            }
        }
        return NextFromHere(line);
    }

    std::uint64_t BytesRead() const { return bytesRead_; }
    // The offset in the file of the first byte of `line`, the line Next()
    // gave last.
    std::uint64_t OffsetOf(std::string_view line) const {
        return rangeBegin_ + textRead_ - (end_ - static_cast<std::size_t>(line.data() - buffer_.get()));
    }
    std::uint64_t LineNumber() const { return lineNumber_; }
    const std::string& ErrorText() const { return error_; }

private:
    Status NextFromHere(std::string_view& line);  // Next, in every case
    bool Refill();
    // The line ends of the 64 bytes from scanned_ (or fewer, up to end_).
    void ScanWindow() {
        const ByteSet lineEnds('\r', '\n');
        window_ = scanned_;
        const std::size_t size = std::min(end_ - window_, kWindow);
        ends_ = lineEnds.Mask64(buffer_.get() + window_);
        if (size < kWindow) ends_ &= (std::uint64_t{1} << size) - 1;
        scanned_ = window_ + size;
    }
    static constexpr std::size_t kWindow = 64;  // bytes looked at together
    // Reads up to `room` bytes into `to`: the bytes put there, 0 at the
    // end, -1 on failure. `room` bytes of text come from fewer of UTF-16.
    std::ptrdiff_t Read(char* to, std::size_t room);
    void SetLineTooLongError();  // the error for the line that is being read

    platform::FileHandle file_;
    bool ranged_ = false;          // reads [rangeBegin_, rangeBegin_ + rangeSize_) by offset
    std::uint64_t rangeBegin_ = 0;
    std::uint64_t rangeSize_ = 0;
    std::size_t maxLineLength_;
    std::size_t blockSize_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;      // start of the unread data
    std::size_t end_ = 0;        // end of the data in the buffer
    // Line ends are looked for 64 bytes at a time: `ends_` holds a bit for
    // each line end of [window_, scanned_) not handed out yet (bit i for
    // window_ + i); no other line end stands in [begin_, scanned_) but the
    // LF of a CR LF whose line was handed out.
    std::size_t window_ = 0;
    std::size_t scanned_ = 0;
    std::uint64_t ends_ = 0;
    bool eof_ = false;
    std::uint64_t bytesRead_ = 0;  // of the file
    std::uint64_t textRead_ = 0;   // put into the buffer: bytesRead_ but for UTF-16
    std::unique_ptr<Utf16Decoder> decoder_;  // for UTF-16 text
    std::unique_ptr<char[]> raw_;            // the UTF-16 bytes of one read
    std::uint64_t lineNumber_ = 0;
    std::string error_;
};

// An offset just after a LF near the middle of the file's `size` bytes,
// where two readers can split the file between two whole lines; 0 when
// there is none near it.
std::uint64_t LineBoundaryNearMiddle(platform::FileHandle file, std::uint64_t size);

}  // namespace torvane
