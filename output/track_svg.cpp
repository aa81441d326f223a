#include "track_svg.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "kml_document.h"

namespace torvane {
namespace {

constexpr double kWidth = 800;
constexpr double kMapTop = 50, kMapHeight = 500, kMargin = 20;
constexpr double kProfileTop = 590, kProfileHeight = 160;
constexpr double kFiguresTop = 790;
constexpr double kHeight = 1020;
constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180;

std::string N(double v) { return NumberText(v, 2); }

}  // namespace

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

std::string TrackSvg(const TrackDrawing& d) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(kWidth) + "\" height=\"" + N(kHeight) +
         "\" viewBox=\"0 0 " + N(kWidth) + ' ' + N(kHeight) + "\" font-family=\"sans-serif\" font-size=\"14\">\n";
    s += "<title>" + XmlText(d.title) + "</title>\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    s += "<text x=\"" + N(kMargin) + "\" y=\"30\" font-size=\"18\">" + XmlText(d.title) + "</text>\n";

    // The track, to scale, north up.
    if (!d.track.empty()) {
        double latMin = d.track[0].latitude, latMax = latMin, lonMin = d.track[0].longitude, lonMax = lonMin;
        for (const auto& p : d.track) {
            latMin = std::min(latMin, p.latitude);
            latMax = std::max(latMax, p.latitude);
            lonMin = std::min(lonMin, p.longitude);
            lonMax = std::max(lonMax, p.longitude);
        }
        const double cosLat = std::max(1e-6, std::cos((latMin + latMax) / 2 * std::numbers::pi / 180));
        const double widthM = (lonMax - lonMin) * cosLat * kMetresPerDegree;
        const double heightM = (latMax - latMin) * kMetresPerDegree;
        const double areaW = kWidth - 2 * kMargin, areaH = kMapHeight;
        const double scale = std::max(widthM, heightM) > 0 ? std::min(areaW / std::max(widthM, 1e-9),
                                                                       areaH / std::max(heightM, 1e-9))
                                                           : 1;
        const double offX = kMargin + (areaW - widthM * scale) / 2;
        const double offY = kMapTop + (areaH - heightM * scale) / 2;
        const auto X = [&](double lon) { return offX + (lon - lonMin) * cosLat * kMetresPerDegree * scale; };
        const auto Y = [&](double lat) { return offY + (latMax - lat) * kMetresPerDegree * scale; };
        s += "<rect x=\"" + N(kMargin) + "\" y=\"" + N(kMapTop) + "\" width=\"" + N(areaW) + "\" height=\"" +
             N(areaH) + "\" fill=\"none\" stroke=\"#ccc\"/>\n";
        s += "<polyline fill=\"none\" stroke=\"#c00\" stroke-width=\"2\" points=\"";
        for (const auto& p : d.track) s += N(X(p.longitude)) + ',' + N(Y(p.latitude)) + ' ';
        s += "\"/>\n";
        const auto& a = d.track.front();
        const auto& b = d.track.back();
        s += "<circle id=\"start\" cx=\"" + N(X(a.longitude)) + "\" cy=\"" + N(Y(a.latitude)) +
             "\" r=\"6\" fill=\"#080\"><title>start</title></circle>\n";
        s += "<rect id=\"end\" x=\"" + N(X(b.longitude) - 5) + "\" y=\"" + N(Y(b.latitude) - 5) +
             "\" width=\"10\" height=\"10\" fill=\"#008\"><title>end</title></rect>\n";
        s += "<text x=\"" + N(kWidth - kMargin - 10) + "\" y=\"" + N(kMapTop + 20) + "\" text-anchor=\"middle\">N &#8593;</text>\n";
        // Scale bar: a round length of at most a quarter of the drawing's width.
        const double drawnM = areaW / scale;
        const double bar = ScaleBarMetres(std::max(widthM, heightM) > 0 ? drawnM : 0);
        const double barPx = std::max(widthM, heightM) > 0 ? bar * scale : 0;
        const double barY = kMapTop + kMapHeight - 15;
        s += "<line x1=\"" + N(kMargin + 10) + "\" y1=\"" + N(barY) + "\" x2=\"" + N(kMargin + 10 + barPx) +
             "\" y2=\"" + N(barY) + "\" stroke=\"black\" stroke-width=\"3\"/>\n";
        s += "<text x=\"" + N(kMargin + 10) + "\" y=\"" + N(barY - 6) + "\">" +
             (barPx > 0 ? ScaleBarLabel(bar) : std::string("0 m")) + "</text>\n";
    } else {
        s += "<text x=\"" + N(kMargin) + "\" y=\"" + N(kMapTop + 30) + "\">No positions.</text>\n";
    }

    // The altitude profile.
    s += "<text x=\"" + N(kMargin) + "\" y=\"" + N(kProfileTop - 8) + "\">Altitude (m) over " +
         (d.profileOverTime ? "time" : "distance") + "</text>\n";
    s += "<rect x=\"" + N(kMargin) + "\" y=\"" + N(kProfileTop) + "\" width=\"" + N(kWidth - 2 * kMargin) +
         "\" height=\"" + N(kProfileHeight) + "\" fill=\"none\" stroke=\"#ccc\"/>\n";
    if (!d.profile.empty()) {
        double xMax = d.profile.back().x, xMin = d.profile.front().x;
        double aMin = d.profile[0].altitude, aMax = aMin;
        for (const auto& p : d.profile) {
            xMin = std::min(xMin, p.x);
            xMax = std::max(xMax, p.x);
            aMin = std::min(aMin, p.altitude);
            aMax = std::max(aMax, p.altitude);
        }
        const double xSpan = xMax > xMin ? xMax - xMin : 1, aSpan = aMax > aMin ? aMax - aMin : 1;
        const double w = kWidth - 2 * kMargin;
        s += "<polyline fill=\"none\" stroke=\"#06c\" stroke-width=\"1.5\" points=\"";
        for (const auto& p : d.profile) {
            s += N(kMargin + (p.x - xMin) / xSpan * w) + ',' +
                 N(kProfileTop + kProfileHeight - (p.altitude - aMin) / aSpan * kProfileHeight) + ' ';
        }
        s += "\"/>\n";
        s += "<text x=\"" + N(kMargin + 4) + "\" y=\"" + N(kProfileTop + 16) + "\">" + NumberText(aMax, 1) +
             "</text>\n";
        s += "<text x=\"" + N(kMargin + 4) + "\" y=\"" + N(kProfileTop + kProfileHeight - 4) + "\">" +
             NumberText(aMin, 1) + "</text>\n";
    } else {
        s += "<text x=\"" + N(kMargin + 4) + "\" y=\"" + N(kProfileTop + 20) + "\">No altitudes.</text>\n";
    }

    // The figures.
    const std::string figures = TrackSummaryText(d.figures);
    double y = kFiguresTop;
    std::size_t from = 0;
    while (from < figures.size()) {
        const std::size_t eol = figures.find('\n', from);
        s += "<text x=\"" + N(kMargin) + "\" y=\"" + N(y) + "\">" +
             XmlText(std::string_view(figures).substr(from, eol - from)) + "</text>\n";
        y += 20;
        from = eol + 1;
    }
    s += "</svg>\n";
    return s;
}

}  // namespace torvane
