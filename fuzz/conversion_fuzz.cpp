// A whole analysis and conversion of arbitrary bytes into each output type.
// A file that is not recognised is converted with a data type chosen by the
// bytes. Every run completes; the documents are whole; KML is well-formed.
#include <filesystem>
#include <string>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"
#include "convert/write/line_account.h"
#include "fuzz_support.h"
#include "xml_check.h"

namespace {

using torvane::OutputKind;
using torvane::fuzz::Require;

std::size_t CountOf(std::string_view text, std::string_view word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + word.size())) ++n;
    return n;
}

void CheckDocument(const torvane::Settings& s, const std::string& document) {
    const auto count = static_cast<std::size_t>(s.RecordCount);
    switch (s.OutputType) {
        case OutputKind::Table:
            Require(CountOf(document, "\r\n") == count, "table lines and data sets differ");
            Require(document.empty() || document.ends_with("\r\n"), "table does not end with CR LF");
            break;
        case OutputKind::KML: {
            std::string why;
            if (s.KmlTimeTrack) {
                Require(torvane::fuzz::IsWellFormedXml(document, why), "time KML is not well-formed", why);
                Require(CountOf(document, "<when>") == CountOf(document, "<gx:coord>"), "whens and coords differ");
                Require(document.find("<when>", document.find("<gx:coord>") == std::string::npos
                                                     ? document.size()
                                                     : document.find("<gx:coord>")) == std::string::npos,
                        "a <when> follows a <gx:coord>");
                break;
            }
            Require(torvane::fuzz::IsWellFormedXml(document, why), "KML is not well-formed", why);
            constexpr std::string_view kOpen = "<coordinates>\r\n";
            const std::size_t open = document.find(kOpen);
            const std::size_t close = document.rfind("        </coordinates>");
            Require(open != std::string::npos && close != std::string::npos && open + kOpen.size() <= close,
                    "KML frame broken");
            const std::string_view lines = std::string_view(document).substr(open + kOpen.size());
            Require(CountOf(lines.substr(0, close - open - kOpen.size()), "\r\n") == count,
                    "KML coordinate lines and data sets differ");
            break;
        }
        case OutputKind::OVL:
            Require(document.starts_with("[Symbol 1]\r\n") && document.ends_with("\r\nRefOn=0\r\n"),
                    "overlay frame broken");
            // A record that failed a field check is written as an empty line when
            // elimination is off, so there may be fewer points than data sets.
            Require(CountOf(document, "XKoord") == CountOf(document, "YKoord") &&
                        CountOf(document, "XKoord") <= count,
                    "overlay points and data sets differ");
            if (s.EliminateZeroPositions) {
                Require(CountOf(document, "\r\nPunkte=" + std::to_string(count) + "\r\n") == 1,
                        "overlay point count not corrected");
            }
            break;
        case OutputKind::GPX: {
            std::string why;
            Require(torvane::fuzz::IsWellFormedXml(document, why), "GPX is not well-formed", why);
            Require(CountOf(document, "<trkpt ") == count, "GPX points and data sets differ");
            Require(CountOf(document, "<time>") <= count + 1, "more GPX times than points");
            break;
        }
        case OutputKind::GeoJSON:
            Require(document.starts_with("{\"type\":\"FeatureCollection\",\r\n") && document.ends_with("]}\r\n"),
                    "GeoJSON frame broken");
            Require(count < 2 || CountOf(document, "\r\n[") == count, "GeoJSON coordinates and data sets differ");
            break;
        case OutputKind::None:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = torvane::fuzz::AsText(data, size);
    const std::uint64_t choice = torvane::fuzz::Hash(text);
    torvane::fuzz::ScratchDir dir;
    const bool gpx = text.find('<') != std::string_view::npos;
    const std::string input = dir.File(gpx ? "log.gpx" : "log.nmea");
    torvane::fuzz::WriteBytes(input, text);

    torvane::Settings s;
    s.InputFilePath = input;
    const torvane::AnalysisReport analysis = torvane::AnalyzeInput(s);
    Require(!analysis.failed, "analysis failed", analysis.message);
    if (!analysis.recognised) {
        static constexpr torvane::DataKind kKinds[] = {torvane::DataKind::GPGGA, torvane::DataKind::GPGLL,
                                                       torvane::DataKind::GPRMC, torvane::DataKind::GPIGC,
                                                       torvane::DataKind::GPGXT};
        s.DataType = kKinds[choice % 5];
    }
    // Placemark texts from the bytes themselves, as a user might type them.
    s.KmlProperties[torvane::kKmlName] = std::string(text.substr(0, 24));
    s.KmlProperties[torvane::kKmlDescription] = std::string(text.substr(text.size() / 2, 40));

    struct Output {
        OutputKind kind;
        bool timeTrack;
    };
    for (const Output output : {Output{OutputKind::Table, false}, Output{OutputKind::KML, false},
                                Output{OutputKind::OVL, false}, Output{OutputKind::GPX, false},
                                Output{OutputKind::GeoJSON, false}, Output{OutputKind::KML, true}}) {
        torvane::fuzz::ChooseOptions(s, choice);
        s.OutputType = output.kind;
        s.KmlTimeTrack = output.timeTrack;
        // A date for a log without one, as the user may give it.
        if ((choice & 64) != 0) s.FirstPositionDate = static_cast<std::int64_t>(choice % 40000);
        if (output.kind != OutputKind::Table) s.UseDecimalComma = false;
        torvane::FormOutputPath(s);
        // The account of the lines, with the run's options: as many
        // positions as a run that eliminates writes.
        torvane::LineAccount account;
        std::string accountError;
        Require(torvane::AccountLines(s, account, accountError), "account failed", accountError);
        std::int64_t accounted = 0;
        for (const std::int64_t n : account.counts) accounted += n;
        Require(accounted == account.lines, "the account does not add up");
        std::filesystem::remove(s.OutputFilePath);  // (the KML time track's path is the KML path's)
        const torvane::RunReport report = torvane::PerformConversionRun(s);
        if (s.EliminateZeroPositions) Require(account.Positions() == report.count, "account and run differ");
        Require(report.outcome != torvane::RunReport::Outcome::Failed, "conversion failed", report.message);
        Require(report.count == s.RecordCount, "reported count differs");
        Require(report.message.find(report.count == 0 ? "Could not recognize" : " data sets written to file ") !=
                    std::string::npos,
                "message does not fit the count", report.message);
        // A run without a data set names no file.
        if (report.count == 0) {
            Require(!std::filesystem::exists(s.OutputFilePath), "a run without data sets wrote a file",
                    s.OutputFilePath);
            continue;
        }
        CheckDocument(s, torvane::fuzz::ReadBytes(s.OutputFilePath));
    }
    const std::string listing = dir.Listing();
    Require(listing.find(".tmp-") == std::string::npos && listing.find(".new") == std::string::npos,
            "temporary files left", listing);
    return 0;
}
