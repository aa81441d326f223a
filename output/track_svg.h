// The picture of a track as an SVG document: the track to scale (longitude
// scaled by the cosine of the mean latitude), north up, start and end
// marked, a scale bar; below it the altitude profile; the figures as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "track_summary_text.h"

namespace torvane {

struct TrackDrawing {
    std::string title;  // names the input file
    struct Point {
        double latitude = 0, longitude = 0;
    };
    std::vector<Point> track;  // in track order
    struct ProfilePoint {
        double x = 0, altitude = 0;  // x: seconds or metres from the start
    };
    std::vector<ProfilePoint> profile;  // empty: no profile drawn
    bool profileOverTime = true;        // false: over distance
    TrackFigures figures;
};

// The scale bar's length in metres for a drawing `metres` wide: 1, 2 or 5
// times a power of ten, at most a quarter of it; its label in m or km.
double ScaleBarMetres(double metres);
std::string ScaleBarLabel(double metres);

std::string TrackSvg(const TrackDrawing& d);

}  // namespace torvane
