// The file calls of platform/file_system.h on a POSIX system (Linux and the
// BSDs): O_TMPFILE and linkat for the unnamed output where the system has
// them, a short temporary name beside the final one otherwise.
#include "convert/files/platform/file_system.h"
#include "convert/files/platform/posix_calls.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace torvane::platform {
namespace {

// Named temporary files to remove when a signal stops the program. A signal
// handler can reach nothing else, hence this one fixed table. Threads that
// write files at once each claim a slot before they write its path; the
// handler reads only the paths marked used.
constexpr int kSlots = 16;
constexpr std::size_t kPathMax = 4096;
struct PendingFiles {
    std::atomic<bool> claimed[kSlots];
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

// Removes the pending files before `signal` ends the program, where the
// signal still does what it does by default: one the program (or the one
// that started it) ignores or handles is left so, and a write to a closed
// pipe with SIGPIPE ignored still fails with EPIPE.
void InstallHandler(int signal) {
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = RemovePendingAndStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

// Every signal that another process (or the terminal, a timer, a closed
// pipe, a limit) may send and that ends the program by default. The
// program's own faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS,
// SIGABRT) are left to their default action and to the tools that catch
// them.
void InstallHandlers() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGPIPE, SIGVTALRM,
                             SIGPROF, SIGXCPU, SIGXFSZ}) {
        InstallHandler(signal);
    }
#ifdef __linux__
    for (const int signal : {SIGIO, SIGPWR, SIGSTKFLT}) InstallHandler(signal);
#endif
#if defined(SIGRTMIN) && defined(SIGRTMAX)
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) InstallHandler(signal);
#endif
}

void Register(const std::string& path) {
    if (path.size() >= kPathMax) return;
    InstallHandlers();
    for (int i = 0; i < kSlots; ++i) {
        bool free = false;
        if (!pending.claimed[i].compare_exchange_strong(free, true)) continue;
        std::memcpy(pending.path[i], path.c_str(), path.size() + 1);
        pending.used[i].store(true);
        return;
    }
}

// No longer removed on a signal.
void Forget(const std::string& path) {
    for (int i = 0; i < kSlots; ++i) {
        if (pending.used[i].load() && path == pending.path[i]) {
            pending.used[i].store(false);
            pending.claimed[i].store(false);
        }
    }
}

// Removed now.
void Remove(const std::string& path) {
    ::unlink(path.c_str());
    Forget(path);
}

// Renames `from` over `to` in one step.
bool Replace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

