// Reader of TCX files (Training Center XML), the activity files of sport
// watches and training programs: turns each `Trackpoint` element into a
// record with its position (or without one, where it has no `Position`),
// its time, its altitude and what the recorder measured there (heart rate,
// cadence, and from the `TPX` extension speed and power).
//
// The file is read as a stream of bytes, a block at a time, not as lines
// (TCX files are often one line): the reader keeps the elements open around
// the current byte (a key of each name), the text of the one value it
// is reading and that trackpoint's values, so memory stays flat whatever
// the file's size and layout. It checks what it passes: every end tag
// closes the element opened last, and the file ends with every element
// closed. UTF-8 (with or without its byte-order mark) and UTF-16 with its
// mark are read; offsets in UTF-16 files count the bytes of its UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/files/line_reader.h"
#include "convert/files/platform/file_system.h"
#include "convert/read/block_records.h"
#include "convert/read/tcx_place.h"
#include "convert/settings.h"

namespace torvane {

// Bytes asked of a file per read: as many as the line reader asks for.
inline constexpr std::size_t kTcxBlockSize = kReadBlockSize;

// Where a TCX document's root element is looked for: within so many bytes
// of the file's start (after its declaration, comments and blanks).
inline constexpr std::size_t kTcxRootWithin = 1u << 16;

class TcxFileReader {
public:
    // Altitudes are manipulated as `options` say.
    explicit TcxFileReader(const RunOptions& options) : options_(options) {}

    // Reads the TCX document in `bytes`, handed to the scanner in pieces of
    // `pieceSize` bytes (as a file's blocks are).
    BlockEnd Read(std::string_view bytes, BlockRecordSink& sink, std::size_t pieceSize = kTcxBlockSize);
    // Reads the open `file` from its start to its end, a block at a time,
    // wherever its offset stands (the file is not closed).
    BlockEnd Read(platform::FileHandle file, BlockRecordSink& sink);
    // Reads a part of the open `file`: from `from` (a trackpoint's start and
    // the state there, as Noted gives it; null: the file's start) to its
    // end, or only up to `end` (then `reached` is the state there, where it
    // lies between trackpoints in a file read as bytes, not UTF-16; and
    // left empty otherwise). The bytes past the file's end are not asked.
    BlockEnd ReadPart(platform::FileHandle file, BlockRecordSink& sink, const TcxReaderPlace* from,
                      std::uint64_t end, std::optional<TcxReaderPlace>& reached);

    // Reads the open `file` from `offset` to its end with the elements open
    // there unknown (see Continues), as a reading from a trackpoint's start.
    BlockEnd ReadFromUnknown(platform::FileHandle file, BlockRecordSink& sink, std::uint64_t offset,
                             TcxUnknownStart& unknown);
    // Whether a reading from `place`'s offset that did `later` with the
    // elements open there reads what one from `place`'s state reads: it
    // closed them all, in their order, and went no deeper than one may.
    static bool Continues(const TcxReaderPlace& place, const TcxUnknownStart& later);

    // While reading from the file's start: notes the state at the first
    // trackpoint that opens at or after `offset` (in a file read as bytes).
    void NoteTrackpointFrom(std::uint64_t offset) { noteFrom_ = offset; }
    const std::optional<TcxReaderPlace>& Noted() const { return noted_; }

    // Why the reading failed: what was wrong, and at which byte.
    const std::string& ErrorText() const { return error_; }

private:
    const RunOptions& options_;
    std::string error_;
    std::optional<std::uint64_t> noteFrom_;
    std::optional<TcxReaderPlace> noted_;
};

// Whether `start`, the first bytes of a file, opens a TCX document: its
// first element (after a byte-order mark, the XML declaration, comments and
// blanks) is `TrainingCenterDatabase`, with or without a namespace prefix.
// UTF-16 text with its byte-order mark is read as such.
bool OpensTcxDocument(std::string_view start);

}  // namespace torvane
