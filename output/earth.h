// The sphere on which the track's distances are measured: the mean Earth
// radius (IUGG), for the summary's lengths and the drawing's scale alike.
#pragma once

#include <numbers>

namespace torvane {

inline constexpr double kEarthRadiusMetres = 6371008.8;
inline constexpr double kMetresPerDegree = kEarthRadiusMetres * std::numbers::pi / 180;

}  // namespace torvane
