// Pictures of the windows for review: the main window after analysing a GGA
// log, each dialog, and the track preview of a GGA log, an IGC flight and a
// GPX hike, rendered offscreen into PNG files in the build folder.
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "altitude_manipulation.h"
#include "top_ovl_properties.h"
#include "track_plot_form.h"
#include "track_preview_panel.h"
#include "window_fixture.h"

using namespace torvane::app;
using namespace torvane::app::test;

namespace {

// Saves the widget's picture as NAME.png and checks it.
void Capture(QWidget* widget, const QString& name) {
    QVERIFY(QTest::qWaitForWindowExposed(widget));
    const QPixmap picture = widget->grab();
    const QImage image = picture.toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(picture.deviceIndependentSize().toSize(), widget->size());
    QVERIFY(widget->width() >= widget->minimumSizeHint().width());
    QVERIFY(widget->height() >= widget->minimumSizeHint().height());

    // Not one flat colour: the controls and their texts are drawn.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() > 8, qPrintable(name));

    QDir folder(QStringLiteral(TORVANE_SCREENSHOT_DIR));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    QVERIFY(image.save(path));
    const QImage saved(path);
    QCOMPARE(saved.size(), image.size());
    qInfo("%s", qPrintable(path));
}

// Saves the whole screen, the main window with its dialogs on it, as
// NAME-scaleS.png, S the scale factor the run was started with.
void CaptureScreen(QWidget* window, const QString& name) {
    QCoreApplication::processEvents();
    const QPixmap picture = window->screen()->grabWindow(0);
    QVERIFY2(!picture.isNull(), qPrintable(name));
    QString scale = QString::fromLocal8Bit(qgetenv("QT_SCALE_FACTOR"));
    if (scale.isEmpty()) scale = QStringLiteral("1");
    QDir folder(QStringLiteral(TORVANE_SCREENSHOT_DIR));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString path = folder.filePath(QStringLiteral("%1-scale%2.png").arg(name, scale));
    QVERIFY(picture.save(path));
    qInfo("%s", qPrintable(path));
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void windows();
};

void ScreenshotTest::windows() {
    // A tidy home folder with one log in it, for a picture without clutter.
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("gps-logs")));
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("flights")));
    const QString log = home.filePath(QStringLiteral("gps-logs/city-walk.nmea"));
    WriteSampleFile(Sample::Gga, log);
    WriteSampleFile(Sample::Rmc, home.filePath(QStringLiteral("gps-logs/drive-rmc.nmea")));
    // Capital letters with marks above them, drawn whole in the file list.
    WriteSampleFile(Sample::Igc, home.filePath(QStringLiteral("gps-logs/Flug \u00d6 \u00c5 2009.igc")));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    WindowFixture f;
    qputenv("HOME", oldHome);
    f.window->show();
    f.ChooseAndAnalyze(log);
    Capture(f.window.get(), QStringLiteral("main-window"));

    f.Kml()->click();
    Capture(f.window->TrackPlotDialog(), QStringLiteral("track-plot-form"));
    CaptureScreen(f.window.get(), QStringLiteral("screen-track-plot-form"));
    f.window->TrackPlotDialog()->hide();
    f.Ovl()->click();
    Capture(f.window->OverlayDialog(), QStringLiteral("top-ovl-properties"));
    CaptureScreen(f.window.get(), QStringLiteral("screen-top-ovl-properties"));
    f.window->OverlayDialog()->hide();
    f.Altitude()->click();
    Capture(f.window->AltitudeDialog(), QStringLiteral("altitude-manipulation"));
    CaptureScreen(f.window.get(), QStringLiteral("screen-altitude-manipulation"));
    f.window->AltitudeDialog()->hide();

    // The shaping boxes, shown by "Shape the track", some of them filled.
    f.Find<QCheckBox>("Check10")->click();
    f.Find<QLineEdit>("Text8")->setText(QStringLiteral("30m"));
    f.Find<QLineEdit>("Text9")->setText(QStringLiteral("5"));
    Capture(f.window.get(), QStringLiteral("shape-track"));
    CaptureScreen(f.window.get(), QStringLiteral("screen-shape-track"));
    f.Find<QCheckBox>("Check10")->click();

    // The account of the lines, on request beside the message area.
    f.Account()->click();
    Capture(f.window.get(), QStringLiteral("account"));
    CaptureScreen(f.window.get(), QStringLiteral("screen-account"));

    // The preview of each kind of log, from the examples.
    f.Find<QCheckBox>("Check7")->click();
    for (const char* example : {"city-walk.nmea", "flight.igc", "hike.gpx"}) {
        const QString name = QString::fromLatin1(example);
        const QString copy = home.filePath(QStringLiteral("gps-logs/") + name);
        QFile::remove(copy);
        QVERIFY(QFile::copy(QStringLiteral(TORVANE_SOURCE_DIR "/examples/") + name, copy));
        f.ChooseAndAnalyze(copy);
        QVERIFY2(!f.window->PreviewPanel()->Picture().isEmpty(), example);
        const QString kind = QFileInfo(name).suffix();
        Capture(f.window.get(), QStringLiteral("preview-") + kind);
        CaptureScreen(f.window.get(), QStringLiteral("screen-preview-") + kind);
    }
}

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
