#include "convert/recognise/gpx_copy.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/output_file.h"
#include "convert/parts/log_parts.h"
#include "output/byte_scan.h"

namespace torvane {
namespace {

// The copy reads its log as the line reader reads one.
constexpr std::size_t kBlock = kReadBlockSize;
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
// could not read (longer than kMaxLineLength), which is never written, so a
// file without line ends is not copied in full first.
using CopyLineHandler = std::function<void(std::string_view)>;

class CopyFilter {
public:
    CopyFilter(OutputFile& output, CopyLineHandler onLine) : output_(output), onLine_(std::move(onLine)) {}

    // False once a line of the copy has grown too long; see LongLine().
    bool Feed(const char* data, std::size_t size) {
        std::size_t i = 0;
        // (A line ended too long stays in line_, so this ends the loop too.)
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
        return Fits();
    }

    // The number of the line that grew too long.
    std::uint64_t LongLine() const { return lineNumber_ + 1; }

    // False where the last line is too long, as Feed.
    bool Finish() {
        ReleaseHeld();
        if (!line_.empty()) EndLine();  // a line ended by CR has its CR LF already
        pendingCr_ = false;
        return Fits();
    }

private:
    bool Fits() const { return !tooLong_ && line_.size() <= kMaxLineLength; }

    void EndLine() {
        if (line_.size() > kMaxLineLength) {
            tooLong_ = true;  // kept, unwritten, for LongLine()
            return;
        }
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
    CopyLineHandler onLine_;
    std::string line_;  // the copy's current line so far (held blanks aside)
    std::string held_;
    bool afterTagEnd_ = false;  // the last character written was ">" (blanks may be held)
    bool pendingCr_ = false;    // a CR ended the last line; an LF right after it belongs to it
    bool tooLong_ = false;      // a line ended longer than kMaxLineLength
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
    enum class How { Done, ReadFailed, LineTooLong, Cancelled } how = How::Done;
    std::string readError;  // with ReadFailed
};

// Feeds the bytes of `file` from `range.begin` up to `range.end` or the
// file's end through `filter`, a block at a time, adding them to `done`
// and calling `progress()` after each block, which ends the feeding by
// returning true.
template <class Progress>
Fed FeedRange(platform::FileHandle file, ByteRange range, CopyFilter& filter, const OutputFile& output,
              std::uint64_t& done, Progress progress) {
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (std::uint64_t at = range.begin; at < range.end && output.Good();) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, range.end - at));
        const std::ptrdiff_t n = platform::ReadSomeAt(file, block.get(), want, at);
        if (n == 0) break;  // an early end is told by the check after reading
        if (n < 0) return {Fed::How::ReadFailed, platform::ErrorText(errno)};
        if (!filter.Feed(block.get(), static_cast<std::size_t>(n))) return {Fed::How::LineTooLong, {}};
        at += static_cast<std::uint64_t>(n);
        done += static_cast<std::uint64_t>(n);
        if (progress()) return {Fed::How::Cancelled, {}};
    }
    return {};
}

std::string FeedFailure(const Fed& fed, const CopyFilter& filter, const std::string& inputPath) {
    if (fed.how == Fed::How::ReadFailed) return FileFailureMessage(FileAction::ReadInput, inputPath, fed.readError);
    return FileFailureMessage(FileAction::ReadInput, inputPath,
                              "line " + std::to_string(filter.LongLine()) + " of its GPX copy is longer than " +
                                  std::to_string(kMaxLineLength) + " bytes; this is not a text log");
}

// The checks after the last byte was fed, the question where an existing
// file differs, and the copy's name. `error` holds the reason of a failure.
GpxCopyOutcome CompleteCopy(InputFile& input, std::uint64_t done, OutputFile& output, const std::string& inputPath,
                            const std::string& copyPath, const std::function<bool()>* mayReplace,
                            FileCloser* replacedFiles, std::string& error) {
    if (!output.Good() || (mayReplace != nullptr && !output.Finish())) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
        return GpxCopyOutcome::Failed;
    }
    if (input.ChangedWhileRead(done)) {
        error = FileFailureMessage(FileAction::ReadInput, inputPath, input.ErrorText());
        return GpxCopyOutcome::Failed;
    }
    if (mayReplace != nullptr && !output.SameAsCompared() && !(*mayReplace)()) {
        output.Discard();
        return GpxCopyOutcome::KeptExisting;
    }
    if (!output.Commit(replacedFiles)) {
        const std::string_view note = output.Named() ? kOutputInPlaceUnconfirmed : std::string_view();
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText(), note);
        return GpxCopyOutcome::Failed;
    }
    return GpxCopyOutcome::Written;
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
    OutputFile nowhere;  // never opened: the filter's writes go nowhere
    CopyFilter filter(nowhere, [&compared](std::string_view line) { compared.Compare(line); });
    std::uint64_t done = 0;
    const Fed fed =
        FeedRange(input.Descriptor(), ByteRange{0, UINT64_MAX}, filter, nowhere, done, [] { return false; });
    if (fed.how != Fed::How::Done || !filter.Finish()) return false;
    return !input.ChangedWhileRead(done) && compared.Same();
}

