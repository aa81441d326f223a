// Files that cannot be read or written, and inputs that change under a run:
// each failure is reported with a message naming the file, and no output
// file is left behind or replaced by a partial one.
#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "convert/files/file_closer.h"
#include "convert/files/platform/file_system.h"
#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "log_run.h"
#include "sample_logs.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kGga = test::kExampleGga + "\r\n";

std::string GgaLog(std::size_t lines) {
    std::string text;
    text.reserve(lines * kGga.size());
    for (std::size_t i = 0; i < lines; ++i) text += kGga;
    return text;
}

std::string GpxLog(std::size_t points) {
    std::string text = "<?xml version=\"1.0\"?>\n<gpx>\n<trk><trkseg>\n";
    for (std::size_t i = 0; i < points; ++i) {
        text += "<trkpt lat=\"53.1\" lon=\"8.8\">\n<ele>5.0</ele>\n<time>2024-01-01T10:15:30Z</time>\n</trkpt>\n";
    }
    return text + "</trkseg></trk>\n</gpx>\n";
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using test::Listing;
using test::LogRun;

// Runs `work` in a child process whose files cannot grow beyond `limit`
// bytes: a write past it fails with EFBIG (SIGXFSZ is ignored), as on a
// full disk. Returns what `work` returned in the child.
std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        const std::string answer = ::setrlimit(RLIMIT_FSIZE, &size) == 0 ? work() : "setrlimit failed";
        [[maybe_unused]] const ssize_t written = ::write(channel[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return answer;
}

// Runs `work` in a child process that may map no more memory than it has
// mapped already; returns what `work` returned in the child.
std::string WithNoMoreMemory(const std::function<std::string()>& work) {
    return WithFileSizeLimit(RLIM_INFINITY, [&] {
        unsigned long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlimit memory{pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)), RLIM_INFINITY};
        return pages != 0 && ::setrlimit(RLIMIT_AS, &memory) == 0 ? work() : "setrlimit failed";
    });
}

std::string Describe(const RunReport& report) {
    const char* outcome = report.outcome == RunReport::Outcome::Failed ? "Failed" : "Completed";
    return std::string(outcome) + ": " + report.message;
}

TEST(FileFailures, InputThatIsMissingOrNoRegularFileIsReported) {
    TempDir dir;
    WriteFile(dir.File("blocker"), "");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.File("missing.nmea"), std::strerror(ENOENT)},
        {dir.Path(), std::strerror(EISDIR)},
        {dir.File("blocker/track.nmea"), std::strerror(ENOTDIR)},
        {dir.File("pipe"), "not a regular file"},  // refused at once, not waited on
    };
    for (const auto& c : cases) {
        Settings s;
        s.InputFilePath = c.path;
        const AnalysisReport analysis = AnalyzeInput(s);
        EXPECT_TRUE(analysis.failed) << c.path;
        EXPECT_EQ(analysis.message, "Cannot read input file " + c.path + ": " + c.reason + ".");
        EXPECT_EQ(s.DataType, DataKind::None);

        s.DataType = DataKind::GPGGA;
        s.OutputType = OutputKind::Table;
        s.OutputFilePath = dir.File("out.prn");
        const RunReport run = PerformConversionRun(s);
        EXPECT_EQ(run.outcome, RunReport::Outcome::Failed);
        EXPECT_EQ(run.message, "Cannot read input file " + c.path + ": " + c.reason + ".");
        EXPECT_FALSE(FileExists(dir.File("out.prn")));
    }
}

TEST(FileFailures, UnreadableInputIsReportedWhenNotRoot) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    LogRun r(GgaLog(2));
    ::chmod(r.s.InputFilePath.c_str(), 0);
    const RunReport run = PerformConversionRun(r.s);
    EXPECT_EQ(run.message, "Cannot read input file " + r.s.InputFilePath + ": " + std::string(std::strerror(EACCES)) + ".");
    EXPECT_FALSE(FileExists(r.s.OutputFilePath));
}

