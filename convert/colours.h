// The colour choices of the KML line and of the overlay symbol, in the order
// the dialogs list them; shared by the windows and the command line.
#pragma once

#include <array>
#include <string_view>
#include <utility>

namespace torvane {

// KML line colours: the name shown, the stored aabbggrr digits.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kKmlColours{{
    {"yellow", "ff00ffff"}, {"red", "ff0000ff"}, {"magenta", "ffff00ff"}, {"blue", "ffffaa00"}, {"green", "ff00ff00"},
}};

// Overlay colours: element i is the name of colour code i + 1.
inline constexpr std::array<std::string_view, 9> kOvlColours{"red",   "green",     "blue",    "yellow",   "black",
                                                             "white", "invisible", "magenta", "turquoise"};

}  // namespace torvane
