// The figures and the drawing points of a track: computed from the records
// that a Table run with the current options would write, by the same
// record loop and converters, without writing anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/track_summary_text.h"
#include "output/track_svg.h"
#include "progress.h"
#include "record_loop.h"
#include "settings.h"

namespace torvane {

// One record of the track, as the drawing uses it.
struct TrackSample {
    std::uint64_t index = 0;  // 0-based position among the summary's records
    double latitude = 0;
    double longitude = 0;
    double altitude = 0;
    double elapsed = 0;   // seconds since the first record, midnight passes counted
    double distance = 0;  // metres along the track since the first record
};

constexpr double kEarthRadiusMetres = 6371008.8;
constexpr std::size_t kMaxDrawingPoints = 4000;

// Great-circle distance by the haversine formula on a sphere of
// kEarthRadiusMetres, in metres.
double HaversineMetres(double lat1, double lon1, double lat2, double lon2);

// The figures of the track (records with a position; no time when every
// time of day is 0; a step back of more than 12 hours passes midnight;
// altitudes only for data kinds that carry them) and its drawing points.
struct TrackSummary : TrackFigures {
    // At most kMaxDrawingPoints each, in track order, first and last record
    // included, the extremes of each stretch kept.
    std::vector<TrackSample> polyline;  // keeps least/greatest latitude and longitude
    std::vector<TrackSample> profile;   // keeps least/greatest altitude; empty without altitudes
};

// Thins a stream of samples to a bounded number: the samples fall into
// buckets of equal count, each keeping its samples of least and greatest
// value of every key; when all buckets are full, neighbours merge pairwise
// and the bucket width doubles, so memory stays constant.
template <std::size_t Keys>
class ExtremeDecimator {
public:
    using Key = double TrackSample::*;
    ExtremeDecimator(std::array<Key, Keys> keys, std::size_t maxBuckets);
    void Add(const TrackSample& sample);
    // The kept samples in track order, each once.
    std::vector<TrackSample> Points() const;

private:
    struct Bucket {
        std::array<TrackSample, Keys> low, high;
    };
    void Include(Bucket& bucket, const TrackSample& sample) const;
    void MergePairs();

    std::array<Key, Keys> keys_;
    std::size_t maxBuckets_;  // even
    std::vector<Bucket> buckets_;
    std::uint64_t width_ = 1;
    std::uint64_t inLast_ = 0;
};

// Collects the summary from the records a run hands over.
class TrackSummaryBuilder : public RecordSink {
public:
    TrackSummaryBuilder();
    void Take(const Settings& s) override;
    // Adds what `later` collected from the records that follow these.
    void Append(const TrackSummaryBuilder& later);
    TrackSummary Finish();

private:
    void Add(double timeOfDay, double latitude, double longitude, bool altitudeKnown, double altitude);

    TrackSummary summary_;
    TrackSample last_;
    TrackSample first_;
    double lastTime_ = 0;
    ExtremeDecimator<2> track_;
    ExtremeDecimator<1> profile_;
};


// The drawing of a summary: the profile over time, or over distance when
// the track has no time.
TrackDrawing DrawingOf(const TrackSummary& summary, std::string title);

// Writes the drawing of `options`' track as SVG to `path` through an output
// file (complete or not at all). A track without a position is not drawn:
// nothing is written. Failed with the reason in `error`; never written over
// the input.
enum class PreviewOutcome { Written, NothingToDraw, Failed };
PreviewOutcome WriteTrackPreview(const Settings& options, const std::string& path, std::string& error);

// Runs the record loop over the input of `options` (after its analysis) as
// a Table run would, without writing; a large NMEA or IGC log in two halves
// at once, whose summaries are joined. False when the input cannot be read,
// with the message in `error`; `options` is not changed.
bool ComputeTrackSummary(const Settings& options, TrackSummary& summary, std::string& error,
                         const ProgressHooks* hooks = nullptr);

}  // namespace torvane