// A short name in `directory` ("/.tv" and six letters or digits) that no
// file has yet, most likely.
std::string ShortFreshName(const std::string& directory) {
    static std::atomic<std::uint64_t> counter{0};
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t bits = (static_cast<std::uint64_t>(::getpid()) << 40) ^ static_cast<std::uint64_t>(now.tv_nsec) ^
                         (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
    bits ^= bits >> 31;
    bits *= 0xBF58476D1CE4E5B9u;
    bits ^= bits >> 29;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    char name[] = "/.tvXXXXXX";
    for (char* c = name + 4; *c != '\0'; ++c) {
        *c = kLetters[bits % 62];
        bits /= 62;
    }
    return directory + name;
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

// A file without a name in `directory`: the system drops it if the program
// ends before NameUnnamed. -1 where the file system has no such files.
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

// Gives the unnamed file `fd` the name `finalPath`, replacing a file of that
// name in one step.
// Links the unnamed file `fd` to `path`, which must not exist: 0 or -1 with errno.
int LinkUnnamed(int fd, const char* procPath, const std::string& path) {
    int linked = ::linkat(AT_FDCWD, procPath, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
    if (linked != 0 && errno != EEXIST) linked = ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
#else
    (void)fd;
#endif
    return linked;
}

bool NameUnnamed(int fd, const std::string& directory, const std::string& finalPath, bool replacing) {
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    // Where no file has the final name yet, the file takes it at once: no
    // other name is ever seen, whatever stops the program. (Where one was
    // found, that link would fail: the fresh name follows at once; should
    // the file have gone meanwhile, the rename names the file all the same.)
    if (!replacing && LinkUnnamed(fd, procPath, finalPath) == 0) return true;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A link cannot replace a file, so the file is linked to a fresh
        // name first and that name is renamed over the final one. A
        // stopping signal in between removes it; SIGKILL cannot be caught,
        // so one that falls between the two calls leaves the fresh name.
        const std::string step = FreshName(directory);
        Register(step);
        const int linked = LinkUnnamed(fd, procPath, step);
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

}  // namespace

std::ptrdiff_t ReadSome(FileHandle file, char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

std::ptrdiff_t ReadSomeAt(FileHandle file, char* data, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t n = ::pread(Fd(file), data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

FileHandle OpenForReading(const std::string& path, FileStatus& status) {
    status = FileStatus{};
    // Non-blocking, so that opening a FIFO returns at once and is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (KeptIfRegular(fd, status) == kNoFile) return kNoFile;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return fd;
}

namespace {

// The process's mask as Linux tells it (from 4.7 on), without setting it.
bool MaskFromProc(unsigned& mask) {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[4096];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return false;
    text[n] = '\0';
    const char* line = std::strstr(text, "\nUmask:");
    return line != nullptr && std::sscanf(line + 7, " %o", &mask) == 1;
}

}  // namespace

unsigned NewFileMode() {
    unsigned mask = 0;
    if (!MaskFromProc(mask)) {
        // Elsewhere the mask is read by setting it, for a moment in which
        // another thread's new file would get all permissions.
        const mode_t old = ::umask(0);
        ::umask(old);
        mask = static_cast<unsigned>(old);
    }
    return 0666 & ~mask;
}

FileHandle CreateTemporary(const std::string& directory, unsigned mode, std::string& tempPath) {
    tempPath.clear();
    const int fd = OpenUnnamed(directory, mode);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        return CreateNamed(directory, mode, tempPath);
    }
    return fd < 0 ? kNoFile : fd;
}

FileHandle CreateNamed(const std::string& directory, unsigned mode, std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = ShortFreshName(directory);
        // Registered before the file exists: a signal at any moment after
        // the file is made removes it (one before removes nothing).
        Register(path);
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::fchmod(fd, static_cast<mode_t>(mode));
            return fd;
        }
        const int error = errno;
        Forget(path);
        errno = error;
        if (error != EEXIST) break;
    }
    path.clear();
    return kNoFile;
}

bool CommitTemporary(FileHandle file, const std::string& directory, const std::string& tempPath,
                     const std::string& finalPath, bool replacing) {
    const bool named =
        tempPath.empty() ? NameUnnamed(Fd(file), directory, finalPath, replacing) : Replace(tempPath, finalPath);
    if (named && !tempPath.empty()) Forget(tempPath);
    return named;
}

CopyEnd CopyRest(FileHandle from, FileHandle to, char* buffer, std::size_t size) {
#ifdef __linux__
    // The system copies the pages itself (or shares them, where the file
    // system can); a file system that cannot copy between these two files
    // says so before the first byte (some by copying nothing of a file that
    // holds something), and the buffer does the work.
    struct stat info {};
    const off_t at = ::lseek(Fd(from), 0, SEEK_CUR);
    const bool more = ::fstat(Fd(from), &info) == 0 && at >= 0 && info.st_size > at;
    for (bool first = true;; first = false) {
        const ssize_t n = ::copy_file_range(Fd(from), nullptr, Fd(to), nullptr, std::size_t{1} << 30, 0);
        if (n == 0 && first && more) break;
        if (n == 0) return CopyEnd::Done;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        const bool unsupported = errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                                 errno == EPERM || errno == ETXTBSY;
        if (!(first && unsupported)) return CopyEnd::WriteFailed;
        break;
    }
#endif
    return CopyThroughBuffer(from, to, buffer, size);
}

FileHandle HoldFile(const std::string& path) {
#if defined(O_PATH) && defined(O_NOFOLLOW)
    const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
#else
    (void)path;
    return kNoFile;
#endif
}

void DiscardTemporary(const std::string& tempPath) { Remove(tempPath); }

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace torvane::platform
