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

#include "line_reader.h"
#include "output_file.h"
#include "progress.h"
#include "settings.h"

namespace torvane {

// Takes the records that pass the write test instead of a file: the
// current record of `s` (Latitude, Longitude, TimeOfDay, Altitude when
// AltitudeKnown, OutputLine before the decimal-comma step).
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void Take(const Settings& s) = 0;
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

// The same run, showing each line to `sink` first.
LoopEnd RunRecordLoop(Settings& s, LineReader& input, DatedRecordSink& sink, std::uint64_t inputSize,
                   const ProgressHooks* hooks, std::string& error);

// How a run over two halves ended: each half's end, and the bytes read.
struct HalvesEnd {
    LoopEnd first = LoopEnd::Finished;
    LoopEnd later = LoopEnd::Finished;
    std::uint64_t bytesRead = 0;
};

// The same run over the two halves of the open file `file` (`size` bytes,
// split at `split`, just after a line end) at once: the first half on this
// thread with `s` into `first`, the later one on another thread with
// `laterSettings` into `later`. `hooks` see the bytes of both halves and are
// called on this thread only; when the first half stops, the later one is
// stopped too. `error` is the first half's reason (a single pass meets it
// first); the later half's failure is only reported in its end.
HalvesEnd RunRecordLoopInHalves(Settings& s, Settings& laterSettings, platform::FileHandle file, std::uint64_t size,
                                std::uint64_t split, OutputFile& first, OutputFile& later, const ProgressHooks* hooks,
                                std::string& error);
HalvesEnd RunRecordLoopInHalves(Settings& s, Settings& laterSettings, platform::FileHandle file, std::uint64_t size,
                                std::uint64_t split, RecordSink& first, RecordSink& later, const ProgressHooks* hooks,
                                std::string& error);

}  // namespace torvane
