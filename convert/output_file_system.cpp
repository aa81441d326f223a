#include "output_file_system.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace torvane::output_fs {
namespace {

// Named temporary files to remove when a signal stops the program. A signal
// handler can reach nothing else, hence this one fixed table.
constexpr int kSlots = 16;
constexpr std::size_t kPathMax = 4096;
struct PendingFiles {
    std::atomic<bool> used[kSlots];
    char path[kSlots][kPathMax];
};
PendingFiles pending{};

extern "C" void RemovePendingAndStop(int signal) {
    for (int i = 0; i < kSlots; ++i) {
        if (pending.used[i].load()) ::unlink(pending.path[i]);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallHandlers() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;  // kept as the program set it
        struct sigaction action {};
        action.sa_handler = RemovePendingAndStop;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void Register(const std::string& path) {
    if (path.size() >= kPathMax) return;
    InstallHandlers();
    for (int i = 0; i < kSlots; ++i) {
        if (pending.used[i].load()) continue;
        std::memcpy(pending.path[i], path.c_str(), path.size() + 1);
        pending.used[i].store(true);
        return;
    }
}

// A short name in `directory` that no file has yet, most likely.
std::string FreshName(const std::string& directory) {
    static std::atomic<unsigned> counter{0};
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char name[64];
    std::snprintf(name, sizeof name, "/.tv%x%lx%x", static_cast<unsigned>(::getpid()),
                  static_cast<unsigned long>(now.tv_nsec), counter.fetch_add(1));
    return directory + name;
}

}  // namespace

PathKind Inspect(const std::string& path, unsigned& mode) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? PathKind::Missing : PathKind::Unknown;
    if (S_ISLNK(info.st_mode)) return PathKind::Link;
    if (S_ISDIR(info.st_mode)) return PathKind::Directory;
    if (!S_ISREG(info.st_mode)) return PathKind::Other;
    mode = static_cast<unsigned>(info.st_mode & 07777);
    return PathKind::Regular;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int OpenUnnamed(const std::string& directory, unsigned mode) {
#ifdef O_TMPFILE
    const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd >= 0) ::fchmod(fd, static_cast<mode_t>(mode));
    return fd;
#else
    (void)directory;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

int CreateNamed(const std::string& directory, unsigned mode, std::string& path) {
    path = directory + "/.tvXXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        path.clear();
        return -1;
    }
    Register(path);
    ::fchmod(fd, static_cast<mode_t>(mode));
    return fd;
}

bool NameUnnamed(int fd, const std::string& directory, const std::string& finalPath) {
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A link cannot replace a file, so the file is linked to a fresh
        // name first and that name is renamed over the final one.
        const std::string step = FreshName(directory);
        Register(step);
        int linked = ::linkat(AT_FDCWD, procPath, AT_FDCWD, step.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
        if (linked != 0 && errno != EEXIST) linked = ::linkat(fd, "", AT_FDCWD, step.c_str(), AT_EMPTY_PATH);
#endif
        if (linked != 0) {
            const int error = errno;
            Forget(step);
            errno = error;
            if (error == EEXIST) continue;
            return false;
        }
        if (!Replace(step, finalPath)) {
            const int error = errno;
            Remove(step);
            errno = error;
            return false;
        }
        Forget(step);
        return true;
    }
    return false;
}

bool Replace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

void Forget(const std::string& path) {
    for (int i = 0; i < kSlots; ++i) {
        if (pending.used[i].load() && path == pending.path[i]) pending.used[i].store(false);
    }
}

void Remove(const std::string& path) {
    ::unlink(path.c_str());
    Forget(path);
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace torvane::output_fs
