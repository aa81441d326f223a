#include "convert/settings.h"

#include <algorithm>

namespace torvane {

float HeldAltitudeValue(double value) {
    return static_cast<float>(std::clamp(value, -kAltitudeValueLimit, kAltitudeValueLimit));
}

}  // namespace torvane
