#include "convert/files/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "output/byte_scan.h"

namespace torvane {
namespace {

// A buffer of `capacity` bytes and the room of a window after them, so that
// a window that starts before the data's end can be read whole. Only the
// pages that data reaches are touched; the window's room after the data is
// set after each read, so no window reads a byte never set.
std::unique_ptr<char[]> NewBuffer(std::size_t capacity, std::size_t window) {
    auto buffer = std::unique_ptr<char[]>(new char[capacity + window]);
    std::memset(buffer.get(), 0, window);
    return buffer;
}

}  // namespace

LineReader::LineReader(platform::FileHandle file, std::size_t maxLineLength, std::size_t blockSize)
    : file_(file),
      maxLineLength_(maxLineLength),
      blockSize_(std::max<std::size_t>(blockSize, 1)),
      capacity_(maxLineLength + blockSize_ + 1),
      buffer_(NewBuffer(capacity_, kWindow)) {}

LineReader::LineReader(platform::FileHandle file, ByteRange range) : LineReader(file) {
    ranged_ = true;
    rangeBegin_ = range.begin;
    rangeSize_ = range.end > range.begin ? range.end - range.begin : 0;
}

std::uint64_t LineBoundaryNearMiddle(platform::FileHandle file, std::uint64_t size) {
    constexpr std::size_t kLook = 64u << 10;
    char block[kLook];
    const std::uint64_t middle = size / 2;
    const std::ptrdiff_t n = platform::ReadSomeAt(file, block, kLook, middle);
    if (n <= 0) return 0;
    const void* lf = std::memchr(block, '\n', static_cast<std::size_t>(n));
    if (lf == nullptr) return 0;
    const std::uint64_t after = middle + static_cast<std::uint64_t>(static_cast<const char*>(lf) - block) + 1;
    return after < size ? after : 0;
}

bool LineReader::Refill() {
    if (begin_ > 0) {
        const std::size_t kept = end_ - begin_;
        std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
        scanned_ = scanned_ > begin_ ? scanned_ - begin_ : 0;
        begin_ = 0;
        end_ = kept;
    }
    // The unread data is the start of one line, up to scanned_ (where a
    // last CR may wait for the LF that could follow it).
    if (scanned_ > maxLineLength_) {
        SetLineTooLongError();
        return false;
    }
    const std::ptrdiff_t n = Read(buffer_.get() + end_, std::min(capacity_ - end_, blockSize_));
    if (n > 0) {
        end_ += static_cast<std::size_t>(n);
        textRead_ += static_cast<std::uint64_t>(n);
        std::memset(buffer_.get() + end_, 0, kWindow);
        return true;
    }
    if (n == 0) {
        eof_ = true;
        return true;
    }
    error_ = platform::ErrorText(errno);
    return false;
}

std::ptrdiff_t LineReader::Read(char* to, std::size_t room) {
    char* const into = decoder_ ? raw_.get() : to;
    if (decoder_) room = Utf16Decoder::MostIn(room);  // a read gives room >= 64
    if (ranged_) room = static_cast<std::size_t>(std::min<std::uint64_t>(room, rangeSize_ - bytesRead_));
    for (;;) {
        const std::ptrdiff_t n = !ranged_   ? platform::ReadSome(file_, into, room)
                                 : room == 0 ? 0
                                             : platform::ReadSomeAt(file_, into, room, rangeBegin_ + bytesRead_);
        if (n < 0) return n;
        bytesRead_ += static_cast<std::uint64_t>(n);
        if (!decoder_) return n;
        const std::size_t size = static_cast<std::size_t>(n);
        const std::size_t text = n == 0 ? decoder_->Finish(to) : decoder_->Decode(into, size, to);
        // Bytes that gave no text yet (half a unit, the mark) are not the end.
        if (text > 0 || n == 0) return static_cast<std::ptrdiff_t>(text);
        if (ranged_) room = static_cast<std::size_t>(std::min<std::uint64_t>(room, rangeSize_ - bytesRead_));
    }
}

void LineReader::SetEncoding(TextEncoding encoding) {
    if (encoding == TextEncoding::Bytes) {
        decoder_.reset();
        return;
    }
    decoder_ = std::make_unique<Utf16Decoder>(encoding);
    // Room for the text of at least a few units per read.
    if (blockSize_ < 64) {
        blockSize_ = 64;
        capacity_ = maxLineLength_ + blockSize_ + 1;
        buffer_ = NewBuffer(capacity_, kWindow);
    }
    raw_.reset(new char[blockSize_]);
}

void LineReader::SetLineTooLongError() {
    error_ = "line " + std::to_string(lineNumber_ + 1) + " is longer than " + std::to_string(maxLineLength_) +
             " bytes; this is not a text log";
}

LineReader::Status LineReader::NextFromHere(std::string_view& line) {
    for (;;) {
        while (ends_ != 0) {
            const std::size_t at = window_ + static_cast<std::size_t>(std::countr_zero(ends_));
            ends_ &= ends_ - 1;
            if (at < begin_) continue;  // the LF of a CR LF, where it begins a window
            std::size_t next = at + 1;
            if (buffer_[at] == '\r') {
                if (next == end_ && !eof_) {
                    // Whether a LF follows is for the next read to tell: the
                    // CR is looked at again after it.
                    ends_ = 0;
                    scanned_ = at;
                    if (!Refill()) return Status::Error;
                    continue;
                }
                if (next < end_ && buffer_[next] == '\n') {
                    ++next;
                    if (next <= scanned_) ends_ &= ends_ - 1;  // the LF's bit, the next one
                }
            }
            if (at - begin_ > maxLineLength_) {
                SetLineTooLongError();
                return Status::Error;
            }
            line = std::string_view(buffer_.get() + begin_, at - begin_);
            begin_ = next;
            ++lineNumber_;
            return Status::Line;
        }
        if (scanned_ < end_) {
            ScanWindow();
            continue;
        }
        if (eof_) {
            if (begin_ < end_) {
                if (end_ - begin_ > maxLineLength_) {
                    SetLineTooLongError();
                    return Status::Error;
                }
                line = std::string_view(buffer_.get() + begin_, end_ - begin_);
                begin_ = end_;
                ++lineNumber_;
                return Status::Line;
            }
            return Status::End;
        }
        if (!Refill()) return Status::Error;
    }
}

}  // namespace torvane