TEST(FileFailures, OutputPathThatIsNoRegularFileIsLeftAlone) {
    LogRun r(GgaLog(2));
    std::filesystem::create_directory(r.s.OutputFilePath);
    RunReport run = PerformConversionRun(r.s);
    EXPECT_EQ(run.outcome, RunReport::Outcome::Failed);
    EXPECT_EQ(run.message, "Cannot write output file " + r.s.OutputFilePath + ": cannot create: " + std::strerror(EISDIR) + ".");
    EXPECT_TRUE(std::filesystem::is_directory(r.s.OutputFilePath));

    // A FIFO (or a device such as /dev/null) is not replaced by a regular file.
    std::filesystem::remove(r.s.OutputFilePath);
    ASSERT_EQ(::mkfifo(r.s.OutputFilePath.c_str(), 0600), 0);
    run = PerformConversionRun(r.s);
    EXPECT_EQ(run.message, "Cannot write output file " + r.s.OutputFilePath + ": cannot create: not a regular file.");
    EXPECT_TRUE(std::filesystem::is_fifo(r.s.OutputFilePath));
    EXPECT_EQ(Listing(r.dir.Path()), "track.nmea track_GGA.prn");
}

TEST(FileFailures, ReadOnlyOutputDirectoryIsReportedWhenNotRoot) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    LogRun r(GgaLog(2));
    ::chmod(r.dir.Path().c_str(), 0555);
    const RunReport run = PerformConversionRun(r.s);
    ::chmod(r.dir.Path().c_str(), 0755);
    EXPECT_EQ(run.message, "Cannot write output file " + r.s.OutputFilePath + ": cannot create: " + std::strerror(EACCES) + ".");
    EXPECT_FALSE(FileExists(r.s.OutputFilePath));
}

TEST(FileFailures, GpxCopyThatCannotBeWrittenFailsTheAnalysis) {
    TempDir dir;
    Settings s;
    s.InputFilePath = dir.File("hike.gpx");
    WriteFile(s.InputFilePath, GpxLog(3));
    std::filesystem::create_directory(dir.File("hike_CRLF.gpx"));
    const AnalysisReport report = AnalyzeInput(s);
    EXPECT_TRUE(report.failed);
    EXPECT_EQ(report.message, "Cannot write GPX copy " + dir.File("hike_CRLF.gpx") + ": cannot create: " + std::strerror(EISDIR) + ".");
    EXPECT_EQ(s.InputFilePath, dir.File("hike.gpx"));
    EXPECT_EQ(s.DataType, DataKind::None);
    EXPECT_TRUE(report.gpxCopyPath.empty());
}

TEST(FileFailures, FullDiskFailsTheRunAndKeepsThePreviousOutput) {
    for (const OutputKind kind : {OutputKind::Table, OutputKind::KML, OutputKind::OVL}) {
        for (const bool eliminate : {false, true}) {
            LogRun r(GgaLog(4000), kind, eliminate);  // about 180 KB of output
            WriteFile(r.s.OutputFilePath, "previous");
            const std::string answer = WithFileSizeLimit(64 << 10, [&] { return Describe(PerformConversionRun(r.s)); });
            EXPECT_EQ(answer, "Failed: Cannot write output file " + r.s.OutputFilePath +
                                  ": cannot write: " + std::strerror(EFBIG) +
                                  ". No output written.");
            EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");
            EXPECT_EQ(Listing(r.dir.Path()), "track.nmea " + r.s.OutputFilePath.substr(r.dir.Path().size() + 1));
        }
    }
}

// (A thread that cannot start leaves the run to one pass: see the parts' tests.)
TEST(FileFailures, RunShortOfMemoryFailsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves terabytes of address space and keeps
    // its own memory apart: a limit on the address space tells nothing there.
    GTEST_SKIP() << "not meaningful under the address sanitizer";
#endif
    // 11 MB: a table in two parts at once, whose thread needs a stack.
    LogRun r(GgaLog(150000));
    WriteFile(r.s.OutputFilePath, "previous");
    const std::string answer = WithNoMoreMemory([&] { return Describe(PerformConversionRun(r.s)); });
    // Run alone (as ctest runs each test), the process has no memory to spare;
    // after other tests it may hold freed memory and thread stacks enough.
    if (StartsWith(answer, "Completed: ")) GTEST_SKIP() << "memory to spare from earlier tests";
    EXPECT_TRUE(StartsWith(answer, "Failed: Cannot process input file " + r.s.InputFilePath + ": ") &&
                answer.ends_with(". No output written."))
        << answer.substr(0, 200);
    EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");
    EXPECT_EQ(Listing(r.dir.Path()), "track.nmea track_GGA.prn");
}

