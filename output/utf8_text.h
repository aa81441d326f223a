// Text of the input (pilot names, file names, typed names) made UTF-8 for
// the XML and JSON outputs: well-formed UTF-8 sequences are kept, any other
// byte is read as Latin-1. Each ASCII character goes through `ascii`, which
// escapes or drops it as the output format asks.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

using AsciiWriter = void (*)(std::string& out, char c);

std::string Utf8Text(std::string_view text, AsciiWriter ascii);

}  // namespace torvane
