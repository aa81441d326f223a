#include "track_svg.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "earth.h"
#include "kml_document.h"
#include "track_figure_rows.h"
#include "track_time.h"

namespace torvane {
namespace {

// The command line's document: the title above the picture, the figures below.
constexpr double kWidth = 800;
constexpr double kPictureTop = 40, kPictureHeight = 740;
constexpr double kFigureLine = 20;
constexpr double kFigureValueColumn = 120;  // from the names' column
constexpr double kDocumentFontSize = 14;

// Every length of the layout in units of the font size.
constexpr double kLine = 1.25;        // from one line of text to the next
constexpr double kAscent = 0.95;      // a line's top above its baseline
constexpr double kDescent = 0.3;      // its bottom below
constexpr double kLabelBand = 1.35;   // inside the profile's frame, above its greatest and below its least altitude
constexpr double kCharWidth = 0.62;   // the widest digit of a sans-serif font, to keep two labels apart
constexpr double kLeastMap = 4 * kLine;
constexpr double kProfileShare = 0.24;  // of the box's height, when it has room

std::string N(double v) { return NumberText(v, 2); }

double LeastFrame() { return 2 * kLabelBand + 2 * kLine; }

// Rough width of a text of digits, blanks and signs.
double TextWidth(std::string_view text, double fontSize) {
    double chars = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
    }
    return chars * kCharWidth * fontSize;
}

std::string Text(const char* id, double x, double y, std::string_view text, const char* anchor = nullptr) {
    std::string s = "<text id=\"";
    s += id;
    s += "\" x=\"" + N(x) + "\" y=\"" + N(y) + '"';
    if (anchor != nullptr) {
        s += " text-anchor=\"";
        s += anchor;
        s += '"';
    }
    s += '>';
    s += text;
    s += "</text>\n";
    return s;
}

std::string DatedText(long long utc) {
    std::string iso;
    AppendIsoTime(iso, utc, false);  // YYYY-MM-DDThh:mm:ssZ
    iso[10] = ' ';
    iso.pop_back();
    return iso;
}

std::string DistanceLabel(double metres) {
    if (metres >= 1000) return NumberText(metres / 1000, 2) + " km";
    return NumberText(metres, 0) + " m";
}

void AppendMap(std::string& s, const TrackDrawing& d, double x0, double y0, double w, double h, double f) {
    s += "<g id=\"map\">\n";
    s += "<rect id=\"map-frame\" x=\"" + N(x0) + "\" y=\"" + N(y0) + "\" width=\"" + N(w) + "\" height=\"" + N(h) +
         "\" fill=\"none\" stroke=\"#ccc\"/>\n";
    if (d.track.empty()) {
        s += Text("no-track", x0 + f / 2, y0 + kLine * f, "No positions.");
        s += "</g>\n";
        return;
    }
    double latMin = d.track[0].latitude, latMax = latMin, lonMin = d.track[0].longitude, lonMax = lonMin;
    for (const auto& p : d.track) {
        latMin = std::min(latMin, p.latitude);
        latMax = std::max(latMax, p.latitude);
        lonMin = std::min(lonMin, p.longitude);
        lonMax = std::max(lonMax, p.longitude);
    }
    // The track inside the frame by the start and end marks' size.
    const double inset = 0.6 * f;
    const double areaX = x0 + inset, areaY = y0 + inset;
    const double areaW = std::max(1.0, w - 2 * inset), areaH = std::max(1.0, h - 2 * inset);
    const double cosLat = std::max(1e-6, std::cos((latMin + latMax) / 2 * std::numbers::pi / 180));
    const double widthM = (lonMax - lonMin) * cosLat * kMetresPerDegree;
    const double heightM = (latMax - latMin) * kMetresPerDegree;
    const bool extent = std::max(widthM, heightM) > 0;
    const double scale =
        extent ? std::min(areaW / std::max(widthM, 1e-9), areaH / std::max(heightM, 1e-9)) : 1;
    const double offX = areaX + (areaW - widthM * scale) / 2;
    const double offY = areaY + (areaH - heightM * scale) / 2;
    const auto X = [&](double lon) { return offX + (lon - lonMin) * cosLat * kMetresPerDegree * scale; };
    const auto Y = [&](double lat) { return offY + (latMax - lat) * kMetresPerDegree * scale; };
    s += "<polyline id=\"track\" fill=\"none\" stroke=\"#c00\" stroke-width=\"2\" points=\"";
    for (const auto& p : d.track) s += N(X(p.longitude)) + ',' + N(Y(p.latitude)) + ' ';
    s += "\"/>\n";
    const auto& a = d.track.front();
    const auto& b = d.track.back();
    const double r = 0.42 * f;
    s += "<circle id=\"start\" cx=\"" + N(X(a.longitude)) + "\" cy=\"" + N(Y(a.latitude)) + "\" r=\"" + N(r) +
         "\" fill=\"#080\"><title>start</title></circle>\n";
    s += "<rect id=\"end\" x=\"" + N(X(b.longitude) - r) + "\" y=\"" + N(Y(b.latitude) - r) + "\" width=\"" +
         N(2 * r) + "\" height=\"" + N(2 * r) + "\" fill=\"#008\"><title>end</title></rect>\n";
    s += Text("north", x0 + w - 1.5 * f, y0 + (kLine - 0.1) * f, "N &#8593;", "middle");
    // Scale bar: a round length of at most a quarter of the drawing's width.
    const double bar = ScaleBarMetres(extent ? areaW / scale : 0);
    const double barPx = extent ? bar * scale : 0;
    const double barX = x0 + 0.7 * f, barY = y0 + h - 0.7 * f;
    s += "<line id=\"scale-bar\" x1=\"" + N(barX) + "\" y1=\"" + N(barY) + "\" x2=\"" + N(barX + barPx) +
         "\" y2=\"" + N(barY) + "\" stroke=\"black\" stroke-width=\"3\"/>\n";
    s += Text("scale-label", barX, barY - 0.45 * f, barPx > 0 ? ScaleBarLabel(bar) : std::string("0 m"));
    s += "</g>\n";
}

void AppendProfile(std::string& s, const TrackDrawing& d, double x0, double frameTop, double w, double frameH,
                   int axisLines, const AxisLabels& axis, double f) {
    const double frameBottom = frameTop + frameH;
    s += "<g id=\"profile\">\n";
    s += Text("profile-title", x0, frameTop - (kDescent + 0.1) * f,
              d.profileOverTime ? "Altitude over time" : "Altitude over distance");
    s += "<rect id=\"profile-frame\" x=\"" + N(x0) + "\" y=\"" + N(frameTop) + "\" width=\"" + N(w) +
         "\" height=\"" + N(frameH) + "\" fill=\"none\" stroke=\"#ccc\"/>\n";
    if (d.profile.empty()) {
        s += Text("no-altitudes", x0 + f / 2, frameTop + kLine * f, "No altitudes.");
        s += "</g>\n";
        return;
    }
    double xMin = d.profile.front().x, xMax = xMin;
    double aMin = d.profile[0].altitude, aMax = aMin;
    for (const auto& p : d.profile) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        aMin = std::min(aMin, p.altitude);
        aMax = std::max(aMax, p.altitude);
    }
    // The curve between two dashed levels, the greatest and the least
    // altitude, each labelled in the band the frame keeps beyond it.
    const double highY = frameTop + kLabelBand * f, lowY = frameBottom - kLabelBand * f;
    const bool level = !(aMax > aMin);
    const double xSpan = xMax > xMin ? xMax - xMin : 1, aSpan = level ? 1 : aMax - aMin;
    const auto Y = [&](double altitude) { return level ? lowY : lowY - (altitude - aMin) / aSpan * (lowY - highY); };
    const auto levelLine = [&](const char* id, double y) {
        s += "<line id=\"";
        s += id;
        s += "\" x1=\"" + N(x0) + "\" y1=\"" + N(y) + "\" x2=\"" + N(x0 + w) + "\" y2=\"" + N(y) +
             "\" stroke=\"#999\" stroke-dasharray=\"4 3\"/>\n";
    };
    if (!level) levelLine("alt-max-level", highY);
    levelLine("alt-min-level", lowY);
    s += "<polyline id=\"profile-curve\" fill=\"none\" stroke=\"#06c\" stroke-width=\"1.5\" points=\"";
    for (const auto& p : d.profile) s += N(x0 + (p.x - xMin) / xSpan * w) + ',' + N(Y(p.altitude)) + ' ';
    s += "\"/>\n";
    if (!level) s += Text("alt-max", x0 + 0.3 * f, highY - (kDescent + 0.05) * f, NumberText(aMax, 1) + " m");
    s += Text("alt-min", x0 + 0.3 * f, lowY + kAscent * f, NumberText(aMin, 1) + " m");
    // The axis below the frame: the start at its left end, the end at its
    // right end, on the next line where both do not fit on one.
    s += Text("axis-start", x0, frameBottom + kLine * f, XmlText(axis.start));
    s += Text("axis-end", x0 + w, frameBottom + axisLines * kLine * f, XmlText(axis.end), "end");
    s += "</g>\n";
}

