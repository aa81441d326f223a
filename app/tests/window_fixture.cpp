#include "window_fixture.h"

#include <QDir>
#include <QFile>

#include "convert/recognise/input_analysis.h"
#include "convert/run/conversion_run.h"

namespace torvane::app::test {
namespace {

QByteArray SampleBytes(Sample sample) {
    switch (sample) {
        case Sample::Gga:
            return ReadAll(QStringLiteral(TORVANE_SOURCE_DIR "/examples/city-walk.nmea"));
        case Sample::Gll:
            return ReadAll(QStringLiteral(TORVANE_SOURCE_DIR "/examples/harbour-gll.nmea"));
        case Sample::Rmc:
            return ReadAll(QStringLiteral(TORVANE_SOURCE_DIR "/examples/drive-rmc.nmea"));
        case Sample::Igc:
            return "AXXX001 Torvane test recorder\r\n"
                   "HFDTE150807\r\n"
                   "HFPLTPILOT: Ada Example\r\n"
                   "HFGIDGLIDERID: D-1234\r\n"
                   "HFPRSPRESSALTSENSOR: none\r\n"
                   "B1015304723456N00832123EA0043200450\r\n"
                   "B1015354723460N00832130EA0043500452\r\n"
                   "B1015404723466N00832141EA0043900455\r\n"
                   "B1015454723471N00832150EV0044100458\r\n"
                   "B1015504723478N00832161EA0044400460\r\n";
        case Sample::Gpx:
            return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<gpx version=\"1.1\" creator=\"Torvane tests\">\n"
                   "<trk><name>walk</name><trkseg>\n"
                   "<trkpt lat=\"47.390933\" lon=\"8.535383\">\n"
                   "<ele>432.5</ele>\n"
                   "<time>2009-10-23T10:15:30Z</time>\n"
                   "</trkpt>\n"
                   "<trkpt lat=\"47.391000\" lon=\"8.535400\">\n"
                   "<ele>433.0</ele>\n"
                   "<time>2009-10-23T10:15:35Z</time>\n"
                   "</trkpt>\n"
                   "<trkpt lat=\"47.391100\" lon=\"8.535500\">\n"
                   "<ele>433.8</ele>\n"
                   "<time>2009-10-23T10:15:40Z</time>\n"
                   "</trkpt>\n"
                   "</trkseg></trk>\n"
                   "</gpx>\n";
        case Sample::Tcx:  // a watch's laps, one trackpoint without a position
            return ReadAll(QStringLiteral(TORVANE_SOURCE_DIR "/tests/golden/laps.tcx"));
        case Sample::Fit:  // a ride of two FIT files, one record without a position (tests/golden/ride.fittext)
            return ReadAll(QStringLiteral(TORVANE_RIDE_FIT));
        case Sample::Unrecognised:
            return "Shopping list\r\nbread\r\nmilk\r\n";
    }
    return {};
}

}  // namespace

WindowFixture::WindowFixture(int progressDelayMs) {
    DesktopServices services;
    services.progressDelayMs = progressDelayMs;
    services.ask = [this](const MessageRequest& request) {
        asked.push_back(request);
        if (whileAsking) whileAsking();
        return request.buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
    };
    services.endProgram = [this] { ++ended; };
    window = std::make_unique<OpenNMEAFile>(settings, services);
}

WindowFixture::~WindowFixture() = default;

QString WindowFixture::WriteLog(const QString& name, const QByteArray& bytes) const {
    QFile log(Path(name));
    if (!log.open(QIODevice::WriteOnly) || log.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(name));
    return log.fileName();
}

QString WindowFixture::WriteSample(Sample sample, const QString& name) const {
    const QString path = Path(name);
    WriteSampleFile(sample, path);
    return path;
}

void WriteSampleFile(Sample sample, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SampleBytes(sample)) < 0) qWarning("cannot write %s", qPrintable(path));
}

void WindowFixture::ChooseAndAnalyze(const QString& path) {
    if (!window->SelectInputFile(path)) qWarning("cannot choose %s", qPrintable(path));
    Analyze()->click();
}

QString Shown(std::string_view text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* DataTypeOf(Sample sample) {
    switch (sample) {
        case Sample::Gga: return "GPGGA";
        case Sample::Gll: return "GPGLL";
        case Sample::Rmc: return "GPRMC";
        case Sample::Igc: return "GPIGC";
        case Sample::Gpx: return "GPGXT";
        case Sample::Tcx: return "GPTCX";
        case Sample::Fit: return "GPFIT";
        case Sample::Unrecognised: break;
    }
    return "";
}

std::int64_t ReferenceCount(Sample sample, OutputKind output) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(sample == Sample::Gpx ? QStringLiteral("ref.gpx") : QStringLiteral("ref.log"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return 0;
    file.write(SampleBytes(sample));
    file.close();

    Settings s;
    s.InputFilePath = QFile::encodeName(path).toStdString();
    if (AnalyzeInput(s).failed || s.DataType == DataKind::None) return 0;
    s.OutputType = output;
    FormOutputPath(s);
    const RunReport report = PerformConversionRun(s);
    return report.outcome == RunReport::Outcome::Written ? report.count : 0;
}

}  // namespace torvane::app::test