TEST(FileFailures, FullDiskDuringTheOverlayCorrectionKeepsThePreviousOverlay) {
    // The corrected text is larger (every point line gets CR LF): a limit
    // between the two sizes lets the run's file be written but not the correction.
    LogRun r(GgaLog(2000), OutputKind::OVL, false);
    ASSERT_EQ(PerformConversionRun(r.s).outcome, RunReport::Outcome::Written);
    const auto uncorrected = std::filesystem::file_size(r.s.OutputFilePath);
    WriteFile(r.s.OutputFilePath, "previous");
    r.s.EliminateZeroPositions = true;
    const std::string answer =
        WithFileSizeLimit(static_cast<rlim_t>(uncorrected + 1000), [&] { return Describe(PerformConversionRun(r.s)); });
    EXPECT_TRUE(StartsWith(answer, "Failed: Could not correct the point count of " + r.s.OutputFilePath)) << answer;
    EXPECT_TRUE(Has(answer, std::strerror(EFBIG))) << answer;
    EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");
    EXPECT_EQ(Listing(r.dir.Path()), "track.nmea track_GGA.ovl");
}

TEST(FileFailures, FullDiskWhileWritingTheGpxCopyKeepsThePreviousCopy) {
  // 180 KB, and over 1 MiB: more than one block read before the write fails.
  for (const std::size_t points : {2000, 15000}) {
    TempDir dir;
    Settings s;
    s.InputFilePath = dir.File("hike.gpx");
    WriteFile(s.InputFilePath, GpxLog(points));
    WriteFile(dir.File("hike_CRLF.gpx"), "previous");
    const std::string answer = WithFileSizeLimit(64 << 10, [&] {
        const AnalysisReport report = AnalyzeInput(s);
        return (report.failed ? "Failed: " : "Completed: ") + report.message;
    });
    EXPECT_EQ(answer, "Failed: Cannot write GPX copy " + dir.File("hike_CRLF.gpx") + ": cannot write: " + std::strerror(EFBIG) + ".");
    EXPECT_EQ(ReadFile(dir.File("hike_CRLF.gpx")), "previous");
    EXPECT_EQ(Listing(dir.Path()), "hike.gpx hike_CRLF.gpx");
  }
}

// Progress hooks that act on the input once, in the middle of a pass.
ProgressHooks OnFirstProgress(std::function<void()> action) {
    ProgressHooks hooks;
    hooks.progress = [action = std::move(action), done = false](std::uint64_t, std::uint64_t) mutable {
        if (!done) action();
        done = true;
    };
    return hooks;
}

// Writes the first byte of a GGA log ("$") over itself and moves the
// modification time one second on (`modified`), or moves only the access
// time: the size stays, and no timestamp granularity can hide the change.
bool TouchInPlace(const std::string& path, bool modified) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) return false;
    struct stat info {};
    bool done = ::fstat(fd, &info) == 0;
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (modified) {
        done = done && ::pwrite(fd, "$", 1, 0) == 1;
        times[1] = {info.st_mtim.tv_sec + 1, info.st_mtim.tv_nsec};
    } else {
        times[0] = {info.st_atim.tv_sec + 1, info.st_atim.tv_nsec};
    }
    done = done && ::futimens(fd, times) == 0;
    ::close(fd);
    return done;
}

