// Preloaded into torvane-cli by the end-to-end tests: close() of a file
// whose path is CLOSE_FAILS_FOR fails with EIO (after closing it), as on a
// network file system whose last write-back fails.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern "C" int close(int fd) {
    using Close = int (*)(int);
    static const Close real = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "close"));
    // Compared by inode: an unnamed file that was linked to the path keeps
    // its old name in /proc.
    const char* failing = std::getenv("CLOSE_FAILS_FOR");
    struct stat open {}, named {};
    if (failing != nullptr && ::fstat(fd, &open) == 0 && ::stat(failing, &named) == 0 &&
        open.st_dev == named.st_dev && open.st_ino == named.st_ino) {
        real(fd);
        errno = EIO;
        return -1;
    }
    return real(fd);
}
