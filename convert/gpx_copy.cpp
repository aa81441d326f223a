#include "gpx_copy.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

#include "file_messages.h"
#include "input_file.h"
#include "line_reader.h"
#include "output/byte_scan.h"
#include "output_file.h"
#include "two_halves.h"

namespace torvane {
namespace {

constexpr std::size_t kBlock = 1u << 20;
// Blanks after a ">" are held back until it is known whether a "<" follows.
// A longer run than this is written as it stands.
constexpr std::size_t kMaxHeldBlanks = 64u << 10;

// Offset of the first CR, LF or ">" in [data, data + size), or size.
std::size_t FindSpecial(const char* data, std::size_t size) {
    const ByteSet kSpecial('\r', '\n', '>');
    return FindFirstOf(data, size, kSpecial);
}

// Streams bytes into `output`, normalising line ends and splitting tags.
// Each line of the copy is gathered whole, handed to `onLine` (when given)
// and written with its CR LF. Stops at a line of the copy that the analysis
// could not read (longer than kMaxLineLength), so a file without line ends
// is not copied in full first.
class CopyFilter {
public:
    CopyFilter(OutputFile& output, const GpxCopyLineHandler& onLine) : output_(output), onLine_(onLine) {}

    // False once a line of the copy has grown too long; see LongLine().
    bool Feed(const char* data, std::size_t size) {
        std::size_t i = 0;
        while (i < size && line_.size() <= kMaxLineLength) {
            if (pendingCr_ || afterTagEnd_) {
                Put(data[i++]);
                continue;
            }
            // Ordinary text up to the next line end or tag end is copied as it stands.
            const std::size_t end = i + FindSpecial(data + i, size - i);
            line_.append(data + i, end - i);
            i = end;
            if (i < size) Put(data[i++]);
        }
        return line_.size() <= kMaxLineLength;
    }

    // The number of the line that grew too long.
    std::uint64_t LongLine() const { return lineNumber_ + 1; }

    void Finish() {
        ReleaseHeld();
        if (!line_.empty()) EndLine();  // a line ended by CR has its CR LF already
        pendingCr_ = false;
    }

private:
    void EndLine() {
        if (onLine_) onLine_(line_);
        output_.Write(line_);
        output_.Write("\r\n");
        line_.clear();
        ++lineNumber_;
    }

    void Put(char c) {
        if (pendingCr_) {
            pendingCr_ = false;
            if (c == '\n') return;  // CR LF: the line end is written already
        }
        if (c == '\r' || c == '\n') {
            ReleaseHeld();
            EndLine();
            afterTagEnd_ = false;
            pendingCr_ = c == '\r';
            return;
        }
        if (afterTagEnd_) {
            if ((c == ' ' || c == '\t') && held_.size() < kMaxHeldBlanks) {
                held_ += c;
                return;
            }
            if (c == '<') {
                held_.clear();
                afterTagEnd_ = false;
                EndLine();
                line_ += '<';
                return;
            }
            ReleaseHeld();
        }
        afterTagEnd_ = c == '>';
        line_ += c;
    }

    void ReleaseHeld() {
        line_ += held_;
        held_.clear();
        afterTagEnd_ = false;
    }

