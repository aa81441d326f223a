#include "convert/recognise/tcx_counts.h"

#include <memory>
#include <optional>
#include <string_view>

#include "convert/parts/log_parts.h"
#include "convert/read/tcx_file.h"

namespace torvane {
namespace {

constexpr std::size_t kLookAhead = 64u << 10;  // looked at after the middle for a trackpoint
constexpr std::string_view kTrackpoint = "<Trackpoint";

// The offset of the first "<Trackpoint" tag at or after the middle of the
// file's `size` bytes (within 64 KiB), where the file is not UTF-16 text;
// 0 for none. Whether it opens a trackpoint outside any tag, comment or
// CDATA section, the reading of the bytes before it tells.
std::uint64_t TrackpointTagAfterMiddle(platform::FileHandle file, std::uint64_t size) {
    char mark[2] = {};
    if (platform::ReadSomeAt(file, mark, 2, 0) == 2 &&
        ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'))) {
        return 0;
    }
    const std::uint64_t middle = size / 2;
    const std::unique_ptr<char[]> block(new char[kLookAhead]);
    const std::ptrdiff_t n = platform::ReadSomeAt(file, block.get(), kLookAhead, middle);
    if (n <= 0) return 0;
    const std::string_view window(block.get(), static_cast<std::size_t>(n));
    for (std::size_t at = window.find(kTrackpoint); at != std::string_view::npos;
         at = window.find(kTrackpoint, at + 1)) {
        const std::size_t after = at + kTrackpoint.size();
        if (after >= window.size()) break;
        const char c = window[after];
        if (c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            return middle + at;
        }
    }
    return 0;
}

// Counting positions in two parts: the later one from a "<Trackpoint" tag
// after the middle with the elements open there unknown, joined only where
// the first part ends there between trackpoints in the very state the
// later one took for granted; then that state is the one noted.
class CountJob {
public:
    struct alignas(64) Part {
        PartRole role = PartRole::Whole;
        PositionCount count;
        std::optional<TcxReaderPlace> reached;  // the first part's state at its end
        TcxUnknownStart unknown;                // the later part's
        std::optional<TcxReaderPlace> noted;    // one pass's near the middle
    };

    CountJob(platform::FileHandle file, std::uint64_t size, const RunOptions& options)
        : file_(file), size_(size), options_(options) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        part->role = role;
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks*) {
        TcxFileReader reader(options_);
        BlockEnd end = BlockEnd::Failed;
        switch (part.role) {
            case PartRole::First: end = reader.ReadPart(file_, part.count, nullptr, range.end, part.reached); break;
            case PartRole::Later: end = reader.ReadFromUnknown(file_, part.count, range.begin, part.unknown); break;
            case PartRole::Whole:
                if (size_ >= options_.Parts.fromBytes && size_ > 0) reader.NoteTrackpointFrom(size_ / 2);
                end = reader.Read(file_, part.count);
                if (end == BlockEnd::Finished) part.noted = reader.Noted();
                break;
        }
        return end == BlockEnd::Finished ? PartEnd::Finished : PartEnd::Failed;
    }
    bool Merge(Part& first, Part& later) {
        if (!first.reached || !TcxFileReader::Continues(*first.reached, later.unknown)) return false;
        first.count.positions += later.count.positions;
        first.noted = std::move(first.reached);
        return true;
    }
    bool Restart() { return true; }

private:
    platform::FileHandle file_;
    std::uint64_t size_;
    const RunOptions& options_;
};

}  // namespace

bool StartsWithTcxRoot(platform::FileHandle file) {
    const std::unique_ptr<char[]> start(new char[kTcxRootWithin]);
    std::size_t got = 0;
    while (got < kTcxRootWithin) {
        const std::ptrdiff_t read = platform::ReadSomeAt(file, start.get() + got, kTcxRootWithin - got, got);
        if (read <= 0) break;
        got += static_cast<std::size_t>(read);
    }
    return OpensTcxDocument(std::string_view(start.get(), got));
}

void CountTcxPositions(platform::FileHandle file, std::uint64_t size, const RunOptions& options,
                       AnalysisCounts& counts, std::shared_ptr<const TcxReaderPlace>& middle, bool* inParts) {
    CountJob job(file, size, options);
    const std::uint64_t split =
        size >= options.Parts.fromBytes && size > 0 ? TrackpointTagAfterMiddle(file, size) : 0;
    const PartsOutcome<CountJob::Part> counted = RunInParts(job, options.Parts, size, split, nullptr);
    counts.tcxRoot = true;
    counts.tcxPosition = counted.part ? counted.part->count.positions : 0;
    middle.reset();
    if (counted.end == PartEnd::Finished && counted.part->noted) {
        middle = std::make_shared<const TcxReaderPlace>(*counted.part->noted);
    }
    if (inParts != nullptr) *inParts = counted.inParts;
}

}  // namespace torvane
