#include "track_summary.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "conversion_run.h"
#include "file_messages.h"
#include "input_file.h"
#include "line_reader.h"
#include "log_dates.h"
#include "track_calendar.h"
#include "output_file.h"
#include "log_parts.h"
#include "record_parts.h"

namespace torvane {
namespace {

constexpr double kDay = 24 * 3600;

// Buckets of each drawing: every bucket keeps two samples per key, and the
// first and last record come on top.
constexpr std::size_t kTrackBuckets = (kMaxDrawingPoints - 2) / 4 / 2 * 2;
constexpr std::size_t kProfileBuckets = (kMaxDrawingPoints - 2) / 2 / 2 * 2;

double Radians(double degrees) { return degrees * (std::numbers::pi / 180); }

// The step between two records, in whole nanometres.
std::int64_t Nanometres(const TrackSample& a, const TrackSample& b) {
    return std::llround(HaversineMetres(a.latitude, a.longitude, b.latitude, b.longitude) * 1e9);
}

// The figures' extent widened to take in [latMin, latMax] x [lonMin, lonMax].
void Extend(TrackFigures& t, double latMin, double latMax, double lonMin, double lonMax) {
    t.latMin = std::min(t.latMin, latMin);
    t.latMax = std::max(t.latMax, latMax);
    t.lonMin = std::min(t.lonMin, lonMin);
    t.lonMax = std::max(t.lonMax, lonMax);
}

void ExtendAltitude(TrackFigures& t, double low, double high) {
    t.altMin = std::min(t.altMin, low);
    t.altMax = std::max(t.altMax, high);
}

// The drawing's time and distance of a sample of a track that starts at `start`.
TrackSample Placed(TrackSample p, double start) {
    p.elapsed = static_cast<double>(p.days) * kDay + p.timeOfDay - start;
    p.distance = static_cast<double>(p.nanometres) / 1e9;
    return p;
}

// The decimated points with the first and last record, in order, each once.
std::vector<TrackSample> WithEnds(const TrackSample& first, std::vector<TrackSample> points, const TrackSample& last) {
    std::vector<TrackSample> out;
    out.reserve(points.size() + 2);
    out.push_back(first);
    for (const TrackSample& p : points) {
        if (p.index != out.back().index) out.push_back(p);
    }
    if (last.index != out.back().index) out.push_back(last);
    return out;
}

}  // namespace

double HaversineMetres(double lat1, double lon1, double lat2, double lon2) {
    const double sinLat = std::sin(Radians(lat2 - lat1) / 2);
    const double sinLon = std::sin(Radians(lon2 - lon1) / 2);
    const double h = sinLat * sinLat + std::cos(Radians(lat1)) * std::cos(Radians(lat2)) * sinLon * sinLon;
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

template <std::size_t Keys>
ExtremeDecimator<Keys>::ExtremeDecimator(std::array<Key, Keys> keys, std::size_t maxBuckets)
    : keys_(keys), maxBuckets_(std::max<std::size_t>(1, maxBuckets)) {
    buckets_.reserve(maxBuckets_ + 1);
}

template <std::size_t Keys>
void ExtremeDecimator<Keys>::Include(Bucket& bucket, const TrackSample& sample) const {
    for (std::size_t k = 0; k < Keys; ++k) {
        const Key key = keys_[k];
        if (sample.*key < bucket.low[k].*key) bucket.low[k] = sample;
        if (sample.*key > bucket.high[k].*key) bucket.high[k] = sample;
    }
}

template <std::size_t Keys>
void ExtremeDecimator<Keys>::Absorb(Bucket& bucket, const Bucket& next) const {
    for (std::size_t k = 0; k < Keys; ++k) {
        Include(bucket, next.low[k]);
        Include(bucket, next.high[k]);
    }
}

template <std::size_t Keys>
void ExtremeDecimator<Keys>::Widen() {
    ++shift_;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < buckets_.size(); ++i) {
        Bucket& bucket = buckets_[i];
        bucket.number >>= 1;
        if (kept > 0 && buckets_[kept - 1].number == bucket.number) {
            Absorb(buckets_[kept - 1], bucket);
        } else {
            buckets_[kept++] = bucket;
        }
    }
    buckets_.resize(kept);
}

template <std::size_t Keys>
void ExtremeDecimator<Keys>::Add(const TrackSample& sample) {
    for (;;) {
        const std::uint64_t number = sample.offset >> shift_;
        if (!buckets_.empty() && buckets_.back().number == number) {
            Include(buckets_.back(), sample);
            return;
        }
        if (buckets_.size() < maxBuckets_) {
            Bucket bucket;
            bucket.number = number;
            bucket.low.fill(sample);
            bucket.high.fill(sample);
            buckets_.push_back(bucket);
            return;
        }
        Widen();
    }
}

template <std::size_t Keys>
template <class Rebase>
void ExtremeDecimator<Keys>::Append(ExtremeDecimator later, Rebase rebase) {
    while (shift_ < later.shift_) Widen();
    while (later.shift_ < shift_) later.Widen();
    for (Bucket& bucket : later.buckets_) {
        for (TrackSample& p : bucket.low) p = rebase(p);
        for (TrackSample& p : bucket.high) p = rebase(p);
        if (!buckets_.empty() && buckets_.back().number == bucket.number) {
            Absorb(buckets_.back(), bucket);
        } else {
            buckets_.push_back(bucket);
        }
    }
    while (buckets_.size() > maxBuckets_) Widen();
}

template <std::size_t Keys>
std::vector<TrackSample> ExtremeDecimator<Keys>::Points() const {
    std::vector<TrackSample> out;
    out.reserve(buckets_.size() * 2 * Keys);
    std::array<TrackSample, 2 * Keys> picks;
    for (const Bucket& bucket : buckets_) {
        std::copy(bucket.low.begin(), bucket.low.end(), picks.begin());
        std::copy(bucket.high.begin(), bucket.high.end(), picks.begin() + Keys);
        std::sort(picks.begin(), picks.end(),
                  [](const TrackSample& a, const TrackSample& b) { return a.index < b.index; });
        for (const TrackSample& p : picks) {
            if (out.empty() || out.back().index != p.index) out.push_back(p);
        }
    }
    return out;
}

template class ExtremeDecimator<1>;
template class ExtremeDecimator<2>;

TrackSummaryBuilder::TrackSummaryBuilder()
    : track_({&TrackSample::latitude, &TrackSample::longitude}, kTrackBuckets),
      profile_({&TrackSample::altitude}, kProfileBuckets) {}

void TrackSummaryBuilder::Take(const Settings& s, std::uint64_t lineOffset) {
    // A record whose fields failed their checks has no line and no position.
    if (s.OutputLine.empty()) return;
    TrackSummary& t = summary_;
    TrackSample sample;
    sample.offset = lineOffset;
    sample.latitude = s.Latitude;
    sample.longitude = s.Longitude;
    sample.altitude = s.AltitudeKnown ? s.Altitude : 0;
    sample.timeOfDay = s.TimeOfDay;
    if (t.records == 0) {
        t.start = s.TimeOfDay;
        t.latMin = t.latMax = s.Latitude;
        t.lonMin = t.lonMax = s.Longitude;
        t.altMin = t.altMax = sample.altitude;
        t.hasAltitude = s.AltitudeKnown;
        first_ = sample;
    } else {
        sample.index = last_.index + 1;
        sample.days = last_.days + (PassesMidnight(last_.timeOfDay, s.TimeOfDay) ? 1 : 0);
        sample.nanometres = last_.nanometres + Nanometres(last_, sample);
        Extend(t, s.Latitude, s.Latitude, s.Longitude, s.Longitude);
        if (s.AltitudeKnown) ExtendAltitude(t, sample.altitude, sample.altitude);
    }
    if (s.TimeOfDay != 0) t.hasTime = true;
    t.end = s.TimeOfDay;
    ++t.records;
    last_ = sample;
    track_.Add(sample);
    if (s.AltitudeKnown) profile_.Add(sample);
}

void TrackSummaryBuilder::Append(const TrackSummaryBuilder& later) {
    const TrackSummary& b = later.summary_;
    if (b.records == 0) return;
    if (summary_.records == 0) {
        *this = later;
        return;
    }
    TrackSummary& t = summary_;
    // The later part's records continue from this part's last one, with
    // the step between the two as one pass takes it.
    TrackSample from = last_;
    from.index += 1;
    from.days += PassesMidnight(last_.timeOfDay, later.first_.timeOfDay) ? 1 : 0;
    from.nanometres += Nanometres(last_, later.first_);
    const auto continued = [&from](TrackSample p) {
        p.index += from.index;
        p.days += from.days;
        p.nanometres += from.nanometres;
        return p;
    };
    t.records += b.records;
    t.hasTime = t.hasTime || b.hasTime;
    t.end = b.end;
    Extend(t, b.latMin, b.latMax, b.lonMin, b.lonMax);
    if (b.hasAltitude) ExtendAltitude(t, b.altMin, b.altMax);
    last_ = continued(later.last_);
    track_.Append(later.track_, continued);
    profile_.Append(later.profile_, continued);
}

TrackSummary TrackSummaryBuilder::Finish() {
    TrackSummary t = summary_;
    t.hasPosition = t.records > 0;
    if (t.records == 0) return t;
    const double start = first_.timeOfDay;
    const TrackSample last = Placed(last_, start);
    t.lengthMetres = last.distance;
    if (t.hasTime) {
        t.duration = last.elapsed;
    } else {
        t.start = t.end = 0;
    }
    t.polyline = WithEnds(first_, track_.Points(), last_);
    for (TrackSample& p : t.polyline) p = Placed(p, start);
    if (t.hasAltitude) {
        t.profile = WithEnds(first_, profile_.Points(), last_);
        for (TrackSample& p : t.profile) p = Placed(p, start);
    }
    return t;
}

namespace {

// The UTC times of a summary's first and last record, where the log is dated.
bool DateSummary(const Settings& s, const InputFile& input, TrackSummary& summary, std::string& error) {
    if (summary.records == 0 || !summary.hasTime) return true;
    std::optional<LogStart> start;
    std::string readError;
    if (!FindLogStart(s, input.Descriptor(), input.Size(), start, readError)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError);
        return false;
    }
    if (!start) return true;
    summary.dated = true;
    summary.startUtc = start->firstTime;
    summary.endUtc = start->firstTime + std::llround(summary.duration * 1000);
    return true;
}

// The records of the summary, in parts: each part's builder, joined.
class SummaryJob {
public:
    struct alignas(64) Part : RecordPart {
        TrackSummaryBuilder builder;
    };

