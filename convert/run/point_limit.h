// --max-points: the least simplification that keeps a track to a number of
// positions. Passes over the log count the positions the shaping stages
// keep at a distance, and a bisection finds the smallest distance whose
// track has no more than the limit (memory flat: a pass holds what the
// stages hold). The count need not fall evenly as the distance grows; the
// distance found always keeps the track within the limit.
#pragma once

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

// The distance for `s.Shape.maxPoints` over the open log `file` whose dated
// track starts at `start`; false (with `error`) where the log cannot be read.
bool FindPointLimit(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
                    PointLimit& limit, std::string& error);

}  // namespace torvane
