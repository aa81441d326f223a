#include "kml_document.h"

#include "coordinate_text.h"
#include "text_out.h"
#include "utf8_text.h"

namespace torvane {
namespace {

void XmlAscii(std::string& out, char c) {
    switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // Control characters other than tab, LF and CR are not allowed in XML 1.0.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
    }
}

std::string_view AltitudeModeWord(const std::array<std::string, 6>& properties) {
    return properties[5] == "absolute" ? "absolute" : "relativeToGround";
}

constexpr std::string_view kPathEnd =
    "        </coordinates>\n"
    "      </LineString>\n"
    "    </Placemark>\n";

}  // namespace

std::string XmlText(std::string_view text) { return Utf8Text(text, XmlAscii); }

std::string KmlHeader(const std::array<std::string, 6>& properties, bool timeDocument, std::string_view schema) {
    std::string text;
    text.reserve(640);
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<kml xmlns=\"";
    if (timeDocument) {
        text += kKml22Namespace;
        text += "\" xmlns:gx=\"";
        text += kKmlExtensionNamespace;
        text += "\">\n<Document>\n";
        text += schema;
    } else {
        text += kKmlNamespace;
        text += "\">\n";
    }
    text += "<Placemark>\n";
    text += "  <name>" + XmlText(properties[0]) + "</name>\n";
    text += "  <description>" + XmlText(properties[1]) + "</description>\n";
    text += "  <visibility>1</visibility>\n";
    text += "  <open>1</open>\n";
    text += "  <Style>\n";
    text += "      <LineStyle>\n";
    text += "        <color>" + XmlText(properties[2]) + "</color>\n";
    text += "      </LineStyle>\n";
    text += "      <PolyStyle>\n";
    text += "        <color>7f00ff00</color>\n";
    text += "      </PolyStyle>\n";
    text += "  </Style>\n";
    text += "  <LineString>\n";
    text += "    <extrude>" + XmlText(properties[3]) + "</extrude>\n";
    text += "    <tessellate>" + XmlText(properties[4]) + "</tessellate>\n";
    text += "    <altitudeMode>";
    text += AltitudeModeWord(properties);
    text += "</altitudeMode>\n";
    text += "    <coordinates>";
    return text;
}

std::string_view KmlTrailer() {
    return "        </coordinates>\n"
           "      </LineString>\n"
           "    </Placemark>\n"
           "</kml>";
}

std::string KmlTimeTrackHead(const std::array<std::string, 6>& properties, std::string_view begin,
                             std::string_view end, bool pieces) {
    std::string text(kPathEnd);
    text += "<Placemark>\n";
    text += "  <name>" + XmlText(properties[0]) + "</name>\n";
    text += "  <TimeSpan>\n";
    text += "    <begin>";
    text += begin;
    text += "</begin>\n";
    text += "    <end>";
    text += end;
    text += "</end>\n";
    text += "  </TimeSpan>\n";
    text += "  <Style>\n";
    text += "    <LineStyle>\n";
    text += "      <color>" + XmlText(properties[2]) + "</color>\n";
    text += "    </LineStyle>\n";
    text += "  </Style>\n";
    text += pieces ? "  <gx:MultiTrack>\n" : "  <gx:Track>\n";
    text += "    <altitudeMode>";
    text += AltitudeModeWord(properties);
    text += "</altitudeMode>";
    return text;
}

char* WriteKmlWhen(char* out, std::int64_t utcMilliseconds, bool milliseconds, IsoTimeText& times) {
    out = PutText(out, "    <when>");
    out = times.Write(out, utcMilliseconds, milliseconds);
    return PutText(out, "</when>");
}

char* WriteKmlTrackCoord(char* out, const DatedPoint& point) {
    out = PutText(out, "    <gx:coord>");
    out = WriteDegrees(out, point.longitude, false);
    *out++ = ' ';
    out = WriteDegrees(out, point.latitude, false);
    if (point.hasAltitude) {
        *out++ = ' ';
        out = WriteAltitude(out, point.altitude);
    }
    return PutText(out, "</gx:coord>");
}

namespace {

struct KmlMeasure {
    std::uint8_t bit;
    std::string_view name, type, displayName;
};
constexpr KmlMeasure kKmlMeasureFields[] = {
    {Measurements::kHeartRate, "heartrate", "int", "Heart rate"},
    {Measurements::kCadence, "cadence", "int", "Cadence"},
    {Measurements::kPower, "power", "int", "Power"},
    {Measurements::kTemperature, "temperature", "float", "Temperature"},
};

std::string_view KmlMeasureName(std::uint8_t bit) {
    for (const KmlMeasure& m : kKmlMeasureFields) {
        if (m.bit == bit) return m.name;
    }
    return {};
}

}  // namespace

std::string KmlMeasureSchema(std::uint8_t measures) {
    std::string text = "<Schema id=\"measurements\">\n";
    for (const KmlMeasure& m : kKmlMeasureFields) {
        if ((measures & m.bit) == 0) continue;
        text += "  <gx:SimpleArrayField name=\"";
        text += m.name;
        text += "\" type=\"";
        text += m.type;
        text += "\">\n    <displayName>";
        text += m.displayName;
        text += "</displayName>\n  </gx:SimpleArrayField>\n";
    }
    return text += "</Schema>\n";
}

std::string_view KmlMeasureDataHead() {
    return "    <ExtendedData>\n"
           "      <SchemaData schemaUrl=\"#measurements\">";
}

std::string KmlMeasureArrayHead(std::uint8_t bit) {
    std::string text = "        <gx:SimpleArrayData name=\"";
    text += KmlMeasureName(bit);
    return text += "\">";
}

void ComposeKmlValue(std::string& line, const Measurements& m, std::uint8_t bit) {
    if (!m.Has(bit)) {
        line.assign("          <gx:value/>");
        return;
    }
    char buffer[kMaxMeasureText + 48];
    char* out = PutText(buffer, "          <gx:value>");
    out = WriteMeasure(out, m, bit);
    out = PutText(out, "</gx:value>");
    line.assign(buffer, out);
}

std::string_view KmlMeasureArrayTail() { return "        </gx:SimpleArrayData>"; }

std::string_view KmlMeasureDataTail() {
    return "      </SchemaData>\n"
           "    </ExtendedData>";
}

std::string_view KmlTimeTrackTrailer() {
    return "  </gx:Track>\n"
           "</Placemark>\n"
           "</Document>\n"
           "</kml>";
}

std::string_view KmlPieceStart() { return "    <gx:Track>"; }

std::string_view KmlPieceEnd() { return "    </gx:Track>"; }

std::string_view KmlMultiTrackTrailer() {
    return "  </gx:MultiTrack>\n"
           "</Placemark>\n"
           "</Document>\n"
           "</kml>";
}

std::string_view KmlTimeDocumentTrailerWithoutTrack() {
    return "        </coordinates>\n"
           "      </LineString>\n"
           "    </Placemark>\n"
           "</Document>\n"
           "</kml>";
}

}  // namespace torvane
