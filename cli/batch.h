// Several input files of one call converted at once, one a processor, with
// the messages, exit status and bytes of one after another: each file's
// messages are printed in the order the files were given, once the files
// before it are printed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/console.h"

namespace torvane::cli {

// How many files may be converted at once: the processors this process may
// run on.
unsigned UsableProcessors();

// Whether the outputs of `files` can be told apart before their runs: no two
// name the same file or share the name an output is made from (the part of
// the file's name before its first "."), and none is named like another's
// output (its name, "_" and more), in the same folder. Where they cannot,
// the files run one after another, so that a later one meets what an
// earlier one wrote.
bool OutputsApart(const std::vector<std::string>& files);

// Runs `command` on each of `files` with up to `workers` at once, each with
// a console of its own, printed in the files' order. Returns each file's
// exit code.
std::vector<int> RunAtOnce(const std::vector<std::string>& files, unsigned workers,
                           const std::function<int(const std::string& file, Console& console)>& command);

}  // namespace torvane::cli
