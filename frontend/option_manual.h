// The options section of torvane-cli's manual page, made from the table of
// options (option_table.h) and merged into the page's hand-written rest.
#pragma once

#include <string>
#include <string_view>

namespace torvane::frontend {

// The line of the hand-written page that the options' entries replace.
inline constexpr std::string_view kManualOptionsLine = ".\\\" The options' entries, made from the table of options.";

// One roff entry (.TP) per option: its names and value, its text, the
// commands that take it.
std::string ManualOptions();

// `page` with its kManualOptionsLine replaced by ManualOptions(); false
// with `error` where the page holds that line not exactly once.
bool MergeManualOptions(std::string_view page, std::string& merged, std::string& error);

}  // namespace torvane::frontend
