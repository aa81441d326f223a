#include "convert/write/line_account.h"

#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/files/line_reader.h"
#include "convert/kinds.h"
#include "convert/run/record_loop.h"

namespace torvane {
namespace {

std::string ReasonText(LineReason reason, DataKind kind, bool keepZero) {
    const std::string word(InputKindOf(kind).lineWord);
    const std::string refused = keepZero ? ", written as they came (zero positions kept)" : "";
    switch (reason) {
        case LineReason::Position: return "became positions";
        case LineReason::WithoutFix:
            return "positions without a fix (" + std::string(InputKindOf(kind).withoutFix) +
                   "), written";
        case LineReason::SkippedWithoutFix: return "positions without a fix, left out (\"Skip positions without a fix\")";
        case LineReason::ZeroPosition: return "positions at 0,0, eliminated (\"Eliminate \"Zero\" positions\")";
        case LineReason::Checksum: return "sentences with a missing or wrong checksum, skipped";
        case LineReason::Commas: return word + " sentences with too few or too many commas" + refused;
        case LineReason::ShortTime: return word + " sentences whose time is too short" + refused;
        case LineReason::ShortLatitude: return word + " sentences whose latitude is too short" + refused;
        case LineReason::ShortLongitude: return word + " sentences whose longitude is too short" + refused;
        case LineReason::ShortAltitude: return word + " sentences whose altitude is too short" + refused;
        case LineReason::OutOfRange:
            return "positions beyond 90 degrees of latitude or 180 of longitude" + refused;
        case LineReason::NumberTooLarge: return "positions with a number too large to read" + refused;
        case LineReason::FixNotValid: return "fixes flagged V (not valid), skipped";
        case LineReason::FixCutShort: return "fixes of fewer than 25 characters, skipped";
        case LineReason::PointWithoutPosition: return "track points without a readable lat= and lon=";
        case LineReason::PartOfPoint: return "lines inside track points";
        case LineReason::RecordWithoutPosition: return "record messages without a position";
        case LineReason::TrackpointWithoutPosition: return "trackpoints without a position";
        case LineReason::OtherKind: return "lines of other kinds" + refused;
    }
    return "";
}

}  // namespace

void LineAccount::Add(LineReason reason, std::int64_t lineNumber) {
    const auto r = static_cast<std::size_t>(reason);
    if (counts[r] < static_cast<std::int64_t>(kFirstLines)) firstLines[r][static_cast<std::size_t>(counts[r])] = lineNumber;
    ++counts[r];
    ++lines;
}

bool AccountLines(const Settings& options, LineAccount& account, std::string& error) {
    const Settings& s = options;
    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText());
        return false;
    }
    LineReader reader(input.Descriptor());
    reader.SetEncoding(LogEncoding(s, input.Descriptor()));
    account = LineAccount{};
    std::string readError;
    ReaderState readers = s;  // the options' own state stays as it was
    RunTotals totals;
    const LoopState run{s, readers, totals};
    const LoopEnd end = ReadsBlocks(s) ? RunBlockLoop(run, input.Descriptor(), account, readError)
                                       : RunRecordLoop(run, reader, account, readError);
    if (end != LoopEnd::Finished) {
        error = FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError);
        return false;
    }
    return true;
}

std::string LineAccountText(const LineAccount& account, const Settings& s) {
    const bool keepZero = !s.EliminateZeroPositions;
    std::string text = "Lines of " + s.InputFilePath + ": " + std::to_string(account.lines) + "\n";
    for (std::size_t r = 0; r < kLineReasons; ++r) {
        const std::int64_t count = account.counts[r];
        if (count == 0) continue;
        std::string number = std::to_string(count);
        text += std::string(number.size() < 9 ? 9 - number.size() : 1, ' ') + number + "  ";
        text += ReasonText(static_cast<LineReason>(r), s.DataType, keepZero);
        text += count == 1 ? " (line " : " (lines ";
        const std::size_t shown = static_cast<std::size_t>(std::min<std::int64_t>(count, LineAccount::kFirstLines));
        for (std::size_t i = 0; i < shown; ++i) {
            if (i > 0) text += ", ";
            text += std::to_string(account.firstLines[r][i]);
        }
        text += count > static_cast<std::int64_t>(shown) ? ", ...)\n" : ")\n";
    }
    return text;
}

}  // namespace torvane
