#include "convert/recognise/tcx_counts.h"

#include <memory>
#include <string_view>

#include "convert/read/tcx_file.h"

namespace torvane {

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
                       AnalysisCounts& counts, std::shared_ptr<const TcxReaderPlace>& middle) {
    PositionCount count;
    TcxFileReader reader(options);
    if (size >= options.Parts.fromBytes && size > 0) reader.NoteTrackpointFrom(size / 2);
    const BlockEnd end = reader.Read(file, count);
    middle.reset();
    if (end == BlockEnd::Finished && reader.Noted()) middle = std::make_shared<const TcxReaderPlace>(*reader.Noted());
    counts.tcxRoot = true;
    counts.tcxPosition = count.positions;
}

}  // namespace torvane
