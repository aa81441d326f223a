#include "convert/write/path_line.h"

namespace torvane {

char* WritePathLine(char* out, OutputKind kind, const Record& record, std::int64_t pointNumber, bool decimalComma) {
    if (!record.hasPosition) return out;
    const Position& p = record.position;
    const PositionRecord text{p.timeOfDay, p.latitude, p.longitude, p.altitude, p.tableAltitude};
    char* const end = WriteRecordLine(out, kind, text, pointNumber);
    PostProcessText(out, static_cast<std::size_t>(end - out), decimalComma);
    return end;
}

void ComposePathLine(std::string& line, OutputKind kind, const Record& record, std::int64_t pointNumber,
                     bool decimalComma) {
    char buffer[kMaxPathLineText];
    line.assign(buffer, WritePathLine(buffer, kind, record, pointNumber, decimalComma));
}

}  // namespace torvane
