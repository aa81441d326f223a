// The record loop: reads the input line by line, hands each line to the
// reader of the data type (convert/read/), decides whether the record it
// gives is written, hands it to the writer (convert/write/) and counts it.
//
// Readers turn a line into a record (read/position.h) and know nothing of
// outputs; writers turn records into bytes and know nothing of input
// formats. The loop owns the flow between them.
#pragma once

#include <optional>
#include <string>

#include "convert/files/line_reader.h"
#include "convert/files/output_file.h"
#include "convert/files/platform/file_system.h"
#include "convert/read/position.h"
#include "convert/recognise/line_counts.h"
#include "convert/run/progress.h"
#include "convert/settings.h"

namespace torvane {

// Takes the records that pass the write test instead of a file, each with
// the offset in the file of the line that completed it.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void Take(const Record& record, std::uint64_t lineOffset) = 0;
};

// A record sink that also sees every input line before it is converted
// (where a log gives its date), and can end the run there.
class DatedRecordSink : public RecordSink {
public:
    // True ends the run (LoopEnd::Cancelled) before this line.
    virtual bool SeeLine(std::string_view line) = 0;
};

// A dated record sink (the summary's builder, a dated track's writer)
// whose run counts each line of the log for its analysis on the way, in
// `counts` from `fromStart` (see LogLineCounter). Where the sink's dates
// are the NMEA sentences' (`TakesNmeaDates`), a line that names no RMC or
// ZDA sentence, as its count tells, gives none: the sink sees it through
// `SeeLineWithoutDate` instead.
template <class Sink>
class CountingSink final : public DatedRecordSink {
public:
    CountingSink(Sink& sink, AnalysisCounts& counts, const SentenceRules& rules, bool fromStart)
        : sink_(sink), counter_(counts, rules, fromStart), takesNmeaDates_(sink.TakesNmeaDates()) {}
    bool SeeLine(std::string_view line) override {
        const bool namesDateSentence = counter_.Count(line);
        if (!namesDateSentence && takesNmeaDates_) return sink_.SeeLineWithoutDate();
        return sink_.Sink::SeeLine(line);
    }
    void Take(const Record& record, std::uint64_t lineOffset) override { sink_.Sink::Take(record, lineOffset); }

private:
    Sink& sink_;
    LogLineCounter counter_;
    bool takesNmeaDates_;
};

// How a run of the loop ended.
enum class LoopEnd {
    Finished,    // the input was read to its end
    ReadFailed,  // reading failed; the reason is in `error`
    Cancelled,   // the progress hooks asked the run to stop
};

// What a run of the loop reads and keeps: the options (read only), the
// readers' state carried from line to line (and from run to run), and the
// totals of what it wrote.
struct LoopState {
    const RunOptions& options;
    ReaderState& readers;
    RunTotals& totals;
};

// Reads `input` to its end, writing a table's, KML path's or overlay's
// lines (OutputType) to `output`. RecordCount holds the number of lines
// written, OverlayExtent the overlay's extent. Write failures are left in
// `output`.
LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, OutputFile& output, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error);

// The same run, counting each line of the log into `counter` (as the
// analysis counts them) on the way.
LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, OutputFile& output, LogLineCounter& counter,
                      std::uint64_t inputSize, const ProgressHooks* hooks, std::string& error);

// The same run, handing each record that would be written to `sink`
// (RecordCount counts them).
LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, RecordSink& sink, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error);

// The same run, showing each line to `sink` first.
LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, DatedRecordSink& sink, std::uint64_t inputSize,
                      const ProgressHooks* hooks, std::string& error);

struct LineAccount;

// The same run, writing nothing: every line into `account`, with why it
// became a position or did not.
LoopEnd RunRecordLoop(const LoopState& run, LineReader& input, LineAccount& account, std::string& error);

// A pass with `options` over the bytes `range` of the log `file` (a binary
// log: the whole file) that writes nothing, from the readers' state
// `options` holds, into `sink`: the records a run would write.
LoopEnd RunLookingPass(const Settings& options, platform::FileHandle file, ByteRange range, DatedRecordSink& sink,
                       std::string& error);

// --- Logs read in blocks rather than lines: FIT (binary) and TCX (XML,
// often one line).

// Whether the log of `options` is read by the block loops below, whose
// "lines" are its messages (FIT) or trackpoints (TCX).
bool ReadsBlocks(const RunOptions& options);

// A part of a TCX log for the runs below (a FIT log is read whole): its
// bytes `range`, read from the reader's state `from` at range.begin (null:
// from the file's start); a part that ends before the file's end leaves
// the reader's state there in `reached` (see TcxFileReader::ReadPart).
// Its progress counts its own bytes.
struct BlockPart {
    ByteRange range{0, UINT64_MAX};
    const TcxReaderPlace* from = nullptr;
    std::optional<TcxReaderPlace> reached;
};

// The runs above over a binary log, the open `file` (of `inputSize` bytes)
// read from its start (or `part` of it): each record written where the
// record loop would write it, but never one without a position or out of
// range. A file that is not what its kind says, or is cut short or
// damaged, ends the run with LoopEnd::ReadFailed and the reason in `error`.
LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, OutputFile& output, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part = nullptr);
LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, RecordSink& sink, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part = nullptr);
LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, DatedRecordSink& sink, std::uint64_t inputSize,
                     const ProgressHooks* hooks, std::string& error, BlockPart* part = nullptr);
LoopEnd RunBlockLoop(const LoopState& run, platform::FileHandle file, LineAccount& account, std::string& error);

}  // namespace torvane