TEST(FileFailures, InputTruncatedDuringAPassFailsIt) {
    LogRun r(GgaLog(50000));  // 3.6 MB: several progress calls
    const std::string input = r.s.InputFilePath;
    const ProgressHooks truncate = OnFirstProgress([&] { ASSERT_EQ(::truncate(input.c_str(), 1000000), 0); });
    WriteFile(r.s.OutputFilePath, "previous");
    WriteFile(input, GgaLog(50000));
    const RunReport run = PerformConversionRun(r.s, &truncate);
    EXPECT_EQ(run.outcome, RunReport::Outcome::Failed);
    EXPECT_EQ(run.message, "Cannot read input file " + input + ": the file was changed while it was read. No output written.");
    EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");

    WriteFile(input, GgaLog(50000));
    Settings s;
    s.InputFilePath = input;
    const ProgressHooks truncateAgain = OnFirstProgress([&] { ASSERT_EQ(::truncate(input.c_str(), 1000000), 0); });
    const AnalysisReport analysis = AnalyzeInput(s, &truncateAgain);
    EXPECT_TRUE(analysis.failed);
    EXPECT_EQ(analysis.message, "Cannot read input file " + input + ": the file was changed while it was read.");
    EXPECT_EQ(s.DataType, DataKind::None);

    // Changed in place to the same size: only the modification time tells.
    // Moving the access time alone is no change.
    for (const bool modified : {true, false}) {
        WriteFile(input, GgaLog(50000));
        const ProgressHooks touch = OnFirstProgress([&] { ASSERT_TRUE(TouchInPlace(input, modified)); });
        const RunReport touched = PerformConversionRun(r.s, &touch);
        if (modified) {
            EXPECT_EQ(touched.message,
                      "Cannot read input file " + input + ": the file was changed while it was read. No output written.");
        } else {
            EXPECT_EQ(touched.outcome, RunReport::Outcome::Written) << touched.message;
        }
    }

    // The GPX copy of a file cut short is not kept either.
    const std::string gpx = r.dir.File("hike.gpx");
    WriteFile(gpx, GpxLog(30000));
    const ProgressHooks truncateGpx = OnFirstProgress([&] { ASSERT_EQ(::truncate(gpx.c_str(), 1000000), 0); });
    s.InputFilePath = gpx;
    EXPECT_TRUE(AnalyzeInput(s, &truncateGpx).failed);
    EXPECT_FALSE(FileExists(r.dir.File("hike_CRLF.gpx")));
}

TEST(FileFailures, CancelledRunKeepsThePreviousOutputAndLeavesNothingNew) {
    // 3.6 MB: several progress calls; 11 MB: a table converted in two parts at once.
    for (const auto& [kind, records] : {std::pair{OutputKind::Table, 50000}, std::pair{OutputKind::OVL, 50000},
                                        std::pair{OutputKind::Table, 150000}}) {
        LogRun r(GgaLog(records), kind);
        WriteFile(r.s.OutputFilePath, "previous");
        int asked = 0;
        ProgressHooks hooks;
        hooks.progress = [](std::uint64_t, std::uint64_t) {};
        hooks.cancelled = [&asked] { return ++asked >= 2; };  // after the first megabyte
        const RunReport run = PerformConversionRun(r.s, &hooks);
        EXPECT_EQ(run.outcome, RunReport::Outcome::Cancelled);
        EXPECT_EQ(run.message, "The run was cancelled. No output written; an existing file " + r.s.OutputFilePath +
                                   " is kept as it was.");
        EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");
        EXPECT_EQ(Listing(r.dir.Path()), "track.nmea " + std::filesystem::path(r.s.OutputFilePath).filename().string())
            << "input and previous output only";

        hooks.cancelled = [] { return false; };  // the same run, not cancelled, completes
        EXPECT_EQ(PerformConversionRun(r.s, &hooks).outcome, RunReport::Outcome::Written);
    }
}

TEST(FileFailures, InputRemovedOrReplacedDuringARunIsReadAsItWasOpened) {
    LogRun r(GgaLog(50000));
    const std::string input = r.s.InputFilePath;
    const std::string other = r.dir.File("other.nmea");
    for (const std::function<void()>& change : std::initializer_list<std::function<void()>>{
             [&] { ASSERT_EQ(::unlink(input.c_str()), 0); },
             [&] {
                 WriteFile(other, GgaLog(3));
                 ASSERT_EQ(::rename(other.c_str(), input.c_str()), 0);
             }}) {
        WriteFile(input, GgaLog(50000));
        const ProgressHooks hooks = OnFirstProgress(change);
        const RunReport run = PerformConversionRun(r.s, &hooks);
        EXPECT_EQ(run.outcome, RunReport::Outcome::Written) << run.message;
        EXPECT_EQ(run.count, 50000);
    }
}

