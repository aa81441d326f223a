// The writer of the dated outputs: a GPX 1.1 track, a GeoJSON line and the
// KML document with a time track for Google Earth's time slider; and of a
// shaped table, KML path or overlay (their lines, one a kept position,
// between the frame the run writes). It takes
// the records the loop writes and every line before them (for the dates),
// and streams whatever must follow the body into files of their own beside
// the output (the GPX bounds stand before the points, the KML times before
// the track's coordinates, the measurements after either), joined in order
// at the end: memory stays flat for any size. A GPX track from a log that
// is read twice needs none: the first reading gathers what its header tells.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "convert/dates/log_dates.h"
#include "convert/files/output_file.h"
#include "convert/run/record_loop.h"
#include "convert/settings.h"
#include "convert/shape/shape_pipeline.h"
#include "convert/write/measure_arrays.h"
#include "output/dated_point.h"
#include "output/position_line.h"
#include "output/track_time.h"

namespace torvane {

class DatedTrackWriter : public DatedRecordSink {
public:
    // Writes into `output` (open, empty). `milliseconds`: times carry
    // ".sss"; a time with a fraction met without it ends the run early (see
    // NeedsMilliseconds), to be run again with it.
    DatedTrackWriter(const Settings& s, OutputFile& output, TrackCalendar calendar, bool milliseconds);

    // What a GPX document's header tells of its track: the positions, the
    // first of them, their extent, the measurements any of them has; and
    // whether one has a time with a fraction of a second.
    struct GpxTrackFrame {
        std::int64_t count = 0;
        DatedPoint first;
        OverlayBounds bounds;
        std::uint8_t measures = 0;
        bool needsMilliseconds = false;
    };

    // A GPX track in two passes over the log, where reading it again costs
    // less than writing the points twice (once beside the output, then into
    // it). The first pass gathers the frame and writes nothing, to the end
    // of the track (a fraction of a second does not end it); call before Open.
    void GatherFrameOnly() { gatherOnly_ = true; }
    GpxTrackFrame GatheredFrame() const;
    // The second pass: Open writes the header of `frame` (gathered with the
    // same options, milliseconds given where it needs them), the points go
    // straight into the output after it.
    void WriteWithin(const GpxTrackFrame& frame) { knownFrame_ = frame; }
    // Whether the track written has the header written before it (false
    // where the log changed between the passes); true for one pass.
    bool KeptToFrame() const;

    // Creates the side files and, unless it writes a later part of the
    // track or waits for the measurements, what stands before the body.
    // False with the reason in `error`.
    bool Open(std::string& error, bool laterPart = false);

    bool SeeLine(std::string_view line) override;
    void Take(const Record& record, std::uint64_t lineOffset) override;
    // Whether the dates are the NMEA sentences': a line that names no RMC
    // or ZDA sentence (see CountLine) gives none, and is seen by
    // SeeLineWithoutDate instead.
    bool TakesNmeaDates() const { return dates_.Source() == DateSource::NmeaSentences; }
    bool SeeLineWithoutDate() const { return needsMilliseconds_ && !gatherOnly_; }

    // The log has ended: the shaping stages hand on what they hold.
    void EndTrack();

    // A time with a fraction of a second came while times were written in
    // whole seconds: the run is to be made again with milliseconds (known
    // for the whole track once it has ended).
    bool NeedsMilliseconds() const { return needsMilliseconds_; }

    // Positions of the track.
    std::int64_t Count() const { return count_; }

    // The extent of the positions written (the overlay's centre).
    const OverlayBounds& Bounds() const { return bounds_; }

    // Whether any written position has a time.
    bool Dated() const { return start_.has_value(); }

    const TrackCalendar& Calendar() const { return dates_.Calendar(); }

    // Takes in the part of the track that follows this one's, written by
    // `later` into an output of its own. False when a file of either cannot
    // be written or read back, or the track is shaped (shaping sees the
    // whole track: one pass).
    bool Append(DatedTrackWriter& later);

