#include "convert/summary/track_summary.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

#include "convert/dates/log_dates.h"
#include "convert/dates/track_calendar.h"
#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/files/output_file.h"
#include "convert/parts/log_parts.h"
#include "convert/parts/record_parts.h"
#include "convert/recognise/line_counts.h"
#include "convert/rounding.h"
#include "convert/run/conversion_run.h"

namespace torvane {
namespace {

constexpr double kDay = 24 * 3600;

// Buckets of each drawing: every bucket keeps two samples per key, and the
// first and last record come on top.
constexpr std::size_t kTrackBuckets = (kMaxDrawingPoints - 2) / 4 / 2 * 2;
constexpr std::size_t kProfileBuckets = (kMaxDrawingPoints - 2) / 2 / 2 * 2;

// The step between two records.
double StepMetres(const TrackSample& a, const TrackSample& b, RecentSines& sines) {
    return HaversineMetres(a.latitude, a.longitude, a.cosLatitude, b.latitude, b.longitude, b.cosLatitude, sines);
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

}  // namespace

template <double TrackSample::*... Keys>
ExtremeDecimator<Keys...>::ExtremeDecimator(std::size_t maxBuckets) : maxBuckets_(std::max<std::size_t>(1, maxBuckets)) {
    buckets_.reserve(maxBuckets_ + 1);
}

template <double TrackSample::*... Keys>
void ExtremeDecimator<Keys...>::Absorb(Bucket& bucket, const Bucket& next) {
    for (std::size_t k = 0; k < kKeys; ++k) {
        Include(bucket, next.low[k]);
        Include(bucket, next.high[k]);
    }
}

template <double TrackSample::*... Keys>
void ExtremeDecimator<Keys...>::Widen() {
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

template <double TrackSample::*... Keys>
void ExtremeDecimator<Keys...>::WidenJoiningNone() {
    // The numbers rise bucket by bucket; two neighbours share a number once
    // the width passes the highest bit in which they differ.
    std::uint64_t joinsAt = 64;
    for (std::size_t i = 1; i < buckets_.size(); ++i) {
        joinsAt = std::min(joinsAt, std::bit_width(buckets_[i - 1].number ^ buckets_[i].number));
    }
    if (buckets_.size() < 2 || joinsAt <= 1) return;
    const unsigned steps = static_cast<unsigned>(joinsAt - 1);
    shift_ += steps;
    for (Bucket& bucket : buckets_) bucket.number >>= steps;
}

template <double TrackSample::*... Keys>
void ExtremeDecimator<Keys...>::AddBeyondLastBucket(const TrackSample& sample) {
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
        WidenJoiningNone();
        Widen();
    }
}

template <double TrackSample::*... Keys>
template <class Rebase>
void ExtremeDecimator<Keys...>::Append(ExtremeDecimator&& later, Rebase rebase) {
    while (shift_ < later.shift_) Widen();
    while (later.shift_ < shift_) later.Widen();
    // The buckets joined: a bucket of each that share a number are one.
    const auto joined = [&] {
        const bool meet = !buckets_.empty() && !later.buckets_.empty() &&
                          buckets_.back().number == later.buckets_.front().number;
        return buckets_.size() + later.buckets_.size() - (meet ? 1 : 0);
    };
    // Widening each on its own joins what widening them joined would join,
    // the buckets that meet as well: so they are widened until they fit
    // together, and the later ones go into the room these have.
    while (joined() > maxBuckets_) {
        Widen();
        later.Widen();
    }
    for (Bucket& bucket : later.buckets_) {
        for (TrackSample& p : bucket.low) p = rebase(p);
        for (TrackSample& p : bucket.high) p = rebase(p);
        if (!buckets_.empty() && buckets_.back().number == bucket.number) {
            Absorb(buckets_.back(), bucket);
        } else {
            buckets_.push_back(bucket);
        }
    }
}

template <double TrackSample::*... Keys>
std::vector<TrackSample> ExtremeDecimator<Keys...>::Points(const TrackSample& first, const TrackSample& last) const {
    std::vector<TrackSample> out;
    out.reserve(buckets_.size() * 2 * kKeys + 2);
    const auto add = [&out](const TrackSample& p) {
        if (out.empty() || out.back().index != p.index) out.push_back(p);
    };
    add(first);
    std::array<TrackSample, 2 * kKeys> picks;
    for (const Bucket& bucket : buckets_) {
        std::copy(bucket.low.begin(), bucket.low.end(), picks.begin());
        std::copy(bucket.high.begin(), bucket.high.end(), picks.begin() + kKeys);
        std::sort(picks.begin(), picks.end(),
                  [](const TrackSample& a, const TrackSample& b) { return a.index < b.index; });
        for (const TrackSample& p : picks) add(p);
    }
    add(last);
    return out;
}

template class ExtremeDecimator<&TrackSample::latitude, &TrackSample::longitude>;
template class ExtremeDecimator<&TrackSample::altitude>;

TrackSummaryBuilder::TrackSummaryBuilder()
    : track_(kTrackBuckets), profile_(kProfileBuckets) {}

TrackSummaryBuilder::TrackSummaryBuilder(LogDates dates) : TrackSummaryBuilder() { dates_.emplace(dates); }

bool TrackSummaryBuilder::SeeLine(std::string_view line) {
    if (dates_) dates_->SeeLine(line);
    return false;
}

void TrackSummaryBuilder::Take(const Record& record, std::uint64_t lineOffset) {
    // A record whose fields failed their checks has no position.
    if (!record.hasPosition) return;
    const Position& p = record.position;
    TrackSummary& t = summary_;
    const bool first = t.records == 0;
    // Dated as the dated outputs date it: a position they write.
    const std::optional<std::int64_t> utc =
        dates_ && !record.invalid ? dates_->PositionTime(p) : std::optional<std::int64_t>();
    TrackSample sample;
    sample.offset = lineOffset;
    sample.latitude = p.latitude;
    sample.longitude = p.longitude;
    // (a track often stays on a latitude from one record to the next)
    sample.cosLatitude = !first && p.latitude == last_.latitude ? last_.cosLatitude : CosLatitude(p.latitude);
    sample.altitude = p.altitudeGiven ? p.altitude : 0;
    sample.timeOfDay = p.timeOfDay;
    double step = 0;  // from the record before, in metres
    if (first) {
        t.start = p.timeOfDay;
        t.latMin = t.latMax = p.latitude;
        t.lonMin = t.lonMax = p.longitude;
    } else {
        sample.index = last_.index + 1;
        sample.days = last_.days + (PassesMidnight(last_.timeOfDay, p.timeOfDay) ? 1 : 0);
        step = StepMetres(last_, sample, sines_);
        sample.nanometres = last_.nanometres + RoundToInteger(step * 1e9);
        sample.anyUtc = last_.anyUtc;
        sample.utc = last_.utc;
        Extend(t, p.latitude, p.latitude, p.longitude, p.longitude);
    }
    if (utc) {
        sample.anyUtc = true;
        sample.utc = *utc;
        if (!firstUtc_) firstUtc_ = *utc;
        lastUtc_ = *utc;
    }
    if (p.timeOfDay != 0) t.hasTime = true;
    t.end = p.timeOfDay;
    if (p.measurements.Has(Measurements::kHeartRate)) t.heartRate.Add(p.measurements.heartRate);
    if (p.measurements.Has(Measurements::kPower)) t.power.Add(p.measurements.power);
    // The motion's time: the UTC time of a dated log's position, else the
    // time of day with the midnights passed (in whole milliseconds, so that
    // parts join exactly). The step measured above is the motion's too
    // where the record before was the motion's last.
    const bool inMotion = !dates_ || utc.has_value();
    if (inMotion) {
        const std::int64_t ms =
            dates_ ? *utc : sample.days * static_cast<std::int64_t>(kDay) * 1000 + RoundToInteger(p.timeOfDay * 1000);
        if (lastInMotion_) {
            motion_.Add(p.latitude, p.longitude, ms, step);
        } else {
            motion_.Add(p.latitude, p.longitude, ms);
        }
    }
    lastInMotion_ = inMotion;
    if (first) first_ = sample;
    ++t.records;
    last_ = sample;
    track_.Add(sample);
    if (p.altitudeGiven) {
        climb_.Add(sample.altitude);
        if (!t.hasAltitude) {
            t.hasAltitude = true;
            t.altMin = t.altMax = sample.altitude;
            firstAltitude_ = sample;
        }
        ExtendAltitude(t, sample.altitude, sample.altitude);
        lastAltitude_ = sample;
        profile_.Add(sample);
    }
}

bool TrackSummaryBuilder::Append(TrackSummaryBuilder&& later) {
    const TrackSummary& b = later.summary_;
    if (b.records == 0) return true;
    if (summary_.records == 0) {
        *this = std::move(later);
        return true;
    }
    if (!climb_.Append(later.climb_)) return false;
    TrackSummary& t = summary_;
    // The later part's records continue from this part's last one, with
    // the step between the two as one pass takes it; a record before the
    // later part's first UTC time carries this part's last one.
    TrackSample from = last_;
    from.index += 1;
    from.days += PassesMidnight(last_.timeOfDay, later.first_.timeOfDay) ? 1 : 0;
    from.nanometres += RoundToInteger(StepMetres(last_, later.first_, sines_) * 1e9);
    const auto continued = [&from](TrackSample p) {
        p.index += from.index;
        p.days += from.days;
        p.nanometres += from.nanometres;
        if (!p.anyUtc && from.anyUtc) {
            p.anyUtc = true;
            p.utc = from.utc;
        }
        return p;
    };
    t.records += b.records;
    t.heartRate.Add(b.heartRate);
    t.power.Add(b.power);
    t.hasTime = t.hasTime || b.hasTime;
    t.end = b.end;
    Extend(t, b.latMin, b.latMax, b.lonMin, b.lonMax);
    if (b.hasAltitude) {
        if (!t.hasAltitude) {
            t.hasAltitude = true;
            t.altMin = b.altMin;
            t.altMax = b.altMax;
            firstAltitude_ = continued(*later.firstAltitude_);
        }
        ExtendAltitude(t, b.altMin, b.altMax);
        lastAltitude_ = continued(*later.lastAltitude_);
    }
    if (!firstUtc_) firstUtc_ = later.firstUtc_;
    if (later.lastUtc_) lastUtc_ = later.lastUtc_;
    motion_.Append(later.motion_, dates_ ? 0 : from.days * static_cast<std::int64_t>(kDay) * 1000);
    lastInMotion_ = later.lastInMotion_;
    last_ = continued(later.last_);
    track_.Append(std::move(later.track_), continued);
    profile_.Append(std::move(later.profile_), continued);
    return true;
}

TrackSummary TrackSummaryBuilder::Finish() {
    TrackSummary t = summary_;
    t.hasPosition = t.records > 0;
    if (t.records == 0) return t;
    // Where the log is dated, every time is its UTC time; elsewhere the
    // time of day with the midnights passed.
    const std::optional<std::int64_t> firstUtc = firstUtc_;
    const double start = first_.timeOfDay;
    const auto placed = [&](TrackSample p) {
        p.distance = static_cast<double>(p.nanometres) / 1e9;
        if (!firstUtc) {
            p.elapsed = static_cast<double>(p.days) * kDay + p.timeOfDay - start;
        } else {
            p.elapsed = p.anyUtc ? static_cast<double>(p.utc - *firstUtc) / 1000 : 0;
        }
        return p;
    };
    t.lengthMetres = placed(last_).distance;
    t.hasClimb = climb_.Any();
    t.climbMetres = static_cast<double>(climb_.ClimbMillimetres()) / 1000;
    t.descentMetres = static_cast<double>(climb_.DescentMillimetres()) / 1000;
    t.climbThresholdMetres = static_cast<double>(ClimbCounter::kThresholdMillimetres) / 1000;
    t.hasMotion = motion_.AnyStep();
    t.movingSeconds = static_cast<double>(motion_.MovingMilliseconds()) / 1000;
    t.movingMetres = static_cast<double>(motion_.MovingNanometres()) / 1e9;
    t.speedMax = motion_.GreatestSpeed();
    t.movingSpeedKmh = MotionCounter::kMovingKmh;
    if (firstUtc) {
        t.hasTime = t.dated = true;
        t.startUtc = *firstUtc;
        t.endUtc = *lastUtc_;
        t.duration = static_cast<double>(*lastUtc_ - *firstUtc) / 1000;
    } else if (t.hasTime) {
        t.duration = placed(last_).elapsed;
    } else {
        t.start = t.end = 0;
    }
    if (t.duration < 0) {
        t.timesGoBack = true;
        t.duration = 0;
    }
    t.polyline = track_.Points(first_, last_);
    for (TrackSample& p : t.polyline) p = placed(p);
    if (t.hasAltitude) {
        t.profile = profile_.Points(*firstAltitude_, *lastAltitude_);
        for (TrackSample& p : t.profile) p = placed(p);
    }
    return t;
}

namespace {

// The records of the summary, in parts: each part's builder, joined. In a
// dated log the later part dates its records from its own first date, or
// from the log's start and its pace; the join holds only where that is the
// day one pass has there, and is left to one pass otherwise. With
// `counting`, each part counts its lines for the analysis too, added in
// order as the analysis's own parts are.
class SummaryJob {
public:
    struct alignas(64) Part : RecordPart {
        TrackSummaryBuilder builder;
        AnalysisCounts counts;
    };

