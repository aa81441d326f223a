// The picture of a track as an SVG document: the track to scale (longitude
// scaled by the cosine of the mean latitude), north up, start and end
// marked, a scale bar; below it the altitude profile between its least and
// greatest altitude, with the start and end (time or distance) along its
// axis. The command line's document adds the title above and the figures as
// text below; a window draws the picture alone at its own size and font.
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

// The box the map and the profile are laid out in, in the document's user
// units (a window's logical pixels), and the size and family of its texts.
struct PictureBox {
    double width = 800, height = 740;
    double fontSize = 14;
    std::string fontFamily = "sans-serif";
};

// The least height of a box whose texts are `fontSize` high: the profile,
// its labels and its axis whole, and a map a few lines high.
double LeastPictureHeight(double fontSize);

// The scale bar's length in metres for a drawing `metres` wide: 1, 2 or 5
// times a power of ten, at most a quarter of it; its label in m or km.
double ScaleBarMetres(double metres);
std::string ScaleBarLabel(double metres);

// The texts at the start and the end of the profile's axis: times of day,
// dated ("YYYY-MM-DD hh:mm:ss", the end's date only when it differs) for a
// dated track, distances for a profile over distance.
struct AxisLabels {
    std::string start, end;
};
AxisLabels ProfileAxisLabels(const TrackDrawing& d);

// The command line's document: the title, the picture in the default box
// and the figures in words below it, as the window shows them.
std::string TrackSvg(const TrackDrawing& d);
// The picture alone, filling `box`.
std::string TrackPictureSvg(const TrackDrawing& d, const PictureBox& box);

}  // namespace torvane
