#include "convert/read/sentence_checks.h"

#include <cstdint>
#include <cstring>

namespace torvane {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The XOR of `size` bytes, eight at a time: XOR is the same in every byte
// lane, so the lanes fold into the sum at the end.
unsigned XorOfBytes(const char* data, std::size_t size) {
    std::uint64_t lanes = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        lanes ^= word;
    }
    for (; i < size; ++i) lanes ^= static_cast<unsigned char>(data[i]);
    lanes ^= lanes >> 32;
    lanes ^= lanes >> 16;
    lanes ^= lanes >> 8;
    return static_cast<unsigned>(lanes & 0xff);
}

}  // namespace

SentenceSpan SentenceOfAnyTalker(std::string_view line, std::string_view kind) {
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t start = kNone, star = kNone;
    for (std::size_t at = line.find('$'); at != kNone && at < star; at = line.find('$', at + 1)) {
        if (SentenceNameAt(line, at) != kind) continue;
        if (start == kNone) star = line.find('*', at);
        start = at;
    }
    if (start == kNone) return {line, false};
    return {line.substr(start, star == kNone ? kNone : star - start), true};
}

bool HasValidChecksum(std::string_view line) {
    const std::size_t firstDollar = line.find('$');
    if (firstDollar == std::string_view::npos) return false;
    const std::size_t star = line.find('*', firstDollar);
    if (star == std::string_view::npos || line.size() - star < 3) return false;
    // The last "$" before the star, looked for forwards: most lines have one.
    std::size_t dollar = firstDollar;
    for (std::size_t next = line.find('$', dollar + 1); next < star; next = line.find('$', next + 1)) dollar = next;
    const int high = HexValue(line[star + 1]);
    const int low = HexValue(line[star + 2]);
    if (high < 0 || low < 0) return false;
    return XorOfBytes(line.data() + dollar + 1, star - dollar - 1) == static_cast<unsigned>(high * 16 + low);
}

}  // namespace torvane
