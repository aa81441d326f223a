#include "convert/run/point_limit.h"

#include <algorithm>
#include <vector>

#include "convert/run/record_loop.h"
#include "convert/shape/shape_pipeline.h"
#include "convert/shape/track_simplify.h"

namespace torvane {
namespace {

// Feeds the positions of a log, each dated as the dated writer dates it,
// to a track shaped with `options`, which hands them on to `out`.
class ShapedPositions : public DatedRecordSink {
public:
    ShapedPositions(const Settings& s, const ShapeOptions& options, const std::optional<LogStart>& start,
                    ShapeSink& out)
        : dates_(s, CalendarFor(start)), shape_(options, out) {}

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
    void End() { shape_.End(); }

private:
    LogDates dates_;
    ShapePipeline shape_;
};

// Counts the positions handed to it.
class KeptCount : public ShapeSink {
public:
    void Take(const Position&, bool) override { ++kept; }
    void End() override {}
    std::int64_t kept = 0;
};

// The track as the simplifier meets it (cropped, shifted and split): all a
// simplification looks at is each position's latitude and longitude and
// where a piece begins. Held while it fits `heldBytes`, so that each
// distance tried is counted from memory rather than by a pass over the log.
class HeldTrack : public ShapeSink {
public:
    // The room is taken at once (a page counts only once written to), so
    // that no growing ever holds an old copy beside a new one.
    explicit HeldTrack(std::size_t heldBytes) : heldBytes_(heldBytes) { points_.reserve(heldBytes / sizeof(Point)); }

    void Take(const Position& position, bool newPiece) override {
        ++count;
        if (!holds) return;
        const std::size_t pieces = pieceStarts_.size() + (newPiece ? 1 : 0);
        if ((points_.size() + 1) * sizeof(Point) + pieces * sizeof(std::size_t) > heldBytes_) {
            holds = false;
            points_ = {};
            pieceStarts_ = {};
            return;
        }
        if (newPiece) pieceStarts_.push_back(points_.size());
        points_.push_back({position.latitude, position.longitude});
    }
    void End() override {}

    // Positions kept simplified at `metres`: the track held fed to a simplifier.
    std::int64_t KeptAt(double metres) const {
        KeptCount counter;
        TrackSimplifier simplify(metres, counter);
        Position p;
        std::size_t piece = 0;
        for (std::size_t i = 0; i < points_.size(); ++i) {
            const bool newPiece = piece < pieceStarts_.size() && pieceStarts_[piece] == i;
            piece += newPiece ? 1 : 0;
            p.latitude = points_[i].latitude;
            p.longitude = points_[i].longitude;
            simplify.Take(p, newPiece);
        }
        simplify.End();
        return counter.kept;
    }

    bool holds = true;       // every position is held
    std::int64_t count = 0;  // positions met

private:
    struct Point {
        double latitude, longitude;
    };
    std::size_t heldBytes_;
    std::vector<Point> points_;
    std::vector<std::size_t> pieceStarts_;  // indices into points_
};

// The positions the track keeps simplified at `metres` (none: not
// simplified): from the held track where it is held, else by a pass.
bool CountKept(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
               const HeldTrack& held, std::optional<double> metres, std::int64_t& kept, std::string& error) {
    if (!metres) {
        kept = held.count;
        return true;
    }
    if (held.holds) {
        kept = held.KeptAt(*metres);
        return true;
    }
    ShapeOptions options = s.Shape;
    options.maxPoints.reset();
    options.simplifyMetres = metres;
    KeptCount counter;
    ShapedPositions positions(s, options, start, counter);
    if (RunLookingPass(s, file, ByteRange{0, UINT64_MAX}, positions, error) == LoopEnd::ReadFailed) return false;
    positions.End();
    kept = counter.kept;
    return true;
}

// Half the earth's circumference: no position lies farther from any arc.
constexpr double kFarthest = 2.1e7;

}  // namespace

bool FindPointLimit(const Settings& s, platform::FileHandle file, const std::optional<LogStart>& start,
                    PointLimit& limit, std::string& error, std::size_t heldBytes) {
    limit = PointLimit{};
    // One pass over the log gives the track unsimplified, held where it fits.
    HeldTrack held(heldBytes);
    {
        ShapeOptions options = s.Shape;
        options.maxPoints.reset();
        options.simplifyMetres.reset();
        ShapedPositions positions(s, options, start, held);
        if (RunLookingPass(s, file, ByteRange{0, UINT64_MAX}, positions, error) == LoopEnd::ReadFailed) return false;
        positions.End();
    }
    const std::int64_t most = s.Shape.maxPoints.value_or(INT64_MAX);
    std::int64_t kept = 0;
    if (!CountKept(s, file, start, held, s.Shape.simplifyMetres, kept, error)) return false;
    if (kept <= most) {
        limit.fits = true;
        limit.metres = s.Shape.simplifyMetres;
        return true;
    }
    // The coarsest simplification keeps each piece's first and last position.
    if (!CountKept(s, file, start, held, kFarthest, kept, error)) return false;
    if (kept > most) {
        limit.fewest = kept;
        return true;
    }
    // Bisect between a distance that keeps too many and one that does not,
    // to a millimetre or a thousandth of the distance.
    double low = s.Shape.simplifyMetres.value_or(0), high = kFarthest;
    while (high - low > std::max(0.001, high * 1e-3)) {
        const double middle = low + (high - low) / 2;
        if (!CountKept(s, file, start, held, middle, kept, error)) return false;
        (kept <= most ? high : low) = middle;
    }
    limit.fits = true;
    limit.metres = high;
    return true;
}

}  // namespace torvane