    SummaryJob(const Settings& s, const InputFile& input, const LogSplit& split)
        : s_(s), input_(input), split_(split) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        part->s = PartSettings(s_, role, split_);
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        return part.Run(input_, range, part.builder, hooks);
    }
    bool Merge(Part& first, Part& later) {
        first.builder.Append(later.builder);
        first.Join(later);
        return true;
    }
    bool Restart() { return true; }

private:
    const Settings& s_;
    const InputFile& input_;
    const LogSplit& split_;
};

}  // namespace

bool ComputeTrackSummary(const Settings& options, TrackSummary& summary, std::string& error,
                         const ProgressHooks* hooks) {
    Settings s = options;
    s.OutputType = OutputKind::Table;
    s.PositionsOnly = true;
    s.RecordCount = 0;
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    const LogSplit split = FindLogSplit(s, input.Descriptor(), input.Size());
    SummaryJob job(s, input, split);
    const auto run = RunInParts(job, s.Parts, input.Size(), split.at, hooks);
    if (run.end == PartEnd::Cancelled) {
        error = "The preview was cancelled.";
        return false;
    }
    if (run.end == PartEnd::Failed) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, run.part->readError);
        return false;
    }
    if (input.ChangedWhileRead(run.part->bytesRead)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    summary = run.part->builder.Finish();
    summary.inParts = run.inParts;
    return DateSummary(options, input, summary, error);
}

