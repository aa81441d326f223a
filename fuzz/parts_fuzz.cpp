// The same bytes analysed, summarised with the drawing's points and
// converted to each output that may split, once in two parts at once (from
// any size on) and once in one pass: both give the same, byte for byte.
#include <cstdio>
#include <string>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "convert/summary/track_summary.h"
#include "fuzz_support.h"

namespace {

using torvane::OutputKind;

std::string Observe(std::string_view bytes, std::uint64_t choice, std::uint64_t fromBytes, bool& inParts) {
    torvane::fuzz::ScratchDir dir;
    const bool gpx = bytes.find('<') != std::string_view::npos;
    torvane::Settings s;
    s.Parts.fromBytes = fromBytes;
    s.InputFilePath = dir.File(gpx ? "log.gpx" : "log.nmea");
    torvane::fuzz::WriteBytes(s.InputFilePath, bytes);
    const torvane::AnalysisReport analysis = torvane::AnalyzeInput(s);
    inParts = analysis.inParts;
    const torvane::AnalysisCounts& c = analysis.counts;
    std::string seen = analysis.message + "|" + s.IgcFlightDate + "|" + s.IgcPilot + "|" +
                       std::to_string(c.gga + c.gll * 3 + c.rmc * 5 + c.igcHeader * 7 + c.validFix * 11 +
                                      c.trackPoint * 13) +
                       "\n";
    if (!analysis.gpxCopyPath.empty()) seen += torvane::fuzz::ReadBytes(analysis.gpxCopyPath);
    if (!analysis.recognised) {
        static constexpr torvane::DataKind kKinds[] = {torvane::DataKind::GPGGA, torvane::DataKind::GPGLL,
                                                       torvane::DataKind::GPRMC, torvane::DataKind::GPIGC,
                                                       torvane::DataKind::GPGXT};
        s.DataType = kKinds[choice % 5];
    }
    torvane::fuzz::ChooseOptions(s, choice);

    torvane::TrackSummary summary;
    std::string error;
    seen += torvane::ComputeTrackSummary(s, summary, error) ? torvane::TrackSummaryText(summary) : error;
    inParts = inParts || summary.inParts;
    for (const auto* points : {&summary.polyline, &summary.profile}) {
        for (const torvane::TrackSample& p : *points) {
            char text[160];
            std::snprintf(text, sizeof text, "%llu %.17g %.17g %.17g %.17g %.17g\n",
                          static_cast<unsigned long long>(p.index), p.latitude, p.longitude, p.altitude, p.elapsed,
                          p.distance);
            seen += text;
        }
    }
    for (const OutputKind kind : {OutputKind::Table, OutputKind::KML}) {
        s.OutputType = kind;
        if (kind != OutputKind::Table) s.UseDecimalComma = false;
        torvane::FormOutputPath(s);
        const torvane::RunReport report = torvane::PerformConversionRun(s);
        inParts = inParts || report.inParts;
        seen += report.message + "\n";
        if (report.outcome == torvane::RunReport::Outcome::Written) seen += torvane::fuzz::ReadBytes(s.OutputFilePath);
    }
    seen += dir.Listing();
    for (std::size_t at; (at = seen.find(dir.Path())) != std::string::npos;) seen.replace(at, dir.Path().size(), "DIR");
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = torvane::fuzz::AsText(data, size);
    const std::uint64_t choice = torvane::fuzz::Hash(text);
    bool split = false, whole = false;
    const std::string parts = Observe(text, choice, 1, split);
    const std::string onePass = Observe(text, choice, UINT64_MAX, whole);
    torvane::fuzz::Require(!whole, "one pass read in parts");
    torvane::fuzz::Require(parts == onePass, "in parts and in one pass differ", parts.substr(0, 2000));
    return 0;
}
