#include "convert/write/path_line.h"

#include "output/position_line.h"

namespace torvane {

void ComposePathLine(std::string& line, OutputKind kind, const Record& record, std::int64_t pointNumber,
                     bool decimalComma) {
    if (!record.hasPosition) {
        line.clear();
        return;
    }
    const Position& p = record.position;
    const PositionRecord text{p.timeOfDay, p.latitude, p.longitude, p.altitude, p.tableAltitude};
    ComposeRecordLine(line, kind, text, pointNumber);
    PostProcessLine(line, decimalComma);
}

}  // namespace torvane
