#include "convert/write/output_documents.h"

#include <algorithm>
#include <cstring>

#include "convert/files/line_reader.h"
#include "convert/kinds.h"
#include "convert/read/text_scan.h"
#include "output/kml_document.h"
#include "output/ovl_document.h"

namespace torvane {

void WriteOutputHeader(const Settings& s, OutputFile& output) {
    if (IsDatedOutput(s)) return;  // written whole by the dated track writer
    switch (s.OutputType) {
        case OutputKind::KML:
            output.WriteLine(KmlHeader(s.KmlProperties));
            break;
        case OutputKind::OVL:
            output.WriteLine(OvlHeader(s.OvlProperties.colour, s.OvlProperties.lineWidth, s.DetectedRecordCount));
            break;
        case OutputKind::Table:
        case OutputKind::GPX:
        case OutputKind::GeoJSON:
        case OutputKind::None:
            break;
    }
}

void WriteOutputTrailer(const Settings& s, OutputFile& output) {
    if (IsDatedOutput(s)) return;
    switch (s.OutputType) {
        case OutputKind::KML:
            output.WriteLine(KmlTrailer());
            break;
        case OutputKind::OVL: {
            std::string centerLat, centerLong;
            FormatOverlayCenter(s.OverlayExtent, centerLat, centerLong);
            // The centre texts hold "." whatever the option; this exchange,
            // the post-processing rule of the record lines, never fires.
            if (!s.UseDecimalComma) {
                std::replace(centerLong.begin(), centerLong.end(), ',', '.');
                std::replace(centerLat.begin(), centerLat.end(), ',', '.');
            }
            output.WriteLine(OvlTrailer(s.OvlProperties.mapName, centerLat, centerLong));
            break;
        }
        case OutputKind::Table:
        case OutputKind::GPX:
        case OutputKind::GeoJSON:
        case OutputKind::None:
            break;
    }
}

bool CorrectOverlayPointCount(const Settings& s, platform::FileHandle written, std::string& error, bool* named) {
    const std::string replacement = OvlPointCountLine(s.RecordCount);
    OutputFile output;
    if (!output.Open(s.OutputFilePath)) {
        error = output.ErrorText();
        return false;
    }
    LineReader reader(written);
    std::string_view line;
    LineReader::Status status;
    bool replaced = false;
    while ((status = reader.Next(line)) == LineReader::Status::Line) {
        // Only the symbol section's count: a map name may hold the word too.
        const bool count = !replaced && line.substr(0, 7) == "Punkte=";
        replaced = replaced || count;
        output.WriteLine(count ? std::string_view(replacement) : line);
    }
    if (status == LineReader::Status::Error) {
        error = "cannot read the written overlay: " + reader.ErrorText();
        return false;
    }
    if (!output.Commit(s.Parts.replacedFiles)) {
        error = output.ErrorText();
        if (named != nullptr) *named = output.Named();
        return false;
    }
    return true;
}

}  // namespace torvane
