#include "convert/recognise/fit_counts.h"

#include <array>
#include <cstring>

#include "convert/read/fit_file.h"

namespace torvane {

bool StartsWithFitHeader(platform::FileHandle file) {
    std::array<char, 12> header{};
    std::size_t got = 0;
    while (got < header.size()) {
        const std::ptrdiff_t read = platform::ReadSomeAt(file, header.data() + got, header.size() - got, got);
        if (read <= 0) return false;
        got += static_cast<std::size_t>(read);
    }
    return (header[0] == 12 || header[0] == 14) && std::memcmp(header.data() + 8, ".FIT", 4) == 0;
}

void CountFitPositions(platform::FileHandle file, const RunOptions& options, AnalysisCounts& counts) {
    PositionCount count;
    FitFileReader(options).Read(file, count);
    counts.fitHeader = true;
    counts.fitPosition = count.positions;
}

}  // namespace torvane
