// Text written at a pointer into a buffer whose room the writer has sized:
// how the line composers put their fixed texts, with no check per piece.
#pragma once

#include <cstring>
#include <string_view>

namespace torvane {

inline char* PutText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace torvane