    SummaryJob(const Settings& s, const InputFile& input, const LogSplit& split, const std::optional<LogStart>& start,
               const LineCounting* counting)
        : s_(s), input_(input), split_(split), start_(start), counting_(counting) {}

    std::unique_ptr<Part> Make(PartRole role) {
        auto part = std::make_unique<Part>();
        if (counting_ != nullptr && role != PartRole::Later) part->counts = counting_->counts;
        part->Start(s_, role, split_);
        // A log without a date anywhere has times of day alone.
        if (!start_) return part;
        TrackCalendar calendar = CalendarFor(start_);
        if (role == PartRole::Later &&
            !LaterPartCalendar(s_, input_.Descriptor(), input_.Size(), split_.at, start_, calendar)) {
            return nullptr;
        }
        part->builder = TrackSummaryBuilder(LogDates(s_, calendar));
        return part;
    }
    PartEnd Run(Part& part, ByteRange range, const ProgressHooks* hooks) {
        if (counting_ == nullptr) return part.Run(s_, input_, range, part.builder, hooks);
        CountingSink<TrackSummaryBuilder> sink(part.builder, part.counts, counting_->rules, range.begin == 0);
        return part.Run(s_, input_, range, sink, hooks);
    }
    bool Merge(Part& first, Part& later) {
        if (!first.Meets(later)) return false;
        const TrackCalendar* laterCalendar = later.builder.Calendar();
        if (laterCalendar != nullptr && !laterCalendar->Continues(*first.builder.Calendar())) return false;
        if (!first.builder.Append(std::move(later.builder))) return false;
        first.counts.Add(later.counts);
        first.Join(later);
        return true;
    }
    bool Restart() { return true; }

private:
    const Settings& s_;
    const InputFile& input_;
    const LogSplit& split_;
    const std::optional<LogStart>& start_;
    const LineCounting* counting_;
};

bool SummaryPass(const Settings& options, const LineCounting* counting, TrackSummary& summary,
                 AnalysisCounts* counts, std::string& error, const ProgressHooks* hooks) {
    const Settings& s = options;
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    // Where the log's dated track starts, as the dated outputs find it.
    std::optional<LogStart> start;
    std::string readError;
    if (!FindLogStart(s, input.Descriptor(), input.Size(), start, readError)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError);
        return false;
    }
    const LogSplit split = FindLogSplit(s, OutputKind::Table, input.Descriptor(), input.Size());
    SummaryJob job(s, input, split, start, counting);
    const auto run = PassOverLog(job, input, s.Parts, split.at, hooks);
    if (run.end == PartEnd::Cancelled) {
        error = "The preview was cancelled.";
        return false;
    }
    if (run.end == PartEnd::Failed) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, run.failure);
        return false;
    }
    summary = run.part->builder.Finish();
    summary.inParts = run.inParts;
    if (counts != nullptr) *counts = run.part->counts;
    return true;
}

}  // namespace

