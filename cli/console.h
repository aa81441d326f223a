// Where the messages of one file's command go: straight to standard output
// and standard error, or kept in the order they came, to be printed once the
// files before it are printed (a batch converting several files at once).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace torvane::cli {

class Console {
public:
    // `keep`: keep the texts for Print instead of writing them now.
    explicit Console(bool keep = false) : keep_(keep) {}

    void Out(std::string_view text);  // standard output
    void Err(std::string_view text);  // standard error

    // Writes what was kept, in the order it came.
    void Print() const;

private:
    void Take(bool error, std::string_view text);

    bool keep_;
    std::vector<std::pair<bool, std::string>> kept_;  // (standard error, text)
};

}  // namespace torvane::cli
