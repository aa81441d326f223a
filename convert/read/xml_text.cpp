#include "convert/read/xml_text.h"

#include <cstdint>
#include <cstring>

namespace torvane {
namespace {

constexpr std::string_view kCommentOpen = "<!--", kCommentClose = "-->";
constexpr std::string_view kCDataOpen = "<![CDATA[", kCDataClose = "]]>";

// Appends code point `c` as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The value of a digit in `base` (10 or 16), or -1.
int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A character XML lets a reference stand for.
bool IsXmlCharacter(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string_view WithoutMarkup(std::string_view line, XmlMarkup& inside, std::string& room) {
    // Most lines hold no "!" at all: one quick look for it.
    if (inside == XmlMarkup::Content) {
        if (line.empty() || std::memchr(line.data(), '!', line.size()) == nullptr) return line;
        if (line.find("<!") == std::string_view::npos) return line;
    }
    room.clear();
    std::size_t at = 0;
    while (at < line.size()) {
        if (inside != XmlMarkup::Content) {
            const std::string_view close = inside == XmlMarkup::Comment ? kCommentClose : kCDataClose;
            const std::size_t end = line.find(close, at);
            if (end == std::string_view::npos) return room;
            at = end + close.size();
            inside = XmlMarkup::Content;
            continue;
        }
        std::size_t open = line.find("<!", at);
        for (; open != std::string_view::npos; open = line.find("<!", open + 2)) {
            const std::string_view rest = line.substr(open);
            if (rest.starts_with(kCommentOpen) || rest.starts_with(kCDataOpen)) break;
        }
        room.append(line.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at));
        if (open == std::string_view::npos) break;
        const bool comment = line.substr(open).starts_with(kCommentOpen);
        inside = comment ? XmlMarkup::Comment : XmlMarkup::CData;
        at = open + (comment ? kCommentOpen : kCDataOpen).size();
    }
    return room;
}

std::optional<std::string_view> WithReferencesRead(std::string_view text, std::string& room) {
    std::size_t amp = text.find('&');
    if (amp == std::string_view::npos) return text;
    room.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        amp = text.find('&', at);
        room.append(text.substr(at, amp == std::string_view::npos ? std::string_view::npos : amp - at));
        if (amp == std::string_view::npos) break;
        std::size_t i = amp + 1;
        if (i >= text.size() || text[i] != '#') return std::nullopt;
        ++i;
        int base = 10;
        if (i < text.size() && text[i] == 'x') {
            base = 16;
            ++i;
        }
        std::uint32_t code = 0;
        const std::size_t digits = i;
        for (int d; i < text.size() && (d = DigitValue(text[i], base)) >= 0; ++i) {
            code = code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
            if (code > 0x10FFFF) return std::nullopt;
        }
        if (i == digits || i >= text.size() || text[i] != ';' || !IsXmlCharacter(code)) return std::nullopt;
        AppendUtf8(room, code);
        at = i + 1;
    }
    return std::string_view(room);
}

}  // namespace torvane
