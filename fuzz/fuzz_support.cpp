#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace torvane::fuzz {

void Require(bool condition, std::string_view what, std::string_view detail) {
    if (condition) return;
    std::fprintf(stderr, "FUZZ CHECK FAILED: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) {
        std::fprintf(stderr, "  detail: %.*s\n", static_cast<int>(std::min<std::size_t>(detail.size(), 2000)),
                     detail.data());
    }
    std::abort();
}

ScratchDir::ScratchDir() {
    struct stat info {};
    const std::string base = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/torvane-fuzz-XXXXXX";
    Require(::mkdtemp(pattern.data()) != nullptr, "cannot create a scratch directory");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(out), "cannot write a scratch file", path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Require(static_cast<bool>(in), "cannot read a file that should be there", path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint64_t Hash(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

void ChooseOptions(Settings& s, std::uint64_t choice) {
    static constexpr OutputKind kKinds[] = {OutputKind::Table, OutputKind::KML, OutputKind::OVL};
    static constexpr float kAltitudes[] = {0.0f, 12.5f, -1000.0f, 1000.0f, 0.05f};
    s.OutputType = kKinds[choice % 3];
    choice /= 3;
    s.UseDecimalComma = s.OutputType == OutputKind::Table && (choice & 1) != 0;
    s.EliminateZeroPositions = (choice & 2) != 0;
    choice >>= 2;
    s.AltitudeMode = static_cast<AltitudeMode>(choice % 3);
    choice /= 3;
    s.AltitudeValue = kAltitudes[choice % 5];
}

void RequireRecordLine(OutputKind kind, const std::string& line) {
    const bool overlay = kind == OutputKind::OVL;
    int lineFeeds = 0;
    for (const char c : line) {
        const bool number = (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '.' || c == ',' || c == 'i' ||
                            c == 'n' || c == 'f' || c == 'a';
        const bool overlayName = overlay && (c == 'X' || c == 'Y' || c == 'K' || c == 'o' || c == 'r' || c == 'd' ||
                                             c == '=' || c == '\n');
        Require(number || overlayName, "record line holds a character no pattern writes", line);
        lineFeeds += c == '\n';
    }
    Require(lineFeeds <= 1, "record line holds more than one LF", line);
}

}  // namespace torvane::fuzz
