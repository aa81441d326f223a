// Input analysis of arbitrary bytes, once under an NMEA log's name and once
// under a ".gpx" name so that the CR LF copy is written as well.
#include <string>

#include "convert/recognise/gpx_copy.h"
#include "convert/recognise/input_analysis.h"
#include "fuzz_support.h"
#include "output/kml_document.h"
#include "xml_check.h"

namespace {

using torvane::fuzz::Require;

std::string WithoutBlanksAndLineEnds(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    }
    return out;
}

// Every line of the copy ends in CR LF; nothing but blanks and line ends
// differs from the input; copying the copy changes nothing.
void CheckGpxCopy(const torvane::fuzz::ScratchDir& dir, std::string_view input, const std::string& copyPath) {
    const std::string copy = torvane::fuzz::ReadBytes(copyPath);
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (copy[i] == '\r') Require(i + 1 < copy.size() && copy[i + 1] == '\n', "CR without LF in the GPX copy");
        if (copy[i] == '\n') Require(i > 0 && copy[i - 1] == '\r', "LF without CR in the GPX copy");
    }
    Require(copy.empty() || copy.ends_with("\r\n"), "GPX copy does not end with CR LF");
    Require(WithoutBlanksAndLineEnds(copy) == WithoutBlanksAndLineEnds(input), "GPX copy lost or added text");

    std::string error;
    const std::string again = dir.File("again.gpx");
    Require(torvane::WriteGpxCopy(copyPath, again, error) == torvane::GpxCopyOutcome::Written,
            "copying the copy failed", error);
    Require(torvane::fuzz::ReadBytes(again) == copy, "the copy of the copy differs");
}

void CheckAnalysis(const torvane::Settings& s, const torvane::AnalysisReport& report) {
    Require(!report.failed, "analysis of a readable file failed", report.message);
    Require(report.recognised == (s.DataType != torvane::DataKind::None), "recognised and data type disagree");
    Require(torvane::DecideDataType(report.counts) == s.DataType, "data type is not the counts' decision");
    Require(s.DetectedRecordCount >= 0, "negative record count");
    const std::string kml = torvane::KmlHeader(s.KmlProperties) + "\r\n" + std::string(torvane::KmlTrailer());
    std::string why;
    Require(torvane::fuzz::IsWellFormedXml(kml, why), "KML frame from the analysis is not well-formed", why);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = torvane::fuzz::AsText(data, size);
    torvane::fuzz::ScratchDir dir;

    torvane::Settings nmea;
    nmea.InputFilePath = dir.File("log.nmea");
    torvane::fuzz::WriteBytes(nmea.InputFilePath, text);
    CheckAnalysis(nmea, torvane::AnalyzeInput(nmea));

    torvane::Settings gpx;
    gpx.InputFilePath = dir.File("log.gpx");
    torvane::fuzz::WriteBytes(gpx.InputFilePath, text);
    const torvane::AnalysisReport report = torvane::AnalyzeInput(gpx);
    CheckAnalysis(gpx, report);
    Require(report.gpxCopyPath == dir.File("log_CRLF.gpx") && gpx.InputFilePath == report.gpxCopyPath,
            "analysis does not go on with the GPX copy");
    CheckGpxCopy(dir, text, report.gpxCopyPath);
    Require(dir.Listing() == "again.gpx log.gpx log.nmea log_CRLF.gpx", "unexpected files left", dir.Listing());
    return 0;
}
