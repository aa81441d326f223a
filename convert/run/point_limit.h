// --max-points: the least simplification that keeps a track to a number of
// positions. The positions the shaping stages keep at a distance are
// counted (from the track held in memory where it is short enough, else by
// a pass over the log: memory stays flat), and a bisection finds the
// smallest distance whose track has no more than the limit. The count need
// not fall evenly as the distance grows; the distance found always keeps
// the track within the limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/dates/log_dates.h"
#include "convert/files/platform/file_system.h"
#include "convert/settings.h"

namespace torvane {

struct PointLimit {
    bool fits = false;                     // a track within the limit exists
    std::optional<double> metres;          // the distance to simplify at; none: the track fits as it is
    std::int64_t fewest = 0;               // where it does not fit: the fewest positions a track can have
};

// A track of up to this many bytes (16 for each position and each piece)
// is held in memory after the first pass, and each distance tried is
// counted from it; a longer one takes a pass over the log for each.
inline constexpr std::size_t kHeldTrackBytes = 4u << 20;

// The distance for `s.Shape.maxPoints` over the open log `file` whose dated
// track starts at `start`; false (with `error`) where the log cannot be read.
bool FindPointLimit(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
                    PointLimit& limit, std::string& error, std::size_t heldBytes = kHeldTrackBytes);

}  // namespace torvane
