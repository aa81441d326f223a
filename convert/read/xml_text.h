// What the GPX reader needs of XML's text rules: the comments and CDATA
// sections that hold no track points, and the numeric character references
// (&#55; or &#x37;) that a value may be written with.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// Where a line of XML starts: in content, or inside a comment or a CDATA
// section begun on an earlier line.
enum class XmlMarkup { Content, Comment, CData };

// `line` without what stands inside comments and CDATA sections (their
// delimiters dropped too), given where it starts in `inside`, which is
// left where the line ends. The line itself where it holds neither (no
// copy is made); otherwise the text kept, in `room`.
std::string_view WithoutMarkup(std::string_view line, XmlMarkup& inside, std::string& room);
// The same, for the line of a reader's hot path: most lines hold no "!" at
// all, and are looked at only for it.
inline std::string_view WithoutMarkupQuick(std::string_view line, XmlMarkup& inside, std::string& room) {
    if (inside == XmlMarkup::Content && (line.empty() || std::memchr(line.data(), '!', line.size()) == nullptr)) {
        return line;
    }
    return WithoutMarkup(line, inside, room);
}

// `text` with each numeric character reference (&#55; or &#x37;) read as
// the character it stands for (as UTF-8): `text` itself where it holds no
// "&", else the text read into `room`. None where a "&" starts anything
// else (an entity reference, a reference without its ";", a number that is
// no character).
std::optional<std::string_view> WithReferencesRead(std::string_view text, std::string& room);
// The same, the text without "&" answered at once.
inline std::optional<std::string_view> WithReferencesReadQuick(std::string_view text, std::string& room) {
    if (text.empty() || std::memchr(text.data(), '&', text.size()) == nullptr) return text;
    return WithReferencesRead(text, room);
}

}  // namespace torvane
