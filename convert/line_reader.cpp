#include "line_reader.h"

#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

namespace torvane {
namespace {

constexpr std::size_t kBlockSize = 1u << 20;

}  // namespace

LineReader::LineReader(int fd, std::size_t maxLineLength)
    : fd_(fd), maxLineLength_(maxLineLength), capacity_(maxLineLength + kBlockSize), buffer_(new char[maxLineLength + kBlockSize]) {}

// Offset of the next `search.mark` at or after begin_, or end_ when there is
// none in the buffer. Each byte is searched at most once per mark.
std::size_t LineReader::NextMark(MarkSearch& search) {
    if (search.found && search.pos >= begin_) return search.pos;
    const std::size_t from = search.found ? begin_ : std::max(search.pos, begin_);
    const void* hit = from < end_ ? std::memchr(buffer_.get() + from, search.mark, end_ - from) : nullptr;
    search.found = hit != nullptr;
    search.pos = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.get()) : end_;
    return search.pos;
}

bool LineReader::Refill() {
    if (begin_ > 0) {
        const std::size_t kept = end_ - begin_;
        std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
        for (MarkSearch* search : {&cr_, &lf_}) {
            if (search->pos >= begin_) {
                search->pos -= begin_;
            } else {
                search->pos = 0;
                search->found = false;
            }
        }
        begin_ = 0;
        end_ = kept;
    }
    if (end_ >= maxLineLength_) {
        error_ = "line " + std::to_string(lineNumber_ + 1) + " is longer than " + std::to_string(maxLineLength_) +
                 " bytes; this is not a text log";
        return false;
    }
    const std::size_t room = std::min(capacity_ - end_, kBlockSize);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.get() + end_, room);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            bytesRead_ += static_cast<std::uint64_t>(n);
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return true;
        }
        if (errno == EINTR) continue;
        error_ = std::strerror(errno);
        return false;
    }
}

LineReader::Status LineReader::Next(std::string_view& line) {
    for (;;) {
        const std::size_t at = std::min(NextMark(cr_), NextMark(lf_));
        if (at < end_) {
            const char mark = buffer_[at];
            const bool needNext = mark == '\r' && at + 1 == end_ && !eof_;
            if (!needNext) {
                line = std::string_view(buffer_.get() + begin_, at - begin_);
                begin_ = at + 1;
                if (mark == '\r' && begin_ < end_ && buffer_[begin_] == '\n') ++begin_;
                ++lineNumber_;
                return Status::Line;
            }
        } else if (eof_) {
            if (begin_ < end_) {
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
