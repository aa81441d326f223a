// The program's own name, version texts and home page, defined once.
#pragma once

#include <string_view>

#include "torvane_version.h"

namespace torvane {

inline constexpr std::string_view kProgramVersion = TORVANE_VERSION;
inline constexpr std::string_view kHomePage = "https://torvane.org";

// The introduction text of the message area; lines end with CR LF except the last.
inline constexpr std::string_view kIntroductionText =
    "This is an experimental parser tool for GPS data logs. \r\n"
    "Please back up all original data before you start this program! \r\n"
    "You use this program entirely at your own risk! \r\n"
    "If you agree, please select the input file with the GPS data to be processed, \r\n"
    "press ANALYZE, then select the options and press START. \r\n"
    "Have some patience, processing may take time.\r\n"
    "Torvane, V" TORVANE_VERSION ", (2009/10/23). \r\n"
    "Made by the Torvane developers. \r\n"
    "https://torvane.org";

}  // namespace torvane
