#include "frontend/shape_fields.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "convert/shape/shape_text.h"

namespace torvane::frontend {
namespace {

// A distance in metres in plain decimal notation, more than 0 and at most
// the earth's circumference.
bool ReadMetres(std::string_view text, double& value) {
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    return result.ec == std::errc{} && result.ptr == last && std::isfinite(value) && value > 0 && value <= 4e7;
}

}  // namespace

bool ReadShapeField(ShapeField field, std::string_view text, ShapeOptions& o) {
    switch (field) {
        case ShapeField::From:
        case ShapeField::Until: {
            const std::optional<std::int64_t> time = ParseZonedTime(text);
            if (!time) return false;
            (field == ShapeField::From ? o.from : o.until) = time;
            return true;
        }
        case ShapeField::TimeShift: {
            const std::optional<std::int64_t> shift = ParseTimeShift(text);
            if (!shift) return false;
            o.timeShift = *shift;
            return true;
        }
        case ShapeField::SplitGap: {
            const std::optional<std::int64_t> gap = ParseDuration(text);
            if (!gap || *gap <= 0) return false;
            o.splitGap = gap;
            return true;
        }
        case ShapeField::Simplify: {
            double metres = 0;
            if (!ReadMetres(text, metres)) return false;
            o.simplifyMetres = metres;
            return true;
        }
        case ShapeField::MaxPoints: {
            std::int64_t most = 0;
            const char* last = text.data() + text.size();
            const auto result = std::from_chars(text.data(), last, most);
            if (result.ec != std::errc{} || result.ptr != last || most < 1) return false;
            o.maxPoints = most;
            return true;
        }
    }
    return false;
}

ShapeConflict FindShapeConflict(const ShapeOptions& o, OutputKind kind, bool kmlTimeTrack) {
    const bool pieces = kind == OutputKind::GPX || kind == OutputKind::GeoJSON || (kind == OutputKind::KML && kmlTimeTrack);
    if (o.Splits() && !pieces) return ShapeConflict::SplitWithoutPieces;
    if (o.timeShift != 0 && (kind == OutputKind::OVL || (kind == OutputKind::KML && !kmlTimeTrack))) {
        return ShapeConflict::ShiftWithoutTimes;
    }
    if (o.from && o.until && *o.from > *o.until) return ShapeConflict::FromAfterUntil;
    return ShapeConflict::None;
}

}  // namespace torvane::frontend
