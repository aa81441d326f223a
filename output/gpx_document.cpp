#include "gpx_document.h"

#include "coordinate_text.h"
#include "kml_document.h"
#include "text_out.h"
#include "track_time.h"

namespace torvane {
namespace {

// The extension's elements in the order its schema gives them.
struct ExtensionElement {
    std::uint8_t bit;
    std::string_view open, close;
};
constexpr ExtensionElement kTrackPointElements[] = {
    {Measurements::kTemperature, "<gpxtpx:atemp>", "</gpxtpx:atemp>"},
    {Measurements::kHeartRate, "<gpxtpx:hr>", "</gpxtpx:hr>"},
    {Measurements::kCadence, "<gpxtpx:cad>", "</gpxtpx:cad>"},
    {Measurements::kSpeed, "<gpxtpx:speed>", "</gpxtpx:speed>"},
};

char* WriteExtensions(char* out, const Measurements& m) {
    out = PutText(out, "<extensions>");
    if ((m.has & ~Measurements::kPower) != 0) {
        out = PutText(out, "<gpxtpx:TrackPointExtension>");
        for (const ExtensionElement& e : kTrackPointElements) {
            if (!m.Has(e.bit)) continue;
            out = PutText(out, e.open);
            out = WriteMeasure(out, m, e.bit);
            out = PutText(out, e.close);
        }
        out = PutText(out, "</gpxtpx:TrackPointExtension>");
    }
    if (m.Has(Measurements::kPower)) {
        out = PutText(out, "<pwr:PowerInWatts>");
        out = WriteMeasure(out, m, Measurements::kPower);
        out = PutText(out, "</pwr:PowerInWatts>");
    }
    return PutText(out, "</extensions>");
}

}  // namespace

std::string GpxHeader(const GpxFrame& frame) {
    const std::string name = XmlText(frame.name);
    std::string text;
    text.reserve(640);
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    text += "<gpx version=\"1.1\" creator=\"" + XmlText(frame.creator) + "\"";
    text += " xmlns=\"http://www.topografix.com/GPX/1/1\"";
    text += " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";
    if ((frame.measures & ~Measurements::kPower) != 0) {
        text += " xmlns:gpxtpx=\"";
        text += kTrackPointExtensionNamespace;
        text += '"';
    }
    if ((frame.measures & Measurements::kPower) != 0) {
        text += " xmlns:pwr=\"";
        text += kPowerExtensionNamespace;
        text += '"';
    }
    text += " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n";
    text += "  <metadata>\r\n";
    text += "    <name>" + name + "</name>\r\n";
    if (frame.first != nullptr && frame.first->hasTime) {
        text += "    <time>";
        AppendIsoTime(text, frame.first->utcMilliseconds, frame.milliseconds);
        text += "</time>\r\n";
    }
    if (!frame.bounds.empty) {
        text += "    <bounds minlat=\"";
        AppendDegrees(text, frame.bounds.minLatitude, false);
        text += "\" minlon=\"";
        AppendDegrees(text, frame.bounds.minLongitude, true);
        text += "\" maxlat=\"";
        AppendDegrees(text, frame.bounds.maxLatitude, false);
        text += "\" maxlon=\"";
        // The east bound stays east of the west one: a track that reaches
        // the date line ends a step before it, where GPX's range ends.
        const std::size_t at = text.size();
        AppendDegrees(text, frame.bounds.maxLongitude, true);
        if (std::string_view(text).substr(at) == "-180.0000000") text.replace(at, std::string::npos, "179.9999999");
        text += "\"/>\r\n";
    }
    text += "  </metadata>\r\n";
    text += "  <trk>\r\n";
    text += "    <name>" + name + "</name>\r\n";
    text += "    <trkseg>\r\n";
    return text;
}

char* WriteGpxPoint(char* out, const DatedPoint& point, bool milliseconds, IsoTimeText& times) {
    out = PutText(out, "      <trkpt lat=\"");
    out = WriteDegrees(out, point.latitude, false);
    out = PutText(out, "\" lon=\"");
    out = WriteDegrees(out, point.longitude, true);
    out = PutText(out, "\">");
    if (point.hasAltitude) {
        out = PutText(out, "<ele>");
        out = WriteAltitude(out, point.altitude);
        out = PutText(out, "</ele>");
    }
    if (point.hasTime) {
        out = PutText(out, "<time>");
        out = times.Write(out, point.utcMilliseconds, milliseconds);
        out = PutText(out, "</time>");
    }
    if (point.measurements.has != 0) out = WriteExtensions(out, point.measurements);
    return PutText(out, "</trkpt>");
}

std::string_view GpxSegmentBreak() {
    return "    </trkseg>\r\n"
           "    <trkseg>\r\n";
}

std::string_view GpxTrailer() {
    return "    </trkseg>\r\n"
           "  </trk>\r\n"
           "</gpx>\r\n";
}

}  // namespace torvane
