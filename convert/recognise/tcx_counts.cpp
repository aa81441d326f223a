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

void CountTcxPositions(platform::FileHandle file, const RunOptions& options, AnalysisCounts& counts) {
    PositionCount count;
    TcxFileReader(options).Read(file, count);
    counts.tcxRoot = true;
    counts.tcxPosition = count.positions;
}

}  // namespace torvane
