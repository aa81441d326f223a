// The figures and the drawing points of a track: computed from the records
// that a Table run with the current options would write, by the same
// record loop and readers, without writing anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/dates/log_dates.h"
#include "convert/recognise/line_counts.h"
#include "convert/run/progress.h"
#include "convert/run/record_loop.h"
#include "convert/summary/great_circle.h"
#include "convert/settings.h"
#include "convert/summary/track_motion.h"
#include "output/earth.h"
#include "output/track_summary_text.h"
#include "output/track_svg.h"

namespace torvane {

// One record of the track, as the drawing uses it. What it holds of time
// and distance is counted in whole units (midnights, nanometres), whose
// sums come out the same in whatever parts the track was summed.
struct TrackSample {
    std::uint64_t index = 0;   // 0-based position among the summary's records
    std::uint64_t offset = 0;  // where the record's line starts in the log
    double latitude = 0;
    double longitude = 0;
    double cosLatitude = 1;  // of `latitude`: once for the two steps it takes part in
    double altitude = 0;
    double timeOfDay = 0;
    std::int64_t days = 0;        // midnights passed since the first record
    std::int64_t nanometres = 0;  // along the track since the first record
    // A dated log: the record's UTC time (milliseconds since 1970-01-01),
    // or that of the last record before it with one.
    bool anyUtc = false;  // this record or one before it has a UTC time
    std::int64_t utc = 0;
    double elapsed = 0;   // seconds since the first record (the first dated one in a dated log)
    double distance = 0;  // metres along the track since the first record
};

constexpr std::size_t kMaxDrawingPoints = 4000;

// The figures of the track (records with a position; altitudes only where
// the log gives one) and its drawing points. Where the log is dated, its
// times are the UTC times of the dated outputs, from the first record with
// one to the last; elsewhere times of day, none when every one is 0, a step
// back of more than 12 hours passing midnight.
struct TrackSummary : TrackFigures {
    // At most kMaxDrawingPoints each, in track order, first and last record
    // included, the extremes of each stretch kept.
    std::vector<TrackSample> polyline;  // keeps least/greatest latitude and longitude
    std::vector<TrackSample> profile;   // keeps least/greatest altitude; records with one alone
    bool inParts = false;               // the log was read in two parts at once
};

// Thins a stream of samples to a bounded number: the samples fall into
// buckets by the offset of their line, each bucket keeping its samples of
// least and greatest value of every key (the first of equal ones). When
// more buckets are wanted than there may be, the buckets double in width
// (a power of two, from offset 0 on), so memory stays constant. The kept
// samples depend on the samples alone, not on how they were parted: the
// buckets of parts that follow each other join as one stream's would.
template <double TrackSample::*... Keys>
class ExtremeDecimator {
public:
    static constexpr std::size_t kKeys = sizeof...(Keys);

    explicit ExtremeDecimator(std::size_t maxBuckets);
    void Add(const TrackSample& sample) {
        // Most samples fall into the bucket of the one before.
        if (!buckets_.empty() && buckets_.back().number == sample.offset >> shift_) {
            Include(buckets_.back(), sample);
        } else {
            AddBeyondLastBucket(sample);
        }
    }
    // Adds the buckets of the samples that follow these, each sample
    // passed through `rebase` (which leaves the keys as they are).
    template <class Rebase>
    void Append(ExtremeDecimator&& later, Rebase rebase);
    // The kept samples in track order, each once, after `first` and
    // before `last` (the track's first and last sample).
    std::vector<TrackSample> Points(const TrackSample& first, const TrackSample& last) const;

private:
    static constexpr std::array<double TrackSample::*, kKeys> kKeyOf{Keys...};
    struct Bucket {
        std::uint64_t number = 0;  // the offset of its samples, shifted by the width's power
        std::array<TrackSample, kKeys> low, high;
    };
    static void Include(Bucket& bucket, const TrackSample& sample) {
        // Of equal values the first record's: whatever order the samples
        // come in (a stream, or buckets joined), the same one is kept.
        for (std::size_t k = 0; k < kKeys; ++k) {
            const double value = sample.*kKeyOf[k];
            const TrackSample& low = bucket.low[k];
            const TrackSample& high = bucket.high[k];
            if (value < low.*kKeyOf[k] || (value == low.*kKeyOf[k] && sample.index < low.index)) bucket.low[k] = sample;
            if (value > high.*kKeyOf[k] || (value == high.*kKeyOf[k] && sample.index < high.index)) {
                bucket.high[k] = sample;
            }
        }
    }
    void AddBeyondLastBucket(const TrackSample& sample);
    static void Absorb(Bucket& bucket, const Bucket& next);  // `next`'s extremes into `bucket`
    void Widen();  // doubles the bucket width, joining the buckets that then share a number
    // Widens the buckets as often as that joins none of them (the widths
    // before the first that joins two): their numbers alone change.
    void WidenJoiningNone();

