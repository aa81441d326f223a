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
//   loggen fit EPOCHS        a FIT activity file: a ride's record messages with
//                            heart rate, cadence, power and temperature; every
//                            tenth with a compressed timestamp from a big-endian
//                            definition, some without a position
//   loggen tcx EPOCHS        a TCX activity (Training Center XML) of a ride:
//                            trackpoints with heart rate, cadence and the TPX
//                            extension's speed and power, a lap every 1000,
//                            some without a position, one element per line (LF)
//   loggen tcx-line EPOCHS   the same document on one line, as many exporters
//                            write it
#include <algorithm>
#include <array>
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

// --- FIT

// The CRC of FIT headers and files: CRC-16, reflected polynomial 0xA001.
std::uint16_t FitCrc(std::uint16_t crc, const std::string& bytes) {
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

void Put(std::string& out, std::uint64_t value, int size, bool bigEndian = false) {
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (bigEndian ? size - 1 - i : i);
        out += static_cast<char>(value >> shift & 0xFF);
    }
}

// A definition of `local` for message `global` with fields {number, size, base type}.
void FitDefinition(std::string& out, int local, int global, std::initializer_list<std::array<int, 3>> fields,
                   bool bigEndian = false) {
    out += static_cast<char>(0x40 | local);
    out += '\0';
    out += static_cast<char>(bigEndian ? 1 : 0);
    Put(out, static_cast<std::uint64_t>(global), 2, bigEndian);
    out += static_cast<char>(fields.size());
    for (const auto& f : fields) {
        for (const int byte : f) out += static_cast<char>(byte);
    }
}

// Written in pieces of many records, the data size being known before:
// 14 bytes of header, the messages, the CRC.
void Fit(long epochs) {
    constexpr std::uint32_t kDay = 1165622400;  // 2026-12-08T00:00:00Z in seconds since 1989-12-31
    constexpr double kSemicircles = 2147483648.0 / 180;
    Track t;
    t.latitude = 47.0502;
    t.longitude = 8.3093;
    t.speed = 8;
    std::string messages;
    // file_id (type activity, manufacturer development), an event at the start.
    FitDefinition(messages, 2, 0, {{{0, 1, 0x00}}, {{1, 2, 0x84}}, {{4, 4, 0x86}}});
    messages += '\2';
    messages += '\4';
    Put(messages, 255, 2);
    Put(messages, kDay + static_cast<std::uint32_t>(t.second), 4);
    FitDefinition(messages, 0, 20,
                  {{{253, 4, 0x86}}, {{0, 4, 0x85}}, {{1, 4, 0x85}}, {{78, 4, 0x86}}, {{3, 1, 0x02}},
                   {{4, 1, 0x02}}, {{7, 2, 0x84}}, {{13, 1, 0x01}}, {{73, 4, 0x86}}});
    FitDefinition(messages, 1, 20, {{{0, 4, 0x85}}, {{1, 4, 0x85}}, {{2, 2, 0x84}}, {{3, 1, 0x02}}}, true);
    const std::size_t recordSize = 1 + 4 + 4 + 4 + 4 + 1 + 1 + 2 + 1 + 4;
    const std::size_t compressedSize = 1 + 4 + 4 + 2 + 1;
    std::uint64_t dataSize = messages.size();
    for (long i = 0; i < epochs; ++i) dataSize += i % 10 == 9 ? compressedSize : recordSize;
    std::string header;
    header += static_cast<char>(14);
    header += static_cast<char>(0x20);
    Put(header, 2100, 2);
    Put(header, dataSize, 4);
    header += ".FIT";
    Put(header, FitCrc(0, header), 2);
    std::uint16_t crc = FitCrc(FitCrc(0, header), messages);
    std::fwrite(header.data(), 1, header.size(), stdout);
    std::fwrite(messages.data(), 1, messages.size(), stdout);
    for (long i = 0; i < epochs; ++i, t.Step()) {
        messages.clear();
        // A tunnel now and then: no position, invalid values in its place.
        const bool tunnel = i % 500 == 250;
        const auto latitude = tunnel ? 0x7FFFFFFF : static_cast<std::int32_t>(std::lround(t.latitude * kSemicircles));
        const auto longitude = tunnel ? 0x7FFFFFFF : static_cast<std::int32_t>(std::lround(t.longitude * kSemicircles));
        const auto altitude = static_cast<std::uint32_t>(std::lround((t.altitude + 500) * 5));
        const int heart = 120 + static_cast<int>(20 * std::sin(static_cast<double>(i) / 300));
        if (i % 10 == 9) {
            // Local type 1, big-endian, its time in the header's five bits.
            messages += static_cast<char>(0x80 | 1 << 5 | ((kDay + static_cast<std::uint32_t>(t.second)) & 0x1F));
            Put(messages, static_cast<std::uint32_t>(latitude), 4, true);
            Put(messages, static_cast<std::uint32_t>(longitude), 4, true);
            Put(messages, altitude > 0xFFFE ? 0xFFFF : altitude, 2, true);
            messages += static_cast<char>(heart);
        } else {
            messages += '\0';
            Put(messages, kDay + static_cast<std::uint32_t>(t.second), 4);
            Put(messages, static_cast<std::uint32_t>(latitude), 4);
            Put(messages, static_cast<std::uint32_t>(longitude), 4);
            Put(messages, altitude, 4);
            messages += static_cast<char>(heart);
            messages += static_cast<char>(i % 100 < 5 ? 0xFF : 85 + i % 7);  // pedals still: no cadence
            Put(messages, static_cast<std::uint64_t>(180 + i % 61), 2);
            messages += static_cast<char>(static_cast<std::int8_t>(12 - i / 3600));
            Put(messages, static_cast<std::uint64_t>(std::lround(t.speed * 1000)), 4);
        }
        crc = FitCrc(crc, messages);
        std::fwrite(messages.data(), 1, messages.size(), stdout);
    }
    std::string end;
    Put(end, crc, 2);
    std::fwrite(end.data(), 1, end.size(), stdout);
}

