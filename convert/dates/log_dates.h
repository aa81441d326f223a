// The dates of a log as the record loop reads it: the lines where the log
// gives a date, and the UTC time of each position that is written. The
// same reading serves the dated outputs, the summary and the preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/dates/date_sources.h"
#include "convert/dates/track_calendar.h"
#include "convert/files/line_reader.h"
#include "convert/files/platform/file_system.h"
#include "convert/kinds.h"
#include "convert/read/position.h"
#include "convert/settings.h"

namespace torvane {

class LogDates {
public:
    LogDates(const Settings& s, TrackCalendar calendar)
        : source_(InputKindOf(s.DataType).dates), verifyChecksums_(s.VerifyChecksums), calendar_(calendar) {}

    // A line of the input, before it is converted.
    void SeeLine(std::string_view line);

    // The UTC time (milliseconds since 1970-01-01) of `position`, which is
    // written; none where the log gives no date.
    std::optional<std::int64_t> PositionTime(const Position& position);

    const TrackCalendar& Calendar() const { return calendar_; }
    DateSource Source() const { return source_; }

private:
    DateSource source_;
    bool verifyChecksums_;
    TrackCalendar calendar_;
    ShortDateMemo rmcDay_;
};

// Where a log's dated track starts: the day of its first position (for
// NMEA and IGC, from which every later day follows) and that position's
// UTC time.
struct LogStart {
    std::int64_t firstDay = 0;
    std::int64_t firstTime = 0;
    std::uint64_t firstOffset = 0;  // where in the file that position's line starts
};

// Reads the log of `s` (after its analysis; open as `file` of `size` bytes)
// as the run with its options would, up to the first position whose date
// is known. `start` stays empty for a log without a date, read to its end;
// the date the user gave for such a log (FirstPositionDate) then dates the
// first position instead. False when the input cannot be read, with the
// reason in `error`.
bool FindLogStart(const Settings& s, platform::FileHandle file, std::uint64_t size, std::optional<LogStart>& start,
                  std::string& error);
// The same over the bytes `range` of the file alone (whole lines), as if
// the log began there. Where the part gives no date of its own, the day of
// its first position is reckoned from the log's start `logStart` and the
// pace of the part's own positions: to be checked against the day the log
// before the part leads to.
bool FindPartStart(const Settings& s, platform::FileHandle file, ByteRange range,
                   const std::optional<LogStart>& logStart, std::optional<LogStart>& start, std::string& error);

// The calendar a later part of the log of `s` (open as `file` of `size`
// bytes, split at `at`) starts with: from its own first date near its
// start, or else from the log's start `logStart` (a date in the header
// alone, a date the user gave). Whether the part before it leads to the
// same day is for the join to tell (TrackCalendar::Continues). False when
// the input cannot be read.
bool LaterPartCalendar(const Settings& s, platform::FileHandle file, std::uint64_t size, std::uint64_t at,
                       const std::optional<LogStart>& logStart, TrackCalendar& calendar);

// Whether the log of `s` (after its analysis) gives a date of its own; also
// false when it cannot be read (the run then says why).
bool LogHasDate(const Settings& s);

// The calendar a run starts with for a log whose track starts at `start`.
TrackCalendar CalendarFor(const std::optional<LogStart>& start);

}  // namespace torvane
