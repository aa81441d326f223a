#include "convert/run/point_limit.h"

#include <algorithm>

#include "convert/run/record_loop.h"
#include "convert/shape/shape_pipeline.h"

namespace torvane {
namespace {

// Counts the positions a track shaped with `options` keeps, each dated as
// the dated writer dates it.
class KeptCounter : public DatedRecordSink, private ShapeSink {
public:
    KeptCounter(const Settings& s, const ShapeOptions& options, const std::optional<LogStart>& start)
        : dates_(s, CalendarFor(start)), shape_(options, *this) {}

    bool SeeLine(std::string_view line) override {
        dates_.SeeLine(line);
        return false;
    }
    void Take(const Record& record, std::uint64_t) override {
        if (record.invalid) return;
        Position p = record.position;
        p.utcTime = dates_.PositionTime(p);
        shape_.Take(p);
    }
    std::int64_t Count() {
        shape_.End();
        return kept_;
    }

private:
    void Take(const Position&, bool) override { ++kept_; }
    void End() override {}

    LogDates dates_;
    ShapePipeline shape_;
    std::int64_t kept_ = 0;
};

// The positions the track keeps simplified at `metres` (none: not simplified).
bool CountKept(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
               std::optional<double> metres, std::int64_t& kept, std::string& error) {
    ShapeOptions options = s.Shape;
    options.maxPoints.reset();
    options.simplifyMetres = metres;
    KeptCounter counter(s, options, start);
    if (RunLookingPass(s, file, ByteRange{0, UINT64_MAX}, counter, error) == LoopEnd::ReadFailed) return false;
    kept = counter.Count();
    return true;
}

// Half the earth's circumference: no position lies farther from any arc.
constexpr double kFarthest = 2.1e7;

}  // namespace

bool FindPointLimit(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
                    PointLimit& limit, std::string& error) {
    limit = PointLimit{};
    const std::int64_t most = s.Shape.maxPoints.value_or(INT64_MAX);
    std::int64_t kept = 0;
    if (!CountKept(s, file, start, s.Shape.simplifyMetres, kept, error)) return false;
    if (kept <= most) {
        limit.fits = true;
        limit.metres = s.Shape.simplifyMetres;
        return true;
    }
    // The coarsest simplification keeps each piece's first and last position.
    if (!CountKept(s, file, start, kFarthest, kept, error)) return false;
    if (kept > most) {
        limit.fewest = kept;
        return true;
    }
    // Bisect between a distance that keeps too many and one that does not,
    // to a millimetre or a thousandth of the distance.
    double low = s.Shape.simplifyMetres.value_or(0), high = kFarthest;
    while (high - low > std::max(0.001, high * 1e-3)) {
        const double middle = low + (high - low) / 2;
        if (!CountKept(s, file, start, middle, kept, error)) return false;
        (kept <= most ? high : low) = middle;
    }
    limit.fits = true;
    limit.metres = high;
    return true;
}

}  // namespace torvane