// The map and the profile in the box at (0, top).
void AppendPicture(std::string& s, const TrackDrawing& d, const PictureBox& box, double top) {
    const double f = box.fontSize;
    const double margin = f;
    const double w = std::max(1.0, box.width - 2 * margin);
    const AxisLabels axis = ProfileAxisLabels(d);
    const int axisLines =
        d.profile.empty() ? 0
                          : TextWidth(axis.start, f) + TextWidth(axis.end, f) + 2 * f <= w ? 1 : 2;
    const double bottom = top + box.height - kDescent * f;
    const double frameBottom = bottom - axisLines * kLine * f;
    const double room = frameBottom - top - (0.5 + kLeastMap + 0.5 + kLine) * f;
    const double frameH = std::max(LeastFrame() * f, std::min(room, kProfileShare * box.height));
    const double frameTop = frameBottom - frameH;
    const double mapTop = top + 0.5 * f;
    const double mapBottom = frameTop - (kLine + 0.5) * f;
    AppendMap(s, d, margin, mapTop, w, std::max(1.0, mapBottom - mapTop), f);
    AppendProfile(s, d, margin, frameTop, w, frameH, axisLines, axis, f);
}

std::string DocumentStart(double width, double height, const PictureBox& box, const std::string& title) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(width) + "\" height=\"" + N(height) +
         "\" viewBox=\"0 0 " + N(width) + ' ' + N(height) + "\" font-family=\"" + XmlText(box.fontFamily) +
         "\" font-size=\"" + N(box.fontSize) + "\">\n";
    s += "<title>" + XmlText(title) + "</title>\n";
    s += "<rect width=\"" + N(width) + "\" height=\"" + N(height) + "\" fill=\"white\"/>\n";
    return s;
}

}  // namespace

