#include "convert/dates/log_dates.h"

#include <algorithm>
#include <cmath>

#include "convert/dates/date_sources.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/kinds.h"
#include "convert/read/sentence_checks.h"
#include "convert/run/record_loop.h"
#include "output/track_time.h"

namespace torvane {

void LogDates::SeeLine(std::string_view line) {
    switch (source_) {
        case DateSource::NmeaSentences:
            if (const auto date = NmeaSentenceDate(line, rmcDay_)) {
                if (!verifyChecksums_ || HasValidChecksum(line)) calendar_.DateGiven(date->day, date->timeOfDay);
            }
            break;
        case DateSource::IgcHeader:
            if (!line.empty() && line[0] == 'H') {
                if (const auto day = IgcHeaderDate(line)) calendar_.DateGiven(*day, std::nullopt);
            }
            break;
        case DateSource::OwnTime:
        case DateSource::None:
            break;
    }
}

std::optional<std::int64_t> LogDates::PositionTime(const Position& position) {
    // A position that carries its own date and time (a GPX point).
    if (source_ == DateSource::OwnTime) return position.utcTime;
    return calendar_.Position(position.timeOfDay);
}

namespace {

// Follows the log up to its first dated position; the loop ends at the line
// after it.
class StartFinder : public DatedRecordSink {
public:
    explicit StartFinder(const Settings& s)
        : dates_(s, TrackCalendar()), gpx_(InputKindOf(s.DataType).dates == DateSource::OwnTime) {}

    bool SeeLine(std::string_view line) override {
        if (Start()) return true;
        dates_.SeeLine(line);
        return false;
    }
    void Take(const Record& record, std::uint64_t lineOffset) override {
        if (record.invalid || Start()) return;
        const Position& p = record.position;
        const std::optional<std::int64_t> time = dates_.PositionTime(p);
        if (!firstTimeOfDay_) {
            firstTimeOfDay_ = p.timeOfDay;
            firstOffset_ = lineOffset;
        } else if (PassesMidnight(lastTimeOfDay_, p.timeOfDay)) {
            ++midnights_;
        }
        lastTimeOfDay_ = p.timeOfDay;
        lastOffset_ = lineOffset;
        if (gpx_ && time) gpxStart_ = LogStart{0, *time};
    }

    // The first position's day can become known at a date that follows it.
    std::optional<LogStart> Start() const {
        if (gpx_) return gpxStart_;
        const auto day = dates_.Calendar().FirstDay();
        if (!day || !firstTimeOfDay_) return std::nullopt;
        return StartOn(*day);
    }
    // The start of an undated log whose first position the user dates.
    std::optional<LogStart> StartOn(std::int64_t day) const {
        if (gpx_ || !firstTimeOfDay_) return std::nullopt;
        return LogStart{day, day * kMillisecondsPerDay + std::llround(*firstTimeOfDay_ * 1000), firstOffset_};
    }
    // The start of a part without a date of its own in a log that starts at
    // `log`: its first position falls as many days after the log's first day
    // as bring the log's first time of day, plus the seconds the log took to
    // reach the part, nearest to the part's first time of day. Those seconds
    // are reckoned at the pace of the part's own positions (seconds per
    // byte), none where the part is too short to tell.
    std::optional<LogStart> PartStartIn(const LogStart& log) const {
        if (gpx_ || !firstTimeOfDay_) return std::nullopt;
        const double logTime = static_cast<double>(log.firstTime - log.firstDay * kMillisecondsPerDay) / 1000;
        double before = 0;
        if (lastOffset_ > firstOffset_ && firstOffset_ > log.firstOffset) {
            const double seconds = midnights_ * 86400.0 + lastTimeOfDay_ - *firstTimeOfDay_;
            before = seconds / static_cast<double>(lastOffset_ - firstOffset_) *
                     static_cast<double>(firstOffset_ - log.firstOffset);
        }
        const double days = std::round((logTime + before - *firstTimeOfDay_) / 86400);
        return StartOn(log.firstDay + (days > 0 && days < 1e6 ? static_cast<std::int64_t>(days) : 0));
    }

private:
    LogDates dates_;
    bool gpx_;
    std::optional<double> firstTimeOfDay_;
    std::optional<LogStart> gpxStart_;
    // The pace of the positions read: where the first and the last stand
    // in the file, the midnights between them and the last time of day.
    std::uint64_t firstOffset_ = 0, lastOffset_ = 0;
    std::int64_t midnights_ = 0;
    double lastTimeOfDay_ = 0;
};

}  // namespace

namespace {

// Runs `finder` over the bytes `range` of the log as a run with `options` reads them.
bool Follow(StartFinder& finder, const Settings& options, platform::FileHandle file, ByteRange range,
            std::string& error) {
    return RunLookingPass(options, file, range, finder, error) != LoopEnd::ReadFailed;
}

}  // namespace

bool FindPartStart(const Settings& s, platform::FileHandle file, ByteRange range,
                   const std::optional<LogStart>& logStart, std::optional<LogStart>& start, std::string& error) {
    StartFinder finder(s);
    start.reset();
    if (!Follow(finder, s, file, range, error)) return false;
    start = finder.Start();
    if (!start && logStart) start = finder.PartStartIn(*logStart);
    return true;
}

bool FindLogStart(const Settings& s, platform::FileHandle file, std::uint64_t size, std::optional<LogStart>& start,
                  std::string& error) {
    StartFinder finder(s);
    start.reset();
    if (!Follow(finder, s, file, ByteRange{0, size}, error)) return false;
    start = finder.Start();
    if (!start && s.FirstPositionDate) start = finder.StartOn(*s.FirstPositionDate);
    return true;
}

bool LaterPartCalendar(const Settings& s, platform::FileHandle file, std::uint64_t size, std::uint64_t at,
                       const std::optional<LogStart>& logStart, TrackCalendar& calendar) {
    calendar = CalendarFor(logStart);
    // A position that carries its own date (a GPX point) needs no calendar.
    if (InputKindOf(s.DataType).dates == DateSource::OwnTime) return true;
    constexpr std::uint64_t kLookAhead = 256u << 10;
    std::optional<LogStart> start;
    std::string error;
    const ByteRange range{at, std::min(size, at + kLookAhead)};
    if (!FindPartStart(s, file, range, logStart, start, error)) return false;
    if (start) calendar = TrackCalendar(start->firstDay);
    return true;
}

bool LogHasDate(const Settings& options) {
    Settings s = options;
    s.FirstPositionDate.reset();
    InputFile input;
    if (!input.Open(s.InputFilePath)) return false;
    std::optional<LogStart> start;
    std::string error;
    return FindLogStart(s, input.Descriptor(), input.Size(), start, error) && start.has_value();
}

TrackCalendar CalendarFor(const std::optional<LogStart>& start) {
    return start ? TrackCalendar(start->firstDay) : TrackCalendar();
}

}  // namespace torvane