TrackDrawing DrawingOf(const TrackSummary& t, std::string title) {
    TrackDrawing d;
    d.title = std::move(title);
    d.figures = t;  // the figures alone
    d.track.reserve(t.polyline.size());
    for (const TrackSample& p : t.polyline) d.track.push_back({p.latitude, p.longitude});
    d.profileOverTime = t.hasTime;
    d.profile.reserve(t.profile.size());
    for (const TrackSample& p : t.profile) d.profile.push_back({t.hasTime ? p.elapsed : p.distance, p.altitude});
    return d;
}

PreviewOutcome WriteTrackPreview(const Settings& options, const std::string& path, std::string& error) {
    if (IsInputFile(options, path)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, "it is the input file");
        return PreviewOutcome::Failed;
    }
    TrackSummary summary;
    if (!ComputeTrackSummary(options, summary, error)) return PreviewOutcome::Failed;
    if (!summary.hasPosition) return PreviewOutcome::NothingToDraw;
    OutputFile output;
    if (!output.Open(path)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, output.ErrorText());
        return PreviewOutcome::Failed;
    }
    output.Write(TrackSvg(DrawingOf(summary, options.InputFilePath)));
    if (!output.Commit()) {
        error = FileFailureMessage(FileAction::WriteOutput, path, output.ErrorText(), CommitFailureNote(output));
        return PreviewOutcome::Failed;
    }
    return PreviewOutcome::Written;
}

}  // namespace torvane
