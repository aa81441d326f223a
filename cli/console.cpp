#include "cli/console.h"

#include <iostream>

namespace torvane::cli {
namespace {

void Write(bool error, std::string_view text) {
    std::ostream& stream = error ? std::cerr : std::cout;
    stream << text << std::flush;
}

}  // namespace

void Console::Take(bool error, std::string_view text) {
    if (!keep_) {
        Write(error, text);
        return;
    }
    if (!kept_.empty() && kept_.back().first == error) {
        kept_.back().second += text;
    } else {
        kept_.emplace_back(error, std::string(text));
    }
}

void Console::Out(std::string_view text) { Take(false, text); }

void Console::Err(std::string_view text) { Take(true, text); }

void Console::Print() const {
    for (const auto& [error, text] : kept_) Write(error, text);
}

}  // namespace torvane::cli
