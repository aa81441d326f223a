// What a long analysis or run tells its front end while it works.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace torvane {

struct ProgressHooks {
    // A status text for the message area ("... I am busy").
    std::function<void(std::string_view text)> status;
    // Bytes of the input read so far and the input's size (0 when unknown);
    // called about once per megabyte.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Asked right after each progress report during a conversion run; true
    // stops the run, which then writes nothing. Empty: the run goes to its end.
    std::function<bool()> cancelled;
    // Asked once a GPX copy is complete, where a file of its name holds
    // other bytes: true replaces that file, false keeps it and ends the
    // analysis. Empty: the copy replaces whatever file has its name.
    std::function<bool()> mayReplaceCopy;
};

}  // namespace torvane