bool ComputeTrackSummary(const Settings& options, TrackSummary& summary, std::string& error,
                         const ProgressHooks* hooks) {
    return SummaryPass(options, nullptr, summary, nullptr, error, hooks);
}

bool ComputeTrackSummary(const Settings& options, const LineCounting& counting, TrackSummary& summary,
                         AnalysisCounts& counts, std::string& error) {
    return SummaryPass(options, &counting, summary, &counts, error, nullptr);
}

TrackDrawing DrawingOf(const TrackSummary& t, std::string title) {
    TrackDrawing d;
    d.title = std::move(title);
    d.figures = t;  // the figures alone
    d.track.reserve(t.polyline.size());
    for (const TrackSample& p : t.polyline) d.track.push_back({p.latitude, p.longitude});
    // Times that go back would draw the profile backwards: over distance then.
    d.profileOverTime = t.hasTime && !t.timesGoBack;
    d.profile.reserve(t.profile.size());
    for (const TrackSample& p : t.profile) {
        d.profile.push_back({d.profileOverTime ? p.elapsed : p.distance, p.altitude});
    }
    return d;
}

const std::string& PreviewTitle(const RunOptions& options) {
    return options.AnalysedFilePath.empty() ? options.InputFilePath : options.AnalysedFilePath;
}

PreviewOutcome WriteTrackPreview(const Settings& options, const std::string& path, std::string& error) {
    if (IsInputFile(options, path)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, "it is the input file");
        return PreviewOutcome::Failed;
    }
    TrackSummary summary;
    if (!ComputeTrackSummary(options, summary, error)) return PreviewOutcome::Failed;
    return WriteTrackPreview(summary, options, path, error);
}

PreviewOutcome WriteTrackPreview(const TrackSummary& summary, const Settings& options, const std::string& path,
                                 std::string& error) {
    if (IsInputFile(options, path)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, "it is the input file");
        return PreviewOutcome::Failed;
    }
    if (!summary.hasPosition) return PreviewOutcome::NothingToDraw;
    OutputFile output;
    if (!output.Open(path)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, output.ErrorText());
        return PreviewOutcome::Failed;
    }
    output.Write(TrackSvg(DrawingOf(summary, PreviewTitle(options))));
    if (!output.Commit(options.Parts.replacedFiles)) {
        error = FileFailureMessage(FileAction::WriteOutput, path, output.ErrorText(), CommitFailureNote(output));
        return PreviewOutcome::Failed;
    }
    return PreviewOutcome::Written;
}

}  // namespace torvane
