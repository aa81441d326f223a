#include "output_documents.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "input_file.h"
#include "line_reader.h"
#include "output/kml_document.h"
#include "output/ovl_document.h"
#include "text_scan.h"

namespace torvane {

void WriteOutputHeader(const Settings& s, OutputFile& output) {
    switch (s.OutputType) {
        case OutputKind::KML:
            output.WriteLine(KmlHeader(s.KmlProperties));
            break;
        case OutputKind::OVL:
            output.WriteLine(OvlHeader(s.OvlProperties.colour, s.OvlProperties.lineWidth, s.DetectedRecordCount));
            break;
        case OutputKind::Table:
        case OutputKind::None:
            break;
    }
}

void WriteOutputTrailer(Settings& s, OutputFile& output) {
    switch (s.OutputType) {
        case OutputKind::KML:
            output.WriteLine(KmlTrailer());
            break;
        case OutputKind::OVL:
            FormatOverlayCenter(s.OverlayExtent, s.CenterLatText, s.CenterLongText);
            if (!s.UseDecimalComma) {
                std::replace(s.CenterLongText.begin(), s.CenterLongText.end(), ',', '.');
                std::replace(s.CenterLatText.begin(), s.CenterLatText.end(), ',', '.');
            }
            output.WriteLine(OvlTrailer(s.OvlProperties.mapName, s.CenterLatText, s.CenterLongText));
            break;
        case OutputKind::Table:
        case OutputKind::None:
            break;
    }
}

bool CorrectOverlayPointCount(const Settings& s, std::string& error) {
    return CorrectOverlayPointCount(s, s.OutputFilePath, error);
}

bool CorrectOverlayPointCount(const Settings& s, const std::string& writtenPath, std::string& error) {
    const std::string replacement = OvlPointCountLine(s.RecordCount);
    const std::string newPath = s.OutputFilePath + ".new";

    InputFile input;
    if (!input.Open(writtenPath)) {
        error = "cannot read " + writtenPath + ": " + input.ErrorText();
        return false;
    }
    OutputFile output;
    if (!output.OpenDirect(newPath)) {
        error = newPath + ": " + output.ErrorText();
        return false;
    }
    LineReader reader(input.Descriptor());
    std::string_view line;
    LineReader::Status status;
    while ((status = reader.Next(line)) == LineReader::Status::Line) {
        output.WriteLine(Contains(line, "Punkte") ? std::string_view(replacement) : line);
    }
    input.Close();
    if (status == LineReader::Status::Error) {
        error = "cannot read " + writtenPath + ": " + reader.ErrorText();
        output.Discard();
        return false;
    }
    if (!output.Commit()) {
        error = newPath + ": " + output.ErrorText();
        return false;
    }
    if (std::rename(newPath.c_str(), s.OutputFilePath.c_str()) != 0) {
        error = "cannot replace " + s.OutputFilePath + ": " + std::strerror(errno);
        std::remove(newPath.c_str());
        return false;
    }
    return true;
}

}  // namespace torvane