TEST(FileFailures, LinkAtTheOverlayCorrectionPathIsNotWrittenThrough) {
    LogRun r(GgaLog(3), OutputKind::OVL, true);
    const std::string victim = r.dir.File("victim.txt");
    WriteFile(victim, "untouched");
    std::filesystem::create_symlink(victim, r.s.OutputFilePath + ".new");
    const RunReport run = PerformConversionRun(r.s);
    EXPECT_EQ(run.outcome, RunReport::Outcome::Written) << run.message;
    EXPECT_EQ(ReadFile(victim), "untouched");
    EXPECT_TRUE(Has(ReadFile(r.s.OutputFilePath), "\r\nPunkte=3\r\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(r.s.OutputFilePath + ".new"));
}

TEST(FileFailures, DirectoryAtTheOldCorrectionPathDoesNotStopTheOverlay) {
    LogRun r(GgaLog(3), OutputKind::OVL, true);
    WriteFile(r.s.OutputFilePath, "previous");
    std::filesystem::create_directory(r.s.OutputFilePath + ".new");
    const RunReport run = PerformConversionRun(r.s);
    EXPECT_EQ(run.outcome, RunReport::Outcome::Written) << run.message;
    EXPECT_TRUE(Has(ReadFile(r.s.OutputFilePath), "\r\nPunkte=3\r\n"));
    EXPECT_TRUE(std::filesystem::is_directory(r.s.OutputFilePath + ".new"));
}

TEST(FileFailures, OutputThatIsALinkOrTheInputItselfIsRefused) {
    LogRun r(GgaLog(2));
    const std::string input = r.s.InputFilePath;
    const std::string victim = r.dir.File("victim.txt");
    const std::string log = ReadFile(input);
    ::mkfifo(r.dir.File("fifo").c_str(), 0600);
    const std::string link = ": cannot create: it is a symbolic link.";
    const std::string same = ": it is the input file.";
    const struct {
        std::string output;
        std::function<void()> make;
        std::string reason;
    } cases[] = {
        {r.dir.File("out.prn"), [&] { std::filesystem::create_symlink(victim, r.dir.File("out.prn")); }, link},
        {r.dir.File("fifo.prn"), [&] { std::filesystem::create_symlink(r.dir.File("fifo"), r.dir.File("fifo.prn")); }, link},
        {r.dir.File("none.prn"), [&] { std::filesystem::create_symlink(r.dir.File("missing"), r.dir.File("none.prn")); }, link},
        {input, [] {}, same},
        {r.dir.Path() + "/./track.nmea", [] {}, same},
        {r.dir.File("hard.nmea"), [&] { std::filesystem::create_hard_link(input, r.dir.File("hard.nmea")); }, same},
    };
    for (const auto& c : cases) {
        WriteFile(victim, "untouched");
        c.make();
        const std::string before = std::filesystem::is_symlink(c.output) ? std::filesystem::read_symlink(c.output).string() : "";
        r.s.OutputFilePath = c.output;
        const RunReport run = PerformConversionRun(r.s);
        EXPECT_EQ(run.outcome, RunReport::Outcome::Failed) << c.output;
        EXPECT_EQ(run.message, "Cannot write output file " + c.output + c.reason);
        EXPECT_EQ(ReadFile(victim), "untouched");
        EXPECT_EQ(ReadFile(input), log);
        if (!before.empty()) {
            EXPECT_EQ(std::filesystem::read_symlink(c.output).string(), before);
        }
    }

    // The GPX copy's name is not replaced through a link either.
    Settings s;
    s.InputFilePath = r.dir.File("hike.gpx");
    WriteFile(s.InputFilePath, GpxLog(3));
    std::filesystem::create_symlink(victim, r.dir.File("hike_CRLF.gpx"));
    const AnalysisReport report = AnalyzeInput(s);
    EXPECT_TRUE(report.failed);
    EXPECT_EQ(report.message, "Cannot write GPX copy " + r.dir.File("hike_CRLF.gpx") + link);
    EXPECT_EQ(ReadFile(victim), "untouched");
    EXPECT_TRUE(std::filesystem::is_symlink(r.dir.File("hike_CRLF.gpx")));

    // Nor is the GPX file a run's copy was made from, by any name.
    Settings g;
    g.InputFilePath = r.dir.File("walk.gpx");
    WriteFile(g.InputFilePath, GpxLog(3));
    std::filesystem::create_hard_link(g.InputFilePath, r.dir.File("walk-hard.gpx"));
    ASSERT_TRUE(AnalyzeInput(g).recognised);
    g.OutputType = OutputKind::Table;
    for (const std::string& output : {r.dir.File("walk.gpx"), r.dir.File("walk-hard.gpx")}) {
        g.OutputFilePath = output;
        EXPECT_EQ(PerformConversionRun(g).message, "Cannot write output file " + output + same);
        EXPECT_EQ(ReadFile(r.dir.File("walk.gpx")), GpxLog(3));
    }
}

TEST(FileFailures, OutputNamesUpToTheSystemLimitAreWritten) {
    LogRun r(GgaLog(2));
    for (const std::size_t length : {245, 250, 255, 256}) {
        r.s.OutputFilePath = r.dir.File(std::string(length - 4, 'n') + ".prn");
        const RunReport run = PerformConversionRun(r.s);
        if (length <= 255) {
            EXPECT_EQ(run.outcome, RunReport::Outcome::Written) << length << ": " << run.message;
            EXPECT_TRUE(FileExists(r.s.OutputFilePath)) << length;
            std::filesystem::remove(r.s.OutputFilePath);
        } else {
            EXPECT_EQ(run.message, "Cannot write output file " + r.s.OutputFilePath + ": cannot create: " +
                                       std::strerror(ENAMETOOLONG) + ".");
        }
        EXPECT_EQ(Listing(r.dir.Path()), "track.nmea") << length;
    }
}

std::size_t OpenHandles() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator()));
}