    std::size_t maxBuckets_;
    std::vector<Bucket> buckets_;
    unsigned shift_ = 0;  // buckets are 2^shift_ bytes wide
};

// Collects the summary from the records a run hands over; with `dates`, a
// dated log's times (undated: times of day alone).
class TrackSummaryBuilder : public DatedRecordSink {
public:
    TrackSummaryBuilder();
    explicit TrackSummaryBuilder(LogDates dates);
    bool SeeLine(std::string_view line) override;
    void Take(const Record& record, std::uint64_t lineOffset) override;
    // Adds what `later` collected from the records that follow these. False
    // (and nothing added) where the climb cannot be joined exactly: the
    // records are to be summed in one pass then.
    bool Append(TrackSummaryBuilder&& later);
    TrackSummary Finish();

    const TrackCalendar* Calendar() const { return dates_ ? &dates_->Calendar() : nullptr; }
    // Whether the lines' dates are those of NMEA sentences (RMC, ZDA): a
    // line that names none gives none, and SeeLineWithoutDate stands for
    // SeeLine there.
    bool TakesNmeaDates() const { return dates_ && dates_->Source() == DateSource::NmeaSentences; }
    bool SeeLineWithoutDate() const { return false; }

private:
    std::optional<LogDates> dates_;
    TrackSummary summary_;
    TrackSample last_;
    TrackSample first_;
    // The first and last record with an altitude, and with a UTC time.
    std::optional<TrackSample> firstAltitude_, lastAltitude_;
    std::optional<std::int64_t> firstUtc_, lastUtc_;
    ExtremeDecimator<&TrackSample::latitude, &TrackSample::longitude> track_;
    ExtremeDecimator<&TrackSample::altitude> profile_;
    ClimbCounter climb_;
    MotionCounter motion_;
    RecentSines sines_;  // of the steps' half differences
    bool lastInMotion_ = false;  // the record taken last was added to `motion_`
};

// The drawing of a summary: the profile over time, or over distance when
// the track has no time.
TrackDrawing DrawingOf(const TrackSummary& summary, std::string title);

// The picture's title: the log as the user gave it, not the CR LF copy of a
// GPX log that the analysis made and the run reads.
const std::string& PreviewTitle(const RunOptions& options);

// Writes the drawing of `options`' track as SVG to `path` through an output
// file (complete or not at all). A track without a position is not drawn:
// nothing is written. Failed with the reason in `error`; never written over
// the input.
enum class PreviewOutcome { Written, NothingToDraw, Failed };
PreviewOutcome WriteTrackPreview(const Settings& options, const std::string& path, std::string& error);
// The same for a summary computed already.
PreviewOutcome WriteTrackPreview(const TrackSummary& summary, const Settings& options, const std::string& path,
                                 std::string& error);

// Runs the record loop over the input of `options` (after its analysis) as
// a Table run would, without writing; a large log in two parts at once,
// whose summaries are joined (summary.inParts). False when the input cannot
// be read, with the message in `error`; `options` is not changed.
bool ComputeTrackSummary(const Settings& options, TrackSummary& summary, std::string& error,
                         const ProgressHooks* hooks = nullptr);
// The same, counting every line it reads as the analysis counts the log's
// lines, from `counting`, into `counts` (the totals of the parts, added in
// order; the lines of one pass where the parts were dropped).
bool ComputeTrackSummary(const Settings& options, const LineCounting& counting, TrackSummary& summary,
                         AnalysisCounts& counts, std::string& error);

}  // namespace torvane