// --- TCX

// "YYYY-MM-DDThh:mm:ssZ" of `second` seconds after 2026-12-08T00:00:00Z.
std::string TcxTime(long second) {
    // Days to the civil date (proleptic Gregorian), from 1970-01-01.
    const long days = 20795 + second / 86400, z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097, doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365, doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153, day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ldT%02ld:%02ld:%02ldZ", year, month, day, second / 3600 % 24,
                  second / 60 % 60, second % 60);
    return text;
}

void Tcx(long epochs, bool oneLine) {
    Track t;
    t.latitude = 47.0502;
    t.longitude = 8.3093;
    t.speed = 8;
    // Indentation and line ends, or nothing between the elements.
    const auto line = [oneLine](int depth) {
        if (oneLine) return std::string();
        std::string text(static_cast<std::size_t>(2 * depth + 1), ' ');
        text[0] = '\n';
        return text;
    };
    std::printf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>%s<TrainingCenterDatabase "
                "xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\" "
                "xmlns:ns3=\"http://www.garmin.com/xmlschemas/ActivityExtension/v2\">%s<Activities>%s"
                "<Activity Sport=\"Biking\">%s<Id>%s</Id>",
                line(0).c_str(), line(1).c_str(), line(2).c_str(), line(3).c_str(), TcxTime(t.second).c_str());
    for (long i = 0; i < epochs; ++i, t.Step()) {
        if (i % 1000 == 0) {
            if (i > 0) std::printf("%s</Track>%s</Lap>", line(4).c_str(), line(3).c_str());
            std::printf("%s<Lap StartTime=\"%s\">%s<TotalTimeSeconds>%ld</TotalTimeSeconds>%s<Track>", line(3).c_str(),
                        TcxTime(t.second).c_str(), line(4).c_str(), std::min(1000L, epochs - i), line(4).c_str());
        }
        const int heart = 120 + static_cast<int>(20 * std::sin(static_cast<double>(i) / 300));
        std::printf("%s<Trackpoint>%s<Time>%s</Time>", line(5).c_str(), line(6).c_str(), TcxTime(t.second).c_str());
        // A tunnel now and then: no position.
        if (i % 500 != 250) {
            std::printf("%s<Position>%s<LatitudeDegrees>%.7f</LatitudeDegrees>%s<LongitudeDegrees>%.7f"
                        "</LongitudeDegrees>%s</Position>",
                        line(6).c_str(), line(7).c_str(), t.latitude, line(7).c_str(), t.longitude, line(6).c_str());
        }
        std::printf("%s<AltitudeMeters>%.1f</AltitudeMeters>%s<HeartRateBpm>%s<Value>%d</Value>%s</HeartRateBpm>",
                    line(6).c_str(), t.altitude, line(6).c_str(), line(7).c_str(), heart, line(6).c_str());
        if (i % 100 >= 5) std::printf("%s<Cadence>%ld</Cadence>", line(6).c_str(), 85 + i % 7);  // pedals still: none
        std::printf("%s<Extensions>%s<ns3:TPX>%s<ns3:Speed>%.2f</ns3:Speed>%s<ns3:Watts>%ld</ns3:Watts>%s</ns3:TPX>"
                    "%s</Extensions>%s</Trackpoint>",
                    line(6).c_str(), line(7).c_str(), line(8).c_str(), t.speed, line(8).c_str(), 180 + i % 61,
                    line(7).c_str(), line(6).c_str(), line(5).c_str());
    }
    if (epochs > 0) std::printf("%s</Track>%s</Lap>", line(4).c_str(), line(3).c_str());
    std::printf("%s</Activity>%s</Activities>%s</TrainingCenterDatabase>\n", line(2).c_str(), line(1).c_str(),
                line(0).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: loggen nmea-mix|gga|gll|rmc|igc|gpx|fit|tcx|tcx-line EPOCHS\n");
        return 2;
    }
    const std::string kind = argv[1];
    const long epochs = std::strtol(argv[2], nullptr, 10);
    if (kind == "nmea-mix" || kind == "gga" || kind == "gll" || kind == "rmc") Nmea(kind, epochs);
    else if (kind == "igc") Igc(epochs);
    else if (kind == "gpx") Gpx(epochs);
    else if (kind == "fit") Fit(epochs);
    else if (kind == "tcx" || kind == "tcx-line") Tcx(epochs, kind == "tcx-line");
    else {
        std::fprintf(stderr, "loggen: unknown kind %s\n", kind.c_str());
        return 2;
    }
    return 0;
}
