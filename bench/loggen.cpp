// loggen: writes deterministic, realistic GPS logs for the examples and the
// benchmarks. A track wanders from a fixed start with a slowly turning
// heading; each epoch is one second.
//
//   loggen nmea-mix EPOCHS   GGA, GSA, three GSV and RMC per epoch (CR LF)
//   loggen gga|gll|rmc EPOCHS  one sentence kind per epoch (CR LF)
//   loggen igc EPOCHS        IGC header, task and B records with extensions,
//                            a few "V" fixes, events and comments (CR LF)
//   loggen gpx EPOCHS        GPX 1.1: a waypoint, then a track of two segments,
//                            one element per line (LF)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Track {
    double latitude = 47.3909333;  // degrees
    double longitude = 8.5353833;
    double altitude = 432.5;  // metres
    double heading = 30;      // degrees
    double speed = 1.4;       // metres per second
    std::uint32_t random = 12345;
    int second = 10 * 3600 + 15 * 60 + 30;

    double Noise() {  // -1 .. 1, deterministic
        random = random * 1664525u + 1013904223u;
        return (static_cast<double>(random >> 8) / 8388608.0) - 1.0;
    }

    void Step() {
        heading = std::fmod(heading + 4 * Noise() + 360, 360);
        speed = std::fmax(0.5, std::fmin(25, speed + 0.3 * Noise()));
        const double rad = heading * M_PI / 180;
        latitude += speed * std::cos(rad) / 111320.0;
        longitude += speed * std::sin(rad) / (111320.0 * std::cos(latitude * M_PI / 180));
        altitude += 0.4 * Noise();
        ++second;
    }
    int Hour() const { return (second / 3600) % 24; }
    int Minute() const { return (second / 60) % 60; }
    int Second() const { return second % 60; }
};

void Sentence(const char* body) {  // body without "$" and checksum
    unsigned sum = 0;
    for (const char* p = body; *p; ++p) sum ^= static_cast<unsigned char>(*p);
    std::printf("$%s*%02X\r\n", body, sum);
}

// ddmm.mmmm / dddmm.mmmm with hemisphere letter.
void Coordinates(char* lat, char* lon, const Track& t) {
    const double a = std::fabs(t.latitude), o = std::fabs(t.longitude);
    std::snprintf(lat, 32, "%02d%07.4f,%c", static_cast<int>(a), (a - std::floor(a)) * 60, t.latitude < 0 ? 'S' : 'N');
    std::snprintf(lon, 32, "%03d%07.4f,%c", static_cast<int>(o), (o - std::floor(o)) * 60, t.longitude < 0 ? 'W' : 'E');
}

void Nmea(const std::string& kind, long epochs) {
    Track t;
    char body[256], lat[32], lon[32];
    for (long i = 0; i < epochs; ++i, t.Step()) {
        Coordinates(lat, lon, t);
        const int h = t.Hour(), m = t.Minute(), s = t.Second();
        if (kind == "nmea-mix" || kind == "gga") {
            std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%s,%s,1,08,0.9,%.1f,M,48.0,M,,", h, m, s, lat, lon,
                          t.altitude);
            Sentence(body);
        }
        if (kind == "nmea-mix") {
            Sentence("GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5");
            Sentence("GPGSV,3,1,12,04,45,123,42,05,30,060,38,09,70,270,45,12,15,320,30");
            Sentence("GPGSV,3,2,12,24,55,045,47,25,20,200,33,29,35,150,40,31,10,010,25");
            Sentence("GPGSV,3,3,12,02,05,100,,06,08,220,,10,02,300,,14,01,030,");
        }
        if (kind == "gll") {
            std::snprintf(body, sizeof body, "GPGLL,%s,%s,%02d%02d%02d.00,A,A", lat, lon, h, m, s);
            Sentence(body);
        }
        if (kind == "nmea-mix" || kind == "rmc") {
            std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%s,%s,%.1f,%.1f,081226,,,A", h, m, s, lat, lon,
                          t.speed * 1.943844, t.heading);
            Sentence(body);
        }
    }
}

// Degrees and thousandths of minutes of |value|, the minutes carried into
// the degrees when they round up to 60.
void IgcAngle(double value, int& degrees, int& thousandths) {
    const long total = std::lround(std::fabs(value) * 60000);
    degrees = static_cast<int>(total / 60000);
    thousandths = static_cast<int>(total % 60000);
}