    // Writes the frame and the side files into the output (which is then
    // complete, not yet named). False with the reason in `error`.
    bool Finish(std::string& error);

private:
    // The positions the shaping stages keep come back to the writer.
    struct Shaped : ShapeSink {
        explicit Shaped(DatedTrackWriter& writer) : writer(writer) {}
        void Take(const Position& position, bool newPiece) override { writer.TakePosition(position, newPiece); }
        void End() override {}
        DatedTrackWriter& writer;
    };

    // A position of the written track, its `utcTime` the time written.
    void TakePosition(const Position& position, bool newPiece);
    void TakeTrackPoint(const DatedPoint& point);
    // The line of a position in a table, a KML path or an overlay.
    void WritePathLine(const Position& position);
    void WriteRecordPathLine(const Record& record, std::int64_t pointNumber);  // the same for a record
    // A piece of the KML time track is complete: its <when> and <gx:coord>
    // lines go into `pieces_` as one gx:Track, and the side files start again.
    void ClosePiece();
    // Writes side file `i` into the output: this part's, then the later
    // part's (after `separator` where both hold points). False when one
    // cannot be read back.
    bool AppendSide(std::size_t i, std::string_view separator);
    // The KML time track's ExtendedData of `measures` from `arrays`, into `out`.
    bool WriteKmlMeasures(OutputFile& out, MeasureArrays& arrays, std::uint8_t measures);
    // The GPX document's header, into the output.
    void WriteGpxHeader(const DatedPoint* first, const OverlayBounds& bounds, std::uint8_t measures);
    std::size_t SideCount() const {
        return kind_ == OutputKind::GPX ? 1 : kind_ == OutputKind::GeoJSON || timeTrack_ ? 2 : 0;
    }

    const Settings& settings_;
    OutputKind kind_;
    bool timeTrack_;  // a KML document with its time track
    OutputFile& output_;
    LogDates dates_;
    bool milliseconds_;
    bool needsMilliseconds_ = false;

    // Side files: GPX points; GeoJSON coordinates and times; KML whens and coords.
    std::array<OutputFile, 2> side_;
    std::array<OutputFile, 2> laterSide_;    // those of the later part, once appended
    std::optional<std::int64_t> laterCount_;  // then: positions of the later part (count_ holds both)
    IsoTimeText times_;
    std::int64_t count_ = 0;   // positions of the track
    OverlayBounds bounds_;
    DatedPoint first_;
    std::optional<std::int64_t> start_, end_;
    bool pieceBreak_ = false;  // the position taken starts a piece after the first
    std::uint8_t measures_ = 0;  // the measurements any written position has
    // A GPX track written in two passes: the first gathers, the second
    // writes its points into the output, within the frame the first gathered.
    bool gatherOnly_ = false;
    std::optional<GpxTrackFrame> knownFrame_;
    // Where the GPX points go: the side file, the output, or nowhere (gathering).
    OutputFile* gpxPoints_ = nullptr;
    MeasureArrays measureArrays_;  // GeoJSON's and the KML time track's
    // A KML time track in pieces: the gx:Tracks of the pieces before the
    // current one; whether a piece starts with the next timed point; the
    // timed points of the current piece.
    OutputFile pieces_;
    // The KML time document's path lines, until its header is written.
    OutputFile path_;
    // Whether the KML time document's path lines wait beside the output for
    // its header (a kind that may carry measurements).
    bool pathWaits_ = false;
    OutputFile& PathOutput() { return pathWaits_ ? path_ : output_; }
    bool kmlBreak_ = false;
    std::int64_t pieceTimes_ = 0;
    bool piecesGood_ = true;
    std::unique_ptr<MeasureArrays> pieceMeasures_;  // the measurements of the current piece
    std::uint8_t pieceMeasuresPresent_ = 0;          // ... of every piece closed
    std::string pieceError_;
    Shaped shaped_{*this};
    std::unique_ptr<ShapePipeline> shape_;  // where a shaping option is on
};

}  // namespace torvane
