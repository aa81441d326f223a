// The record loop: reads the input line by line, hands each line to the
// converter of the data type, post-processes the returned line, decides
// whether it is written, writes it with CR LF and counts it.
//
// This is the outer of the three steps per input line: the loop here, the
// converters (nmea_sentences, igc_fix, gpx_track_point) that end in
// current_record.h, and the line text of output/position_line.h. The loop
// owns the flow and the file; the other two only fill Settings.
#pragma once

#include <string>

#include "convert/files/line_reader.h"
#include "convert/files/output_file.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

// Takes the records that pass the write test instead of a file: the
// current record of `s` (Latitude, Longitude, TimeOfDay, Altitude when
// AltitudeKnown, OutputLine before the decimal-comma step), and the offset
// in the file of the line that completed it.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void Take(const Settings& s, std::uint64_t lineOffset) = 0;
};

// A record sink that also sees every input line before it is converted
// (where a log gives its date), and can end the run there.
class DatedRecordSink : public RecordSink {
public:
    // True ends the run (LoopEnd::Cancelled) before this line.
    virtual bool SeeLine(std::string_view line) = 0;
};

// How a run of the loop ended.
enum class LoopEnd {
    Finished,    // the input was read to its end
    ReadFailed,  // reading failed; the reason is in `error`
    Cancelled,   // the progress hooks asked the run to stop
};

// Reads `input` to its end. RecordCount holds the number of lines written.
// Write failures are left in `output`.
LoopEnd RunRecordLoop(Settings& s, LineReader& input, OutputFile& output, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error);

// The same run, handing each record that would be written to `sink`.
LoopEnd RunRecordLoop(Settings& s, LineReader& input, RecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error);

struct LineAccount;

// The settings of a pass over the log of `options` that writes nothing and
// takes the records a Table run would write (positions alone, no text).
Settings PositionsPassSettings(const Settings& options);

// The same run, showing each line to `sink` first.
LoopEnd RunRecordLoop(Settings& s, LineReader& input, DatedRecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error);

// The same run, writing nothing: every line into `account`, with why it
// became a position or did not.
LoopEnd RunRecordLoop(Settings& s, LineReader& input, LineAccount& account, std::string& error);

}  // namespace torvane