namespace {

// The copy in parts: each part through a filter of its own into a file of
// its own (the first part's the copy's), the later one's appended to the
// first's. The filter is in its first state again after the LF each part
// starts behind.
class CopyJob {
public:
    struct alignas(64) Part {
        OutputFile own;  // the later part's file
        OutputFile* output = nullptr;
        AnalysisCounts counts;
        std::unique_ptr<CopyFilter> filter;
        Fed fed;
        std::uint64_t done = 0;
    };

    CopyJob(InputFile& input, OutputFile& output, const std::string& copyPath, LineCounting* counting)
        : input_(input), output_(output), copyPath_(copyPath), counting_(counting) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        part->output = &output_;
        if (role == PartRole::Later) {
            if (!part->own.Open(copyPath_)) return nullptr;
            part->output = &part->own;
        }
        CopyLineHandler count;
        if (counting_ != nullptr) {
            if (role != PartRole::Later) part->counts = counting_->counts;
            count = [counts = &part->counts, rules = counting_->rules](std::string_view line) {
                CountLine(line, *counts, rules);
            };
        }
        part->filter = std::make_unique<CopyFilter>(*part->output, std::move(count));
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        part.fed = FeedRange(input_.Descriptor(), range, *part.filter, *part.output, part.done, [&] {
            if (hooks == nullptr) return false;
            if (hooks->progress) hooks->progress(part.done, input_.Size());
            return hooks->cancelled && hooks->cancelled();
        });
        if (part.fed.how == Fed::How::Cancelled) return PartEnd::Cancelled;
        if (part.fed.how != Fed::How::Done) return PartEnd::Failed;
        if (!part.filter->Finish()) {
            part.fed = {Fed::How::LineTooLong, {}};
            return PartEnd::Failed;
        }
        return PartEnd::Finished;
    }
    // A failed write in either part, perhaps the other part's doing (on a
    // disk that one pass fits on), leaves the work to one pass.
    bool Merge(Part& first, Part& later) {
        if (!AppendPart(*first.output, later.own) || !first.output->Good()) return false;
        first.counts.Add(later.counts);
        first.done += later.done;
        return true;
    }
    bool Restart() { return output_.Open(copyPath_); }

private:
    InputFile& input_;
    OutputFile& output_;
    const std::string& copyPath_;
    LineCounting* counting_;
};

}  // namespace

GpxCopyOutcome WriteGpxCopy(const std::string& inputPath, const std::string& copyPath, std::string& error,
                            const ProgressHooks* hooks, LineCounting* counting, const PartsRule& parts,
                            bool* inParts) {
    InputFile input;
    if (!input.Open(inputPath)) {
        error = FileFailureMessage(FileAction::ReadInput, inputPath, input.ErrorText());
        return GpxCopyOutcome::Failed;
    }
    if (input.IsSameFile(copyPath)) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, "it is the input file");
        return GpxCopyOutcome::Failed;
    }
    OutputFile output;
    if (!output.Open(copyPath)) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
        return GpxCopyOutcome::Failed;
    }
    // A file of the copy's name that cannot be read differs from any copy.
    const std::function<bool()>* mayReplace = nullptr;
    InputFile existing;
    unsigned mode = 0;
    if (hooks != nullptr && hooks->mayReplaceCopy && platform::Inspect(copyPath, mode) == platform::PathKind::Regular) {
        mayReplace = &hooks->mayReplaceCopy;
        if (existing.Open(copyPath)) output.CompareWith(existing.Descriptor());
    }
    CopyJob job(input, output, copyPath, counting);
    const LogSplit split = FindLogSplit(parts, input.Descriptor(), input.Size());
    const auto copy = RunInParts(job, parts, input.Size(), split.at, hooks);
    if (inParts != nullptr) *inParts = copy.inParts;
    if (!copy.part) {
        error = FileFailureMessage(FileAction::WriteGpxCopy, copyPath, output.ErrorText());
        return GpxCopyOutcome::Failed;
    }
    if (copy.end != PartEnd::Finished) {
        error = FeedFailure(copy.part->fed, *copy.part->filter, inputPath);
        return GpxCopyOutcome::Failed;
    }
    if (counting != nullptr) counting->counts = copy.part->counts;
    return CompleteCopy(input, copy.part->done, output, inputPath, copyPath, mayReplace, parts.replacedFiles, error);
}

}  // namespace torvane
