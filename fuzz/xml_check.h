// A small checker of XML 1.0 well-formedness for the documents Torvane
// writes: UTF-8, an optional declaration, one root element, matched tags,
// quoted and unique attributes, references and characters XML allows.
// Document type declarations are not supported (rejected).
#pragma once

#include <string>
#include <string_view>

namespace torvane::fuzz {

// True when `document` is well-formed; otherwise false with the reason and
// the byte offset in `why`.
bool IsWellFormedXml(std::string_view document, std::string& why);

}  // namespace torvane::fuzz
