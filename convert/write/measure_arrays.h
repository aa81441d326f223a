// The measurements of a GeoJSON track (arrays in coordinateProperties) or
// of a KML time track (gx:SimpleArrayData): one entry a point of the track,
// a value or none. Each measurement streams into a side file of its own,
// opened when the first point with it comes (the entries before it are
// written as none then), so a track without measurements costs nothing
// beyond a count, and memory stays flat for any size.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/files/output_file.h"
#include "output/dated_point.h"

namespace torvane {

class MeasureArrays {
public:
    enum class Form { GeoJson, Kml };
    // `kinds`: the measurements (Measurements bits) the arrays may hold;
    // side files go beside `outputPath`.
    MeasureArrays(Form form, std::uint8_t kinds, const std::string& outputPath)
        : form_(form), kinds_(kinds), outputPath_(outputPath) {}

    // The next entry: `point`'s values. `newPiece`: it begins a piece after
    // the first (GeoJSON's arrays are then lists of lists).
    void Take(const DatedPoint& point, bool newPiece) {
        if (newPiece && form_ == Form::GeoJson) pieceStarts_.push_back(entries_);
        if (((point.measurements.has & kinds_) | present_) != 0) TakeValues(point, newPiece);
        ++entries_;
    }

    // The measurements some entry has, of this part and the later one.
    std::uint8_t Present() const { return present_ | laterPresent_; }

    // Takes in the arrays of the part of the track that follows this one's.
    void Append(MeasureArrays& later);

    // Writes the entries of measurement `bit` into `output`: this part's,
    // then the later part's. False when a side file cannot be written or
    // read back, with ErrorText().
    bool WriteEntries(OutputFile& output, std::uint8_t bit);

    const std::string& ErrorText() const { return error_; }

private:
    void TakeValues(const DatedPoint& point, bool newPiece);
    // Starts the side file of measurement `i` with no value for every entry so far.
    bool Start(std::size_t i);
    // `count` entries without a value, as the first entries of a part.
    void WriteNone(OutputFile& out, std::int64_t count, const std::vector<std::int64_t>& pieceStarts);

    Form form_;
    std::uint8_t kinds_;
    const std::string& outputPath_;
    std::int64_t entries_ = 0;
    std::vector<std::int64_t> pieceStarts_;  // entries that begin a piece after the first
    std::uint8_t present_ = 0;               // measurements whose side file is open
    std::array<OutputFile, kMeasureCount> sides_;
    // The later part's, once appended.
    std::int64_t laterEntries_ = 0;
    std::uint8_t laterPresent_ = 0;
    std::array<OutputFile, kMeasureCount> laterSides_;
    std::string line_;
    std::string error_;
};

}  // namespace torvane