    OutputFile& output_;
    const GpxCopyLineHandler& onLine_;
    std::string line_;  // the copy's current line so far (held blanks aside)
    std::string held_;
    bool afterTagEnd_ = false;  // the last character written was ">" (blanks may be held)
    bool pendingCr_ = false;    // a CR ended the last line; an LF right after it belongs to it
    std::uint64_t lineNumber_ = 0;  // complete lines of the copy so far
};

}  // namespace

std::string GpxCopyPath(const std::string& inputPath) {
    // The cut stays within the file's own name: a name of four characters
    // or fewer ("gpx") gives "_CRLF.gpx" in the same folder.
    const std::size_t slash = inputPath.rfind(platform::kPathSeparator);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t keep = inputPath.size() >= nameStart + 4 ? inputPath.size() - 4 : nameStart;
    return inputPath.substr(0, keep) + "_CRLF.gpx";
}

bool IsGpxPath(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == "GPX";
}

namespace {

// How feeding some bytes of the input through a filter ended.
struct Fed {
    enum class How { Done, ReadFailed, LineTooLong } how = How::Done;
    std::string readError;  // with ReadFailed
};

// Feeds the bytes of `file` from `range.begin` up to `range.end` or the
// file's end through `filter`, a block at a time, adding them to `done`
// and calling `progress()` after each block.
template <class Progress>
Fed FeedRange(platform::FileHandle file, ByteRange range, CopyFilter& filter, const OutputFile& output,
              std::uint64_t& done, Progress progress) {
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (std::uint64_t at = range.begin; at < range.end && output.Good();) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, range.end - at));
        const std::ptrdiff_t n = platform::ReadSomeAt(file, block.get(), want, at);
        if (n == 0) break;  // an early end is told by the check after reading
        if (n < 0) return {Fed::How::ReadFailed, std::strerror(errno)};
        if (!filter.Feed(block.get(), static_cast<std::size_t>(n))) return {Fed::How::LineTooLong, {}};
        at += static_cast<std::uint64_t>(n);
        done += static_cast<std::uint64_t>(n);
        progress();
    }
    return {};
}

std::string FeedFailure(const Fed& fed, const CopyFilter& filter, const std::string& inputPath) {
    if (fed.how == Fed::How::ReadFailed) return FileFailureMessage(FileAction::ReadInput, inputPath, fed.readError);
    return FileFailureMessage(FileAction::ReadInput, inputPath,
                              "line " + std::to_string(filter.LongLine()) + " of its GPX copy is longer than " +
                                  std::to_string(kMaxLineLength) + " bytes; this is not a text log");
}

// The checks after the last byte was fed, and the copy's name. False on
// failure, with `error`.
bool CompleteCopy(InputFile& input, std::uint64_t done, OutputFile& output, const std::string& inputPath,
                  const std::string& copyPath, std::string& error) {
    if (!output.Good()) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
        return false;
    }
    if (input.ChangedWhileRead(done)) {
        error = FileFailureMessage(FileAction::ReadInput, inputPath, input.ErrorText());
        return false;
    }
    if (!output.Commit()) {
        const std::string_view note = output.Named() ? kOutputInPlaceUnconfirmed : std::string_view();
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText(), note);
        return false;
    }
    return true;
}

enum class HalvesCopy { Written, Failed, RetryInOnePass };

// The copy in two halves at once, split just after an LF, where the filter
// is in its first state again: the later half goes through a filter of its
// own into a file of its own, appended once both are done. A failure in the
// later half (whose line numbers start afresh) is told by one pass instead.
HalvesCopy CopyInHalves(InputFile& input, std::uint64_t split, OutputFile& output, const std::string& inputPath,
                        const std::string& copyPath, std::string& error, const ProgressHooks* hooks,
                        const GpxCopyLines& lines) {
    OwnCacheLines<OutputFile> laterFile;
    OutputFile& laterOutput = laterFile.value;
    if (!laterOutput.Open(copyPath)) return HalvesCopy::RetryInOnePass;
    OwnCacheLines<CopyFilter> laterCopy(laterOutput, lines.later);
    CopyFilter& laterFilter = laterCopy.value;
    Fed laterFed;
    LaterHalf laterHalf([&](LaterHalf& half) {
        std::uint64_t done = 0;
        laterFed = FeedRange(input.Descriptor(), ByteRange{split, input.Size()}, laterFilter, laterOutput, done,
                             [&] { half.Report(done); });
        half.Report(done);
    });
    CopyFilter filter(output, lines.first);
    std::uint64_t done = 0;
    const Fed fed = FeedRange(input.Descriptor(), ByteRange{0, split}, filter, output, done, [&] {
        if (hooks != nullptr && hooks->progress) hooks->progress(done + laterHalf.Bytes(), input.Size());
    });
    laterHalf.Join();
    // A failure in the first half is the first one a single pass meets too.
    if (fed.how != Fed::How::Done) {
        error = FeedFailure(fed, filter, inputPath);
        return HalvesCopy::Failed;
    }
    if (laterFed.how != Fed::How::Done) return HalvesCopy::RetryInOnePass;
    laterFilter.Finish();
    if (!laterOutput.Finish() || !output.AppendFinished(laterOutput)) return HalvesCopy::RetryInOnePass;
    const bool written = CompleteCopy(input, done + laterHalf.Bytes(), output, inputPath, copyPath, error);
    return written ? HalvesCopy::Written : HalvesCopy::Failed;
}

