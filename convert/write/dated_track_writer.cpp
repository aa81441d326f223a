#include "convert/write/dated_track_writer.h"

#include "convert/about.h"
#include "convert/kinds.h"
#include "convert/write/path_line.h"
#include "output/geojson_document.h"
#include "output/gpx_document.h"
#include "output/kml_document.h"
#include "output/track_time.h"

namespace torvane {
namespace {

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind(platform::kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the track `written` has the header of the track `gathered`, its
// points written with milliseconds where the gathering pass found them needed.
bool SameHeader(const DatedTrackWriter::GpxTrackFrame& written, const DatedTrackWriter::GpxTrackFrame& gathered) {
    const OverlayBounds& a = written.bounds;
    const OverlayBounds& b = gathered.bounds;
    const bool sameFirst = written.count == 0 || (written.first.hasTime == gathered.first.hasTime &&
                                                  written.first.utcMilliseconds == gathered.first.utcMilliseconds);
    return written.count == gathered.count && sameFirst && a.empty == b.empty && a.minLatitude == b.minLatitude &&
           a.maxLatitude == b.maxLatitude && a.minLongitude == b.minLongitude && a.maxLongitude == b.maxLongitude &&
           written.measures == gathered.measures && !written.needsMilliseconds;
}

}  // namespace

DatedTrackWriter::DatedTrackWriter(const Settings& s, OutputFile& output, TrackCalendar calendar, bool milliseconds)
    : settings_(s),
      kind_(s.OutputType),
      timeTrack_(s.OutputType == OutputKind::KML && IsDatedOutput(s)),
      output_(output),
      dates_(s, calendar),
      milliseconds_(milliseconds),
      measureArrays_(s.OutputType == OutputKind::KML ? MeasureArrays::Form::Kml : MeasureArrays::Form::GeoJson,
                     s.OutputType == OutputKind::KML ? kKmlMeasures : std::uint8_t{0xFF}, s.OutputFilePath) {
    pathWaits_ = timeTrack_ && InputKindOf(s.DataType).carriesMeasurements;
    if (s.Shape.Any()) shape_ = std::make_unique<ShapePipeline>(s.Shape, shaped_);
}

bool DatedTrackWriter::Open(std::string& error, bool laterPart) {
    if (kind_ == OutputKind::GPX) {
        if (gatherOnly_) return true;
        if (knownFrame_) {
            WriteGpxHeader(knownFrame_->count > 0 ? &knownFrame_->first : nullptr, knownFrame_->bounds,
                           knownFrame_->measures);
            gpxPoints_ = &output_;
            return true;
        }
        gpxPoints_ = &side_[0];
    }
    for (std::size_t i = 0; i < SideCount(); ++i) {
        if (!side_[i].Open(settings_.OutputFilePath)) {
            error = side_[i].ErrorText();
            return false;
        }
    }
    if (timeTrack_ && settings_.Shape.Splits()) {
        if (!pieces_.Open(settings_.OutputFilePath)) {
            error = pieces_.ErrorText();
            return false;
        }
        pieceMeasures_ =
            std::make_unique<MeasureArrays>(MeasureArrays::Form::Kml, kKmlMeasures, settings_.OutputFilePath);
    }
    // The time document's header declares the measurements the track turns
    // out to have: for a kind that may carry them it is written when the
    // document is finished, its path's lines waiting beside it until then;
    // for the others at once, before the path's lines in the output itself.
    if (!timeTrack_) return true;
    if (!pathWaits_) {
        if (!laterPart) output_.WriteLine(KmlHeader(settings_.KmlProperties, true));
        return true;
    }
    if (!path_.Open(settings_.OutputFilePath)) {
        error = path_.ErrorText();
        return false;
    }
    return true;
}

bool DatedTrackWriter::Append(DatedTrackWriter& later) {
    if (laterCount_ || later.laterCount_) return false;  // two parts at the most
    if (shape_ || gatherOnly_ || knownFrame_) return false;
    // The KML path's lines are in the output itself (the time document's
    // wait beside it); the side files follow this part's own ones when the
    // output is finished.
    if (kind_ == OutputKind::KML && (!AppendPart(PathOutput(), later.PathOutput()) || !PathOutput().Good())) {
        return false;
    }
    for (std::size_t i = 0; i < SideCount(); ++i) laterSide_[i] = std::move(later.side_[i]);
    laterCount_ = later.count_;
    measureArrays_.Append(later.measureArrays_);
    measures_ |= later.measures_;
    needsMilliseconds_ = needsMilliseconds_ || later.needsMilliseconds_;
    if (count_ == 0) first_ = later.first_;
    count_ += later.count_;
    bounds_.Include(later.bounds_);
    if (!start_) start_ = later.start_;
    if (later.end_) end_ = later.end_;
    return true;
}

bool DatedTrackWriter::SeeLine(std::string_view line) {
    dates_.SeeLine(line);
    return SeeLineWithoutDate();
}

void DatedTrackWriter::Take(const Record& record, std::uint64_t) {
    // The KML path is today's path, line for line, where nothing shapes it.
    if (kind_ == OutputKind::KML && !shape_) WriteRecordPathLine(record, 0);
    if (record.invalid) return;

    Position p = record.position;
    p.utcTime = dates_.PositionTime(p);
    if (shape_) {
        shape_->Take(p);
    } else {
        TakePosition(p, count_ == 0);
    }
}

void DatedTrackWriter::EndTrack() {
    if (shape_) shape_->End();
}

void DatedTrackWriter::TakePosition(const Position& p, bool newPiece) {
    DatedPoint point;
    point.latitude = p.latitude;
    point.longitude = p.longitude;
    point.hasAltitude = p.altitudeGiven;
    point.altitude = p.altitude;
    point.measurements = p.measurements;
    measures_ |= p.measurements.has;
    if (const std::optional<std::int64_t> time = p.utcTime) {
        point.hasTime = true;
        point.utcMilliseconds = *time;
        if (!milliseconds_ && *time % 1000 != 0 && SideCount() > 0) needsMilliseconds_ = true;
        if (!start_) start_ = *time;
        end_ = *time;
    }
    pieceBreak_ = newPiece && count_ > 0;
    if (pieceBreak_ && gpxPoints_ != nullptr) gpxPoints_->Write(GpxSegmentBreak());
    if (count_ == 0) first_ = point;
    ++count_;
    bounds_.Include(point.latitude, point.longitude);
    // A shaped path: its line where the position is kept.
    if (shape_ && kind_ != OutputKind::GPX && kind_ != OutputKind::GeoJSON) WritePathLine(p);
    TakeTrackPoint(point);
}

void DatedTrackWriter::WritePathLine(const Position& position) {
    Record record;
    record.position = position;
    record.hasPosition = true;
    WriteRecordPathLine(record, count_ - 1);
}

void DatedTrackWriter::WriteRecordPathLine(const Record& record, std::int64_t pointNumber) {
    PathOutput().WriteLineWith(kMaxPathLineText, [&](char* out) {
        return torvane::WritePathLine(out, kind_, record, pointNumber, settings_.UseDecimalComma);
    });
}

void DatedTrackWriter::ClosePiece() {
    pieces_.WriteLine(KmlPieceStart());
    for (OutputFile& side : side_) {
        piecesGood_ = piecesGood_ && AppendPart(pieces_, side);
        side.Discard();
        piecesGood_ = piecesGood_ && side.Open(settings_.OutputFilePath);
    }
    // The piece's own measurements, one value a <when> of its own.
    const std::uint8_t measures = pieceMeasures_->Present();
    if (measures != 0) {
        piecesGood_ = WriteKmlMeasures(pieces_, *pieceMeasures_, measures) && piecesGood_;
        if (!pieceMeasures_->ErrorText().empty()) pieceError_ = pieceMeasures_->ErrorText();
    }
    pieceMeasuresPresent_ |= measures;
    pieceMeasures_ = std::make_unique<MeasureArrays>(MeasureArrays::Form::Kml, kKmlMeasures, settings_.OutputFilePath);
    pieces_.WriteLine(KmlPieceEnd());
    pieceTimes_ = 0;
}

void DatedTrackWriter::TakeTrackPoint(const DatedPoint& point) {
    switch (kind_) {
        case OutputKind::GPX:
            if (gpxPoints_ == nullptr) break;
            gpxPoints_->WriteLineWith(kMaxGpxPointText,
                                      [&](char* out) { return WriteGpxPoint(out, point, milliseconds_, times_); });
            break;
        case OutputKind::GeoJSON:
            if (count_ > 1) {
                const std::string_view separator = pieceBreak_ ? kGeoJsonPieceSeparator : kGeoJsonSeparator;
                side_[0].Write(separator);
                side_[1].Write(separator);
            }
            side_[0].Took(WriteGeoJsonPosition(side_[0].Room(kMaxGeoJsonPositionText), point));
            side_[1].Took(WriteGeoJsonTime(side_[1].Room(kMaxGeoJsonTimeText), point, milliseconds_, times_));
            measureArrays_.Take(point, pieceBreak_);
            break;
        case OutputKind::KML:
            // Google Earth plays only a track whose every point has a time.
            kmlBreak_ = kmlBreak_ || pieceBreak_;
            if (!timeTrack_ || !point.hasTime) break;
            if (kmlBreak_ && pieceTimes_ > 0 && pieces_.Good()) ClosePiece();
            kmlBreak_ = false;
            ++pieceTimes_;
            side_[0].WriteLineWith(kMaxKmlWhenText, [&](char* out) {
                return WriteKmlWhen(out, point.utcMilliseconds, milliseconds_, times_);
            });
            side_[1].WriteLineWith(kMaxKmlTrackCoordText, [&](char* out) { return WriteKmlTrackCoord(out, point); });
            (pieceMeasures_ ? *pieceMeasures_ : measureArrays_).Take(point, false);
            break;
        default:
            break;
    }
}

bool DatedTrackWriter::AppendSide(std::size_t i, std::string_view separator) {
    if (!AppendPart(output_, side_[i])) return false;
    if (!laterCount_) return true;
    if (!separator.empty() && count_ > *laterCount_ && *laterCount_ > 0) output_.Write(separator);
    return AppendPart(output_, laterSide_[i]);
}

bool DatedTrackWriter::WriteKmlMeasures(OutputFile& out, MeasureArrays& arrays, std::uint8_t measures) {
    bool good = true;
    out.WriteLine(KmlMeasureDataHead());
    for (const std::uint8_t bit : kMeasureBits) {
        if ((measures & bit) == 0) continue;
        out.WriteLine(KmlMeasureArrayHead(bit));
        good = arrays.WriteEntries(out, bit) && good;
        out.WriteLine(KmlMeasureArrayTail());
    }
    out.WriteLine(KmlMeasureDataTail());
    return good;
}

DatedTrackWriter::GpxTrackFrame DatedTrackWriter::GatheredFrame() const {
    return GpxTrackFrame{count_, first_, bounds_, measures_, needsMilliseconds_};
}

bool DatedTrackWriter::KeptToFrame() const {
    return !knownFrame_ || SameHeader(GatheredFrame(), *knownFrame_);
}

void DatedTrackWriter::WriteGpxHeader(const DatedPoint* first, const OverlayBounds& bounds, std::uint8_t measures) {
    const std::string name = NameOf(settings_.OutputFilePath);
    const std::string creator = "Torvane " + std::string(kProgramVersion);
    output_.Write(GpxHeader(GpxFrame{name, creator, first, bounds, milliseconds_, measures}));
}

bool DatedTrackWriter::Finish(std::string& error) {
    const std::string name = NameOf(settings_.OutputFilePath);
    bool appended = true;
    switch (kind_) {
        case OutputKind::GPX: {
            if (!knownFrame_) {
                WriteGpxHeader(count_ > 0 ? &first_ : nullptr, bounds_, measures_);
                appended = AppendSide(0, {});
            }
            output_.Write(GpxTrailer());
            break;
        }
        case OutputKind::GeoJSON: {
            GeoJsonFrame frame{name, count_, bounds_, count_ > 0 ? &first_ : nullptr, start_, end_, milliseconds_,
                               settings_.Shape.Splits(), measureArrays_.Present()};
            output_.Write(GeoJsonHead(frame));
            if (count_ > 1) appended = AppendSide(0, kGeoJsonSeparator);
            output_.Write(GeoJsonMiddle(frame));
            if (start_) appended = appended && AppendSide(1, kGeoJsonSeparator);
            for (const std::uint8_t bit : kMeasureBits) {
                if ((frame.measures & bit) == 0 || count_ == 0) continue;
                output_.Write(GeoJsonMeasureHead(frame, bit));
                appended = measureArrays_.WriteEntries(output_, bit) && appended;
            }
            output_.Write(GeoJsonTail(frame));
            break;
        }
        case OutputKind::KML: {
            if (!timeTrack_) break;
            std::string begin, end;
            if (start_) {
                AppendIsoTime(begin, *start_, milliseconds_);
                AppendIsoTime(end, *end_, milliseconds_);
            }
            const bool pieces = start_ && settings_.Shape.Splits();
            if (pieces) ClosePiece();  // the last one: the measurements of every piece are known
            const std::uint8_t measures = !start_ ? 0 : pieces ? pieceMeasuresPresent_ : measureArrays_.Present();
            // The Schema of the measurements stands before the document's
            // first placemark, as KML 2.2 orders a Document's elements.
            if (pathWaits_) {
                output_.WriteLine(KmlHeader(settings_.KmlProperties, true,
                                            measures != 0 ? KmlMeasureSchema(measures) : std::string()));
                appended = AppendPart(output_, path_);
            }
            if (pieces) {
                output_.WriteLine(KmlTimeTrackHead(settings_.KmlProperties, begin, end, true));
                appended = piecesGood_ && AppendPart(output_, pieces_) && appended;
                output_.WriteLine(KmlMultiTrackTrailer());
            } else if (start_) {
                output_.WriteLine(KmlTimeTrackHead(settings_.KmlProperties, begin, end));
                appended = AppendSide(0, {}) && AppendSide(1, {}) && appended;
                if (measures != 0) appended = WriteKmlMeasures(output_, measureArrays_, measures) && appended;
                output_.WriteLine(KmlTimeTrackTrailer());
            } else {
                output_.WriteLine(KmlTimeDocumentTrailerWithoutTrack());
            }
            break;
        }
        default:
            break;
    }
    if (!appended) {
        if (!measureArrays_.ErrorText().empty()) {
            error = measureArrays_.ErrorText();
            return false;
        }
        for (const auto* sides : {&side_, &laterSide_}) {
            for (const OutputFile& side : *sides) {
                if (!side.ErrorText().empty()) {
                    error = side.ErrorText();
                    return false;
                }
            }
        }
        for (const std::string* text :
             {&path_.ErrorText(), &pieces_.ErrorText(), static_cast<const std::string*>(&pieceError_)}) {
            if (!text->empty()) {
                error = *text;
                return false;
            }
        }
        error = "cannot read back a part of the output";
        return false;
    }
    return true;
}

}  // namespace torvane
