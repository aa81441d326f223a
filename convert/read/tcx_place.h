// The TCX reader's state at the start of a trackpoint, between trackpoints:
// all that reading the bytes before it leaves for reading those after it
// (nothing of a trackpoint lasts beyond its end tag). A reading that starts
// there with this state reads what one from the file's start reads.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace torvane {

struct TcxReaderPlace {
    // An element open around the trackpoint (outside every trackpoint):
    // what its end tag must match, and its name and start for the messages.
    struct Element {
        std::uint64_t key = 0;
        std::uint64_t first = 0, last = 0;  // its name's first and last eight bytes
        std::uint64_t size = 0;             // of its name
        std::uint64_t at = 0;               // of its "<"
        std::uint8_t nameSize = 0;          // of its local name, as far as kept
        std::array<char, 24> name{};        // that name, zeros after it
        bool operator==(const Element&) const = default;
    };

    std::uint64_t offset = 0;      // of the "<" that opens the trackpoint
    std::int64_t trackpoints = 0;  // read before it
    std::vector<Element> open;     // outermost first

    bool operator==(const TcxReaderPlace&) const = default;
};

// What a reading that started with the elements open around it unknown
// (between trackpoints) did with them: the keys of the end tags that closed
// them, innermost first, and how much deeper than there it went at the
// most before an element opened.
struct TcxUnknownStart {
    std::vector<std::uint64_t> closed;
    std::int64_t deepest = INT64_MIN;
};

}  // namespace torvane