TEST(FileFailures, ReplacedOutputKeepsItsPermissionBits) {
    // Also where the replaced file is let go on a closing thread: once that
    // is gone, no handle of it is left open.
    for (const bool closing : {false, true}) {
        const std::size_t handles = OpenHandles();
        {
            FileCloser closer;
            for (const OutputKind kind : {OutputKind::Table, OutputKind::OVL}) {
                for (const mode_t mode : {0444, 0600, 0640, 0755}) {
                    LogRun r(GgaLog(2), kind, true);
                    r.s.Parts.replacedFiles = closing ? &closer : nullptr;
                    WriteFile(r.s.OutputFilePath, "previous");
                    ASSERT_EQ(::chmod(r.s.OutputFilePath.c_str(), mode), 0);
                    ASSERT_EQ(PerformConversionRun(r.s).outcome, RunReport::Outcome::Written);
                    struct stat info {};
                    ASSERT_EQ(::stat(r.s.OutputFilePath.c_str(), &info), 0);
                    EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
                    EXPECT_NE(ReadFile(r.s.OutputFilePath), "previous");
                }
            }
        }
        EXPECT_EQ(OpenHandles(), handles) << closing;
    }
    // A new file takes the usual mode for new files, 0666 less the mask:
    // the output, the overlay with its corrected count, the dated output
    // made of two files, and the GPX copy.
    for (const mode_t mask : {027, 022, 002}) {
        const mode_t before = ::umask(mask);
        for (const OutputKind kind : {OutputKind::Table, OutputKind::OVL, OutputKind::GPX}) {
            LogRun r(GgaLog(2), kind);
            ASSERT_EQ(PerformConversionRun(r.s).outcome, RunReport::Outcome::Written);
            struct stat info {};
            ASSERT_EQ(::stat(r.s.OutputFilePath.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask) << std::oct << mask << " " << r.s.OutputFilePath;
        }
        LogRun g;
        g.Analyze("walk.gpx", GpxLog(3));
        struct stat info {};
        ASSERT_EQ(::stat(g.dir.File("walk_CRLF.gpx").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask) << std::oct << mask << " GPX copy";
        // Where files cannot be unnamed, the named temporary file.
        std::string path;
        const platform::FileHandle named = platform::CreateNamed(g.dir.Path(), platform::NewFileMode(), path);
        ASSERT_NE(named, platform::kNoFile);
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask) << std::oct << mask << " named";
        platform::Close(named);
        platform::DiscardTemporary(path);
        ::umask(before);
    }
}

// Runs a conversion in a child process that `stop` ends from the progress
// hook, midway; returns the names left in the run's directory.
std::string ListingAfterStoppedRun(const std::function<void()>& stop) {
    LogRun r(GgaLog(50000));  // 3.6 MB: several progress calls
    WriteFile(r.s.OutputFilePath, "previous");
    const pid_t child = ::fork();
    if (child == 0) {
        const ProgressHooks hooks = OnFirstProgress(stop);
        PerformConversionRun(r.s, &hooks);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(ReadFile(r.s.OutputFilePath), "previous");
    return Listing(r.dir.Path());
}

TEST(FileFailures, StoppedRunLeavesNothingBehind) {
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP, SIGINT}) {
        EXPECT_EQ(ListingAfterStoppedRun([signal] { ::raise(signal); }), "track.nmea track_GGA.prn")
            << strsignal(signal);
    }
}

