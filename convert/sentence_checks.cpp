#include "sentence_checks.h"

namespace torvane {
namespace {

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool HoldsSentenceOfAnyTalker(std::string_view line, std::string_view kind) {
    for (std::size_t at = line.find('$'); at != std::string_view::npos; at = line.find('$', at + 1)) {
        if (line.size() - at < 3 + kind.size()) return false;
        if (IsCapital(line[at + 1]) && IsCapital(line[at + 2]) && line.substr(at + 3, kind.size()) == kind) return true;
    }
    return false;
}

bool HasValidChecksum(std::string_view line) {
    const std::size_t firstDollar = line.find('$');
    if (firstDollar == std::string_view::npos) return false;
    const std::size_t star = line.find('*', firstDollar);
    if (star == std::string_view::npos || line.size() - star < 3) return false;
    const std::size_t dollar = line.rfind('$', star);
    const int high = HexValue(line[star + 1]);
    const int low = HexValue(line[star + 2]);
    if (high < 0 || low < 0) return false;
    unsigned char sum = 0;
    for (std::size_t i = dollar + 1; i < star; ++i) sum = static_cast<unsigned char>(sum ^ static_cast<unsigned char>(line[i]));
    return sum == high * 16 + low;
}

}  // namespace torvane
