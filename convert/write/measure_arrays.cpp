#include "convert/write/measure_arrays.h"

#include <algorithm>

#include "output/geojson_document.h"
#include "output/kml_document.h"

namespace torvane {
namespace {

std::size_t IndexOf(std::uint8_t bit) {
    for (std::size_t i = 0; i < kMeasureCount; ++i) {
        if (kMeasureBits[i] == bit) return i;
    }
    return 0;
}

}  // namespace

void MeasureArrays::TakeValues(const DatedPoint& point, bool newPiece) {
    for (std::size_t i = 0; i < kMeasureCount; ++i) {
        const std::uint8_t bit = kMeasureBits[i];
        if ((kinds_ & bit) == 0) continue;
        if ((present_ & bit) == 0 && (!point.measurements.Has(bit) || !Start(i))) continue;
        OutputFile& side = sides_[i];
        if (form_ == Form::GeoJson) {
            if (entries_ > 0) side.Write(newPiece ? kGeoJsonPieceSeparator : kGeoJsonSeparator);
            ComposeGeoJsonMeasure(line_, point, bit);
            side.Write(line_);
        } else {
            ComposeKmlValue(line_, point.measurements, bit);
            side.WriteLine(line_);
        }
    }
}

bool MeasureArrays::Start(std::size_t i) {
    if (!sides_[i].Open(outputPath_)) {
        if (error_.empty()) error_ = sides_[i].ErrorText();
        kinds_ = static_cast<std::uint8_t>(kinds_ & ~kMeasureBits[i]);
        return false;
    }
    present_ |= kMeasureBits[i];
    WriteNone(sides_[i], entries_, pieceStarts_);
    return true;
}

void MeasureArrays::WriteNone(OutputFile& out, std::int64_t count, const std::vector<std::int64_t>& pieceStarts) {
    auto piece = pieceStarts.begin();
    for (std::int64_t entry = 0; entry < count; ++entry) {
        if (form_ == Form::Kml) {
            ComposeKmlValue(line_, Measurements{}, Measurements::kHeartRate);
            out.WriteLine(line_);
            continue;
        }
        const bool newPiece = piece != pieceStarts.end() && *piece == entry;
        if (newPiece) ++piece;
        if (entry > 0) out.Write(newPiece ? kGeoJsonPieceSeparator : kGeoJsonSeparator);
        out.Write("null");
    }
}

void MeasureArrays::Append(MeasureArrays& later) {
    laterEntries_ = later.entries_;
    laterPresent_ = later.present_;
    laterSides_ = std::move(later.sides_);
    if (error_.empty()) error_ = later.error_;
}

bool MeasureArrays::WriteEntries(OutputFile& output, std::uint8_t bit) {
    const std::size_t i = IndexOf(bit);
    const auto part = [&](OutputFile& side, bool present, std::int64_t count, const std::vector<std::int64_t>& pieces) {
        if (present) return AppendPart(output, side);
        WriteNone(output, count, pieces);
        return true;
    };
    bool good = part(sides_[i], (present_ & bit) != 0, entries_, pieceStarts_);
    if (laterEntries_ > 0) {
        // Parts are never shaped: the later part is one piece.
        if (entries_ > 0 && form_ == Form::GeoJson) output.Write(kGeoJsonSeparator);
        good = part(laterSides_[i], (laterPresent_ & bit) != 0, laterEntries_, {}) && good;
    }
    if (!good && error_.empty()) {
        error_ = !sides_[i].ErrorText().empty() ? sides_[i].ErrorText() : laterSides_[i].ErrorText();
        if (error_.empty()) error_ = "cannot read back a part of the output";
    }
    return good;
}

}  // namespace torvane
