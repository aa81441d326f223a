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
#include "two_halves.h"

namespace torvane {
namespace {

constexpr double kDay = 24 * 3600;

// Buckets of each drawing: every bucket keeps two samples per key, and the
// first and last record come on top.
constexpr std::size_t kTrackBuckets = (kMaxDrawingPoints - 2) / 4 / 2 * 2;
constexpr std::size_t kProfileBuckets = (kMaxDrawingPoints - 2) / 2 / 2 * 2;

double Radians(double degrees) { return degrees * (std::numbers::pi / 180); }

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
    : keys_(keys), maxBuckets_(std::max<std::size_t>(2, maxBuckets / 2 * 2)) {
    buckets_.reserve(maxBuckets_);
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
void ExtremeDecimator<Keys>::MergePairs() {
    // Called only when every bucket is full, so the buckets pair up exactly.
    for (std::size_t i = 0; i < buckets_.size() / 2; ++i) {
        Bucket merged = buckets_[2 * i];
        const Bucket& second = buckets_[2 * i + 1];
        for (std::size_t k = 0; k < Keys; ++k) {
            Include(merged, second.low[k]);
            Include(merged, second.high[k]);
        }
        buckets_[i] = merged;
    }
    buckets_.resize(buckets_.size() / 2);
    width_ *= 2;
}

template <std::size_t Keys>
void ExtremeDecimator<Keys>::Add(const TrackSample& sample) {
    if (inLast_ == 0) {
        if (buckets_.size() == maxBuckets_) MergePairs();
        Bucket bucket;
        bucket.low.fill(sample);
        bucket.high.fill(sample);
        buckets_.push_back(bucket);
    } else {
        Include(buckets_.back(), sample);
    }
    if (++inLast_ == width_) inLast_ = 0;
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

void TrackSummaryBuilder::Take(const Settings& s) {
    // A record whose fields failed their checks has no line and no position.
    if (s.OutputLine.empty()) return;
    Add(s.TimeOfDay, s.Latitude, s.Longitude, s.AltitudeKnown, s.Altitude);
}

void TrackSummaryBuilder::Add(double timeOfDay, double latitude, double longitude, bool altitudeKnown,
                              double altitude) {
    TrackSummary& t = summary_;
    TrackSample sample;
    sample.latitude = latitude;
    sample.longitude = longitude;
    sample.altitude = altitudeKnown ? altitude : 0;
    if (t.records == 0) {
        t.start = timeOfDay;
        t.latMin = t.latMax = latitude;
        t.lonMin = t.lonMax = longitude;
        t.altMin = t.altMax = sample.altitude;
        t.hasAltitude = altitudeKnown;
    } else {
        sample.index = last_.index + 1;
        double step = timeOfDay - lastTime_;
        if (PassesMidnight(lastTime_, timeOfDay)) step += kDay;
        sample.elapsed = last_.elapsed + step;
        const double metres = HaversineMetres(last_.latitude, last_.longitude, latitude, longitude);
        sample.distance = last_.distance + metres;
        t.latMin = std::min(t.latMin, latitude);
        t.latMax = std::max(t.latMax, latitude);
        t.lonMin = std::min(t.lonMin, longitude);
        t.lonMax = std::max(t.lonMax, longitude);
        if (altitudeKnown) {
            t.altMin = std::min(t.altMin, altitude);
            t.altMax = std::max(t.altMax, altitude);
        }
    }
    if (timeOfDay != 0) t.hasTime = true;
    t.end = timeOfDay;
    lastTime_ = timeOfDay;
    ++t.records;
    if (t.records == 1) first_ = sample;
    last_ = sample;
    track_.Add(sample);
    if (altitudeKnown) profile_.Add(sample);
}

void TrackSummaryBuilder::Append(const TrackSummaryBuilder& later) {
    const TrackSummary& b = later.summary_;
    if (b.records == 0) return;
    if (summary_.records == 0) {
        *this = later;
        return;
    }
    TrackSummary& t = summary_;
    // The step from this part's last record to the later part's first, as
    // one pass would have taken it; the later samples continue from there.
    double step = b.start - lastTime_;
    if (PassesMidnight(lastTime_, b.start)) step += kDay;
    const double metres = HaversineMetres(last_.latitude, last_.longitude, later.first_.latitude, later.first_.longitude);
    const TrackSample from = last_;
    const auto continued = [&](TrackSample p) {
        p.index += from.index + 1;
        p.elapsed += from.elapsed + step;
        p.distance += from.distance + metres;
        return p;
    };
    t.records += b.records;
    t.hasTime = t.hasTime || b.hasTime;
    t.end = b.end;
    t.latMin = std::min(t.latMin, b.latMin);
    t.latMax = std::max(t.latMax, b.latMax);
    t.lonMin = std::min(t.lonMin, b.lonMin);
    t.lonMax = std::max(t.lonMax, b.lonMax);
    if (b.hasAltitude) {
        t.altMin = std::min(t.altMin, b.altMin);
        t.altMax = std::max(t.altMax, b.altMax);
    }
    lastTime_ = later.lastTime_;
    last_ = continued(later.last_);
    for (const TrackSample& p : later.track_.Points()) track_.Add(continued(p));
    for (const TrackSample& p : later.profile_.Points()) profile_.Add(continued(p));
}

TrackSummary TrackSummaryBuilder::Finish() {
    TrackSummary t = summary_;
    t.hasPosition = t.records > 0;
    if (t.records == 0) return t;
    t.lengthMetres = last_.distance;
    if (t.hasTime) {
        t.duration = last_.elapsed;
    } else {
        t.start = t.end = 0;
    }
    t.polyline = WithEnds(first_, track_.Points(), last_);
    if (t.hasAltitude) t.profile = WithEnds(first_, profile_.Points(), last_);
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

bool ComputeUndatedSummary(Settings& s, InputFile& input, TrackSummary& summary, std::string& error,
                           const ProgressHooks* hooks);

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
    return ComputeUndatedSummary(s, input, summary, error, hooks) && DateSummary(options, input, summary, error);
}

namespace {

bool ComputeUndatedSummary(Settings& s, InputFile& input, TrackSummary& summary, std::string& error,
                           const ProgressHooks* hooks) {
    TrackSummaryBuilder builder;
    // Both halves of a large log at once, each line converted on its own
    // (a GPX copy's track points, which may span lines, in one pass). When
    // a half fails, one pass tells the reason as it meets it.
    const std::uint64_t split = input.Size() >= kTwoHalvesBytes && s.DataType != DataKind::GPGXT
                                    ? LineBoundaryNearMiddle(input.Descriptor(), input.Size())
                                    : 0;
    if (split != 0) {
        OwnCacheLines<Settings> laterSettings(s);
        OwnCacheLines<TrackSummaryBuilder> later;
        std::string firstError;
        const HalvesEnd end = RunRecordLoopInHalves(s, laterSettings.value, input.Descriptor(), input.Size(), split,
                                                    builder, later.value, hooks, firstError);
        if (end.first == LoopEnd::Cancelled) {
            error = "The preview was cancelled.";
            return false;
        }
        if (end.first == LoopEnd::Finished && end.later == LoopEnd::Finished) {
            if (input.ChangedWhileRead(end.bytesRead)) {
                error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
                return false;
            }
            builder.Append(later.value);
            summary = builder.Finish();
            return true;
        }
        builder = TrackSummaryBuilder();
        s.RecordCount = 0;
    }
    LineReader reader(input.Descriptor());
    std::string readError;
    const LoopEnd end = RunRecordLoop(s, reader, builder, input.Size(), hooks, readError);
    if (end == LoopEnd::Cancelled) {
        error = "The preview was cancelled.";
        return false;
    }
    if (end == LoopEnd::ReadFailed) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError);
        return false;
    }
    if (input.ChangedWhileRead(reader.BytesRead())) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    summary = builder.Finish();
    return true;
}

}  // namespace

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
