#include "utf8_text.h"

namespace torvane {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned int code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    const bool excluded = code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF;
    return overlong || surrogate || excluded ? 0 : length;
}

}  // namespace

std::string Utf8Text(std::string_view text, AsciiWriter ascii) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (c < 0x80) {
            ascii(out, static_cast<char>(c));
            text.remove_prefix(1);
            continue;
        }
        if (const std::size_t length = Utf8SequenceLength(text)) {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        // A byte of another code page: read as Latin-1. C1 controls are
        // discouraged in XML but allowed; they stay as characters.
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
        text.remove_prefix(1);
    }
    return out;
}

}  // namespace torvane