double LeastPictureHeight(double fontSize) {
    return (0.5 + kLeastMap + 0.5 + kLine + LeastFrame() + 2 * kLine + kDescent) * fontSize;
}

double ScaleBarMetres(double metres) {
    const double target = metres / 4;
    if (!(target >= 1)) return 1;
    double power = std::pow(10.0, std::floor(std::log10(target)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= target) return step * power;
    }
    return power;
}

std::string ScaleBarLabel(double metres) {
    if (metres >= 1000) return NumberText(metres / 1000, 3) + " km";
    return NumberText(metres, 3) + " m";
}

AxisLabels ProfileAxisLabels(const TrackDrawing& d) {
    if (d.profile.empty()) return {};
    if (!d.profileOverTime) return {"0 m", DistanceLabel(d.profile.back().x - d.profile.front().x)};
    const TrackFigures& f = d.figures;
    if (!f.dated) return {ClockText(f.start), ClockText(f.end)};
    AxisLabels labels{DatedText(f.startUtc), DatedText(f.endUtc)};
    if (labels.end.compare(0, 10, labels.start, 0, 10) == 0) labels.end.erase(0, 11);
    return labels;
}

std::string TrackSvg(const TrackDrawing& d) {
    const PictureBox box{kWidth, kPictureHeight, kDocumentFontSize, "sans-serif"};
    const std::vector<FigureRow> figures = TrackFigureRows(d.figures, EnglishFigureStyle());
    const double figuresTop = kPictureTop + kPictureHeight + kFigureLine;
    const double height = figuresTop + static_cast<double>(figures.size()) * kFigureLine;
    std::string s = DocumentStart(kWidth, height, box, d.title);
    s += "<text id=\"title\" x=\"" + N(box.fontSize) + "\" y=\"30\" font-size=\"18\">" + XmlText(d.title) +
         "</text>\n";
    AppendPicture(s, d, box, kPictureTop);
    // Name and value in two columns, a figure's rule after its value in grey.
    double y = figuresTop;
    for (const FigureRow& row : figures) {
        s += "<text y=\"" + N(y) + "\"><tspan x=\"" + N(box.fontSize) + "\">" + XmlText(row.name) + "</tspan><tspan x=\"" +
             N(box.fontSize + kFigureValueColumn) + "\">" + XmlText(row.value) + "</tspan>";
        if (!row.rule.empty()) {
            s += "<tspan fill=\"#666\" dx=\"" + N(box.fontSize / 2) + "\">(" + XmlText(row.rule) + ")</tspan>";
        }
        s += "</text>\n";
        y += kFigureLine;
    }
    s += "</svg>\n";
    return s;
}

std::string TrackPictureSvg(const TrackDrawing& d, const PictureBox& box) {
    std::string s = DocumentStart(box.width, box.height, box, d.title);
    AppendPicture(s, d, box, 0);
    s += "</svg>\n";
    return s;
}

}  // namespace torvane
