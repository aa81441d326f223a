#include "convert/settings.h"

#include <algorithm>

namespace torvane {

float HeldAltitudeValue(double value) {
    return static_cast<float>(std::clamp(value, -kAltitudeValueLimit, kAltitudeValueLimit));
}

std::string_view DataTypeWord(DataKind kind) {
    switch (kind) {
        case DataKind::GPGGA: return "GPGGA";
        case DataKind::GPGLL: return "GPGLL";
        case DataKind::GPRMC: return "GPRMC";
        case DataKind::GPIGC: return "GPIGC";
        case DataKind::GPGXT: return "GPGXT";
        case DataKind::None: break;
    }
    return "";
}

}  // namespace torvane
