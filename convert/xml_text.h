// What the GPX reader needs of XML's text rules: the comments and CDATA
// sections that hold no track points, and the numeric character references
// (&#55; or &#x37;) that a value may be written with.
#pragma once

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

// Whether `text` holds a reference ("&").
inline bool HoldsReference(std::string_view text) { return text.find('&') != std::string_view::npos; }

// `text` with each numeric character reference replaced by the character
// it stands for (as UTF-8), into `decoded`. False where a "&" starts
// anything else (an entity reference, a reference without its ";", a
// number that is no character); `decoded` then holds the text as far as
// it was read.
bool DecodeCharacterReferences(std::string_view text, std::string& decoded);

}  // namespace torvane
