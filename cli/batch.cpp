#include "cli/batch.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace torvane::cli {
namespace {

// The folder (as the system resolves it) and the name an output is made
// from; nullopt where the folder cannot be resolved. Each folder as given is
// resolved once (`folders`), however many files name it.
std::optional<std::pair<std::string, std::string>> OutputStem(
    const std::string& file, std::map<std::string, std::optional<std::string>>& folders) {
    const std::filesystem::path path(file);
    const std::string given = path.has_parent_path() ? path.parent_path().string() : ".";
    auto known = folders.find(given);
    if (known == folders.end()) {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::weakly_canonical(given, error);
        known = folders.emplace(given, error ? std::nullopt : std::optional<std::string>(folder.string())).first;
    }
    if (!known->second) return std::nullopt;
    const std::string name = path.filename().string();
    return std::make_pair(*known->second, name.substr(0, name.find('.')));
}

}  // namespace

unsigned UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    const int count = CPU_COUNT(&set);
    return count > 0 ? static_cast<unsigned>(count) : 1;
}

bool OutputsApart(const std::vector<std::string>& files) {
    std::vector<std::pair<std::string, std::string>> stems;
    std::map<std::string, std::optional<std::string>> folders;
    for (const std::string& file : files) {
        const auto stem = OutputStem(file, folders);
        if (!stem) return false;
        for (const auto& [folder, name] : stems) {
            if (folder != stem->first) continue;
            const std::string& other = stem->second;
            if (name == other || other.rfind(name + "_", 0) == 0 || name.rfind(other + "_", 0) == 0) return false;
        }
        stems.push_back(*stem);
    }
    return true;
}

std::vector<int> RunAtOnce(const std::vector<std::string>& files, unsigned workers,
                           const std::function<int(const std::string& file, Console& console)>& command) {
    const std::size_t count = files.size();
    std::vector<int> codes(count, 0);
    std::vector<Console> consoles(count, Console(true));
    std::vector<char> done(count, 0);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};

    const auto runOne = [&](std::size_t i) {
        const int code = command(files[i], consoles[i]);
        const std::lock_guard<std::mutex> lock(mutex);
        codes[i] = code;
        done[i] = 1;
        finished.notify_one();
    };
    const auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) runOne(i);
    };
    std::vector<std::thread> threads;
    const unsigned started = static_cast<unsigned>(std::min<std::size_t>(workers, count));
    for (unsigned t = 1; t < started; ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer at once: this thread works too
        }
    }
    // This thread prints each file's messages once the files before it are
    // printed, and converts files while the next to print is not done.
    for (std::size_t printed = 0; printed < count; ++printed) {
        for (;;) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                if (done[printed] != 0) break;
            }
            const std::size_t i = next.fetch_add(1);
            if (i < count) {
                runOne(i);
                continue;
            }
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return done[printed] != 0; });
            break;
        }
        consoles[printed].Print();
    }
    for (std::thread& thread : threads) thread.join();
    return codes;
}

}  // namespace torvane::cli
