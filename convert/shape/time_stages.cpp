#include "convert/shape/time_stages.h"

#include <cmath>

namespace torvane {

void TimeCrop::Take(const Position& position, bool newPiece) {
    bool within = true;
    if (from_ || until_) {
        const std::optional<std::int64_t>& time = position.utcTime;
        if (!time) ++untimed_;
        within = time && (!from_ || *time >= *from_) && (!until_ || *time <= *until_);
    }
    if (!within) {
        pendingPiece_ = pendingPiece_ || newPiece;
        return;
    }
    next_.Take(position, newPiece || pendingPiece_);
    pendingPiece_ = false;
}

void TimeCrop::End() {
    pendingPiece_ = false;
    next_.End();
}

void TimeShift::Take(const Position& position, bool newPiece) {
    if (shift_ == 0 || !position.utcTime) {
        next_.Take(position, newPiece);
        return;
    }
    Position shifted = position;
    *shifted.utcTime += shift_;
    const double day = 86400;
    shifted.timeOfDay = std::fmod(position.timeOfDay + static_cast<double>(shift_) / 1000, day);
    if (shifted.timeOfDay < 0) shifted.timeOfDay += day;
    next_.Take(shifted, newPiece);
}

}  // namespace torvane
