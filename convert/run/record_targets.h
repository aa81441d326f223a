// Where the record loops hand their records (the targets): the writer of a
// table, a KML path or an overlay, a record sink, the account of lines. A
// target takes each record with the place it came from (`Input`): the line
// reader and the line, or a block reader's message, which answer
// OffsetOf(line) and LineNumber() alike.
#pragma once

#include <string>
#include <string_view>

#include "convert/files/output_file.h"
#include "convert/read/position.h"
#include "convert/recognise/line_counts.h"
#include "convert/run/record_loop.h"
#include "convert/write/line_account.h"
#include "convert/write/path_line.h"

namespace torvane::record_targets {

// What a target is shown: kSeesLines, every line before it is read;
// kAccounts, every line, written or not, with its reason; kPathLines, every
// record read, written or not.

// The table, KML path or overlay: a line a record written (see
// WritePathLine); the overlay's extent widened by every record read.
struct PathTarget {
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = false;
    static constexpr bool kPathLines = true;
    OutputFile& output;
    RunTotals& totals;
    OutputKind kind;
    bool decimalComma;
    bool SeeLine(std::string_view) { return false; }
    void Read(const Record& record) {
        if (kind == OutputKind::OVL && record.hasPosition) {
            totals.OverlayExtent.Include(record.position.latitude, record.position.longitude);
        }
    }
    template <class Input>
    void Take(const Record& record, const Input&, std::string_view) {
        output.WriteLineWith(kMaxPathLineText, [&](char* out) {
            return WritePathLine(out, kind, record, totals.RecordCount, decimalComma);
        });
    }
};

// The table or KML path, each line of the log counted for its analysis too.
struct CountedPathTarget : PathTarget {
    static constexpr bool kSeesLines = true;
    LogLineCounter& counter;
    bool SeeLine(std::string_view line) {
        counter.Count(line);
        return false;
    }
};

struct SinkTarget {
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = false;
    static constexpr bool kPathLines = false;
    RecordSink& sink;
    bool SeeLine(std::string_view) { return false; }
    template <class Input>
    void Take(const Record& record, const Input& input, std::string_view line) {
        sink.Take(record, input.OffsetOf(line));
    }
};

// The records and every line before them, for the dated outputs.
struct DatedSinkTarget {
    static constexpr bool kSeesLines = true;
    static constexpr bool kAccounts = false;
    static constexpr bool kPathLines = false;
    DatedRecordSink& sink;
    bool SeeLine(std::string_view line) { return sink.SeeLine(line); }
    template <class Input>
    void Take(const Record& record, const Input& input, std::string_view line) {
        sink.Take(record, input.OffsetOf(line));
    }
};

// Every line into the account, each with its reason.
struct AccountTarget {
    static constexpr bool kSeesLines = false;
    static constexpr bool kAccounts = true;
    static constexpr bool kPathLines = false;
    LineAccount& account;
    bool SeeLine(std::string_view) { return false; }
    template <class Input>
    void Take(const Record& record, const Input& input, std::string_view) {
        const LineReason reason = record.invalid                             ? Refusal(record)
                                  : record.reason == LineReason::WithoutFix ? LineReason::WithoutFix
                                                                            : LineReason::Position;
        account.Add(reason, static_cast<std::int64_t>(input.LineNumber()));
    }
    // A line not written: refused, or a position eliminated.
    template <class Input>
    void Drop(const Record& record, const Input& input, bool converted) {
        const LineReason reason = converted && !record.invalid ? LineReason::ZeroPosition : Refusal(record);
        account.Add(reason, static_cast<std::int64_t>(input.LineNumber()));
    }
    static LineReason Refusal(const Record& record) {
        return record.reason == LineReason::Position || record.reason == LineReason::WithoutFix
                   ? LineReason::OtherKind
                   : record.reason;
    }
};

}  // namespace torvane::record_targets