// Signals that end the program by default, sent by another process, the
// terminal, a timer, a closed pipe or a limit.
std::vector<int> StoppingSignals() {
    std::vector<int> signals{SIGTERM, SIGHUP,    SIGINT,  SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2,
                             SIGPIPE, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGIO,   SIGPWR};
    signals.push_back(SIGRTMIN);
    signals.push_back(SIGRTMAX);
    return signals;
}

// Whether the test itself was started with `signal` at its default action
// (one ignored is kept ignored, and then stops nothing).
bool StopsByDefault(int signal) {
    struct sigaction action {};
    return ::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN;
}

// Some of them leave a core file where the system keeps them; a child
// stopped on purpose leaves none.
void NoCoreFile() {
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

TEST(FileFailures, NamedTemporaryFileIsRemovedWhenASignalStopsTheProgram) {
    // Where files cannot be unnamed, the output is written under a short
    // temporary name; a stopping signal removes it.
    for (const int signal : StoppingSignals()) {
        if (!StopsByDefault(signal)) continue;
        TempDir dir;
        const pid_t child = ::fork();
        if (child == 0) {
            NoCoreFile();
            std::string path;
            const int fd = platform::CreateNamed(dir.Path(), 0644, path);
            if (fd < 0 || !FileExists(path) || path.size() > dir.Path().size() + 12) ::_exit(1);
            ::raise(signal);
            ::_exit(2);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Listing(dir.Path()), "") << strsignal(signal);
    }
}

TEST(FileFailures, SignalAtAnyMomentOfMakingANamedTemporaryFileLeavesNothing) {
    // Children make and drop named temporary files without pause; each is
    // stopped at a moment of its own, often while a file is being made.
    TempDir dir;
    std::vector<int> signals;
    for (const int signal : StoppingSignals()) {
        if (StopsByDefault(signal)) signals.push_back(signal);
    }
    for (int run = 0; run < 150; ++run) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            NoCoreFile();
            ::close(ready[0]);
            bool told = false;
            for (;;) {
                std::string path;
                const platform::FileHandle fd = platform::CreateNamed(dir.Path(), 0644, path);
                if (fd == platform::kNoFile) ::_exit(1);
                platform::Close(fd);
                platform::DiscardTemporary(path);
                if (!told) told = ::write(ready[1], "r", 1) == 1;
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(run % 7) * 50);
        ::kill(child, signals[static_cast<std::size_t>(run) % signals.size()]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << status;
    }
    EXPECT_EQ(Listing(dir.Path()), "");
}

TEST(FileFailures, NewOutputNeverShowsAnotherName) {
    // Where the file system has unnamed files, a new output takes its name
    // at once, so not even SIGKILL can leave another name behind.
    TempDir dir;
    const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (probe < 0) GTEST_SKIP() << "no unnamed files on this file system";
    ::close(probe);
    LogRun r(GgaLog(3));
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, r.dir.Path().c_str(), IN_CREATE | IN_MOVED_TO), 0);
    ASSERT_EQ(PerformConversionRun(r.s).outcome, RunReport::Outcome::Written);
    std::string names;
    alignas(inotify_event) char events[8192];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (char* at = events; at < events + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            names += std::string(event->len > 0 ? event->name : "") + " ";
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    EXPECT_EQ(names, "track_GGA.prn ");
}

}  // namespace
}  // namespace torvane
