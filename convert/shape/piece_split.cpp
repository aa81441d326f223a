#include "convert/shape/piece_split.h"

#include "output/track_time.h"

namespace torvane {
namespace {

// The UTC day of a time, counted from 1970-01-01 (negative before).
std::int64_t DayOf(std::int64_t utcMilliseconds) {
    std::int64_t day = 0, inDay = 0;
    SplitDay(utcMilliseconds, day, inDay);
    return day;
}

}  // namespace

void PieceSplit::Take(const Position& position, bool newPiece) {
    bool starts = newPiece || !started_;
    const std::optional<std::int64_t>& time = position.utcTime;
    if (time && lastTime_) {
        if (gap_ && *time - *lastTime_ > *gap_) starts = true;
        if (byDay_ && DayOf(*time) != DayOf(*lastTime_)) starts = true;
    }
    if (time) lastTime_ = time;
    started_ = true;
    if (starts) ++pieces_;
    next_.Take(position, starts);
}

void PieceSplit::End() {
    started_ = false;
    lastTime_.reset();
    next_.End();
}

}  // namespace torvane