// A flight: header, task, B records with extensions, now and then a fix the
// recorder flags "V", an event and a comment record, and the security record.
void Igc(long epochs) {
    Track t;
    t.latitude = 53.1187167;
    t.longitude = 8.8724167;
    t.altitude = 600;
    t.speed = 15;
    std::printf("AXXXTORVANE loggen\r\nHFDTE081226\r\nHFFXA035\r\nHFPLTPILOTINCHARGE: Jane Doe\r\n"
                "HFGTYGLIDERTYPE: ASK 21\r\nHFGIDGLIDERID: D-1234\r\nHFDTM100GPSDATUM: WGS-1984\r\n"
                "HFPRSPRESSALTSENSOR: Torvane,test,9000\r\nI023638FXA3940SIU\r\n"
                "C081226101500000000000102\r\nC5307123N00852345ETakeoff\r\n");
    for (long i = 0; i < epochs; ++i, t.Step()) {
        int latDegrees, latMin, lonDegrees, lonMin;
        IgcAngle(t.latitude, latDegrees, latMin);
        IgcAngle(t.longitude, lonDegrees, lonMin);
        const int pressure = static_cast<int>(std::lround(t.altitude));
        const char validity = i % 97 == 50 ? 'V' : 'A';
        if (i == epochs / 2) std::printf("E%02d%02d%02dPEV\r\n", t.Hour(), t.Minute(), t.Second());
        std::printf("B%02d%02d%02d%02d%05d%c%03d%05d%c%c%05d%05d%03d%02d\r\n", t.Hour(), t.Minute(), t.Second(),
                    latDegrees, latMin, t.latitude < 0 ? 'S' : 'N', lonDegrees, lonMin, t.longitude < 0 ? 'W' : 'E',
                    validity, pressure, pressure + 48, 12 + static_cast<int>(i % 20), 8);
        if (i % 120 == 60) std::printf("LTORthermal\r\n");
        t.altitude += 1.5 * std::sin(static_cast<double>(i) / 40);  // climbs and glides
    }
    std::printf("GTORVANE0000\r\n");
}

// A hike: a waypoint before the track, then the track in two segments,
// one element per line.
void Gpx(long epochs) {
    Track t;
    t.latitude = 46.5587;
    t.longitude = 11.8834;
    t.altitude = 1512.3;
    std::printf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<gpx version=\"1.1\" creator=\"Torvane loggen\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                "  <metadata>\n    <time>2026-12-08T%02d:%02d:%02dZ</time>\n  </metadata>\n"
                "  <wpt lat=\"%.7f\" lon=\"%.7f\">\n    <ele>%.1f</ele>\n    <name>Start</name>\n  </wpt>\n"
                "  <trk>\n    <name>Generated track</name>\n    <trkseg>\n",
                t.Hour(), t.Minute(), t.Second(), t.latitude, t.longitude, t.altitude);
    for (long i = 0; i < epochs; ++i, t.Step()) {
        if (i == epochs / 2) std::printf("    </trkseg>\n    <trkseg>\n");
        std::printf("      <trkpt lat=\"%.7f\" lon=\"%.7f\">\n        <ele>%.1f</ele>\n"
                    "        <time>2026-12-08T%02d:%02d:%02dZ</time>\n      </trkpt>\n",
                    t.latitude, t.longitude, t.altitude, t.Hour(), t.Minute(), t.Second());
        t.altitude += 0.8 * std::sin(static_cast<double>(i) / 30);  // up and down the slope
    }
    std::printf("    </trkseg>\n  </trk>\n</gpx>\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: loggen nmea-mix|gga|gll|rmc|igc|gpx EPOCHS\n");
        return 2;
    }
    const std::string kind = argv[1];
    const long epochs = std::strtol(argv[2], nullptr, 10);
    if (kind == "nmea-mix" || kind == "gga" || kind == "gll" || kind == "rmc") Nmea(kind, epochs);
    else if (kind == "igc") Igc(epochs);
    else if (kind == "gpx") Gpx(epochs);
    else {
        std::fprintf(stderr, "loggen: unknown kind %s\n", kind.c_str());
        return 2;
    }
    return 0;
}
