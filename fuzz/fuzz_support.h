// What the fuzz targets share: checks that end the run with a message, a
// scratch directory on a memory file system, and choices derived from the
// input bytes so that every input replays the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/settings.h"

namespace torvane::fuzz {

// Prints `what` (and `detail`) and aborts when `condition` is false.
void Require(bool condition, std::string_view what, std::string_view detail = {});

// A fresh directory (under /dev/shm when it is there), removed with
// everything in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
    // Names of the entries, sorted, joined by blanks.
    std::string Listing() const;

private:
    std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// A hash of the bytes (FNV-1a), the source of every choice below.
std::uint64_t Hash(std::string_view bytes);

// Output type, decimal comma, zero elimination and altitude manipulation as
// the window could set them, chosen by `choice`.
void ChooseOptions(Settings& s, std::uint64_t choice);

// The characters a record line may hold once post-processed: digits, the
// pattern texts ("inf", "nan"), blanks, signs, "." and ",", and for an
// overlay the point names with "=" and one LF. Aborts otherwise.
void RequireRecordLine(OutputKind kind, const std::string& line);

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace torvane::fuzz