// Compares the lines of a copy, each with its CR LF, with the bytes of an
// existing file, read a block at a time.
class ExistingCopy {
public:
    explicit ExistingCopy(platform::FileHandle file) : file_(file), block_(new char[kBlock]) {}

    void Compare(std::string_view line) {
        if (same_) same_ = Take(line) && Take("\r\n");
    }

    // Whether every line matched and nothing follows the last one.
    bool Same() {
        if (!same_ || at_ != size_) return false;
        return platform::ReadSome(file_, block_.get(), 1) == 0;
    }

private:
    bool Take(std::string_view text) {
        while (!text.empty()) {
            if (at_ == size_) {
                const std::ptrdiff_t n = platform::ReadSome(file_, block_.get(), kBlock);
                if (n <= 0) return false;
                size_ = static_cast<std::size_t>(n);
                at_ = 0;
            }
            const std::size_t n = std::min(text.size(), size_ - at_);
            if (std::memcmp(block_.get() + at_, text.data(), n) != 0) return false;
            at_ += n;
            text.remove_prefix(n);
        }
        return true;
    }

    platform::FileHandle file_;
    std::unique_ptr<char[]> block_;
    std::size_t at_ = 0, size_ = 0;
    bool same_ = true;
};

}  // namespace

bool GpxCopyHolds(const std::string& inputPath, const std::string& copyPath) {
    InputFile input, existing;
    if (!input.Open(inputPath) || !existing.Open(copyPath) || input.IsSameFile(copyPath)) return false;
    ExistingCopy compared(existing.Descriptor());
    const GpxCopyLineHandler compare = [&compared](std::string_view line) { compared.Compare(line); };
    OutputFile nowhere;  // never opened: the filter's writes go nowhere
    CopyFilter filter(nowhere, compare);
    std::uint64_t done = 0;
    const Fed fed = FeedRange(input.Descriptor(), ByteRange{0, UINT64_MAX}, filter, nowhere, done, [] {});
    if (fed.how != Fed::How::Done) return false;
    filter.Finish();
    return !input.ChangedWhileRead(done) && compared.Same();
}

bool WriteGpxCopy(const std::string& inputPath, const std::string& copyPath, std::string& error,
                  const ProgressHooks* hooks, const GpxCopyLines& lines) {
    InputFile input;
    if (!input.Open(inputPath)) {
        error = FileFailureMessage(FileAction::ReadInput, inputPath, input.ErrorText());
        return false;
    }
    if (input.IsSameFile(copyPath)) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, "it is the input file");
        return false;
    }
    OutputFile output;
    if (!output.Open(copyPath)) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
        return false;
    }
    if (lines.later && input.Size() >= kTwoHalvesBytes) {
        const std::uint64_t split = LineBoundaryNearMiddle(input.Descriptor(), input.Size());
        if (split != 0) {
            switch (CopyInHalves(input, split, output, inputPath, copyPath, error, hooks, lines)) {
                case HalvesCopy::Written: return true;
                case HalvesCopy::Failed: return false;
                case HalvesCopy::RetryInOnePass: break;
            }
            if (!output.Open(copyPath)) {
                error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
                return false;
            }
            if (lines.restart) lines.restart();
        }
    }

    CopyFilter filter(output, lines.first);
    std::uint64_t done = 0;
    const Fed fed = FeedRange(input.Descriptor(), ByteRange{0, UINT64_MAX}, filter, output, done, [&] {
        if (hooks != nullptr && hooks->progress) hooks->progress(done, input.Size());
    });
    if (fed.how != Fed::How::Done) {
        error = FeedFailure(fed, filter, inputPath);
        return false;
    }
    filter.Finish();
    return CompleteCopy(input, done, output, inputPath, copyPath, error);
}

}  // namespace torvane
