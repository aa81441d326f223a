// The window as a user meets it on a screen (also run on the test screens
// of common sizes and scale factors): the preview's texts drawn at the
// window's font size, its altitude profile whole inside the picture, and
// the dialogs leaving START whole.
#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSvgRenderer>
#include <QWindow>

#include "altitude_manipulation.h"
#include "top_ovl_properties.h"
#include "track_plot_form.h"
#include "track_preview_panel.h"
#include "window_fixture.h"

using namespace torvane::app;
using namespace torvane::app::test;

namespace {

// The labels of the map and the profile, by their ids in the picture.
const char* const kLabels[] = {"north", "scale-label", "profile-title", "alt-max", "alt-min", "axis-start", "axis-end"};

// The picture drawn as the preview draws it: one user unit to one logical
// pixel, at the device pixel ratio of `like`.
QImage Render(const QByteArray& svg, const QImage& like) {
    QImage image(like.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(like.devicePixelRatio());
    image.fill(Qt::white);
    QSvgRenderer renderer(svg);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), image.deviceIndependentSize()));
    return image;
}

// How far apart two pixels are: the largest difference of a colour.
int Apart(QRgb p, QRgb q) {
    return std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
}

// The device pixels in which two pictures of one size differ clearly (not
// by the few levels in which one text's edges may be drawn twice), and how
// many they are.
QRect Difference(const QImage& a, const QImage& b, int* count = nullptr) {
    QRect found;
    int n = 0;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            if (Apart(x.pixel(column, row), y.pixel(column, row)) > 64) {
                found |= QRect(column, row, 1, 1);
                ++n;
            }
        }
    }
    if (count != nullptr) *count = n;
    return found;
}

// The device pixels a text covers when drawn in `font` at `ratio`.
QRect Ink(const QString& text, const QFont& font, qreal ratio) {
    const QFontMetrics metrics(font);
    const QSize size(metrics.horizontalAdvance(text) + 20, metrics.height() + 20);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QImage blank = image;
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(10, 10 + metrics.ascent()), text);
    }
    return Difference(image, blank);
}

// The text element `id` of the picture, and the picture without it.
QString LabelText(const QByteArray& svg, const char* id) {
    const QRegularExpression element(QStringLiteral("<text id=\"%1\"[^>]*>([^<]*)</text>").arg(QLatin1String(id)));
    QString text = element.match(QString::fromUtf8(svg)).captured(1);
    return text.replace(QStringLiteral("&#8593;"), QStringLiteral("\u2191")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}
QByteArray WithoutLabel(const QByteArray& svg, const char* id) {
    QString text = QString::fromUtf8(svg);
    text.remove(QRegularExpression(QStringLiteral("<text id=\"%1\"[^>]*>[^<]*</text>").arg(QLatin1String(id))));
    return text.toUtf8();
}

QRect DeviceRect(const QRectF& logical, qreal ratio) {
    return QRectF(logical.topLeft() * ratio, logical.size() * ratio).toAlignedRect();
}

// The main window shown as it opens, the preview on, a GGA log analysed.
void ShowPreview(WindowFixture& f) {
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.Find<QCheckBox>("Check7")->click();
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    QApplication::processEvents();
    QVERIFY(!f.window->PreviewPanel()->Picture().isEmpty());
    // Where the controls scroll (the panel below them), scrolled to the picture.
    if (auto* scroll = f.window->findChild<QScrollArea*>()) {
        scroll->ensureWidgetVisible(f.window->findChild<QWidget*>(QStringLiteral("PreviewDrawing")), 0, 0);
        QApplication::processEvents();
    }
}

}  // namespace

class ScreenTest : public QObject {
    Q_OBJECT

private slots:
    void previewTextsAtTheWindowsFontSize();
    void previewProfileWhole();
    void dialogsLeaveStartWhole();
};

void ScreenTest::previewTextsAtTheWindowsFontSize() {
    WindowFixture f;
    ShowPreview(f);
    auto* drawing = f.window->findChild<QWidget*>(QStringLiteral("PreviewDrawing"));
    QVERIFY(drawing != nullptr && drawing->isVisible());
    const QImage shown = drawing->grab().toImage();
    const qreal ratio = shown.devicePixelRatio();
    const QByteArray picture = f.window->PreviewPanel()->Picture();
    // The test draws what the window draws (at a scale of 1.5 the texts'
    // edges may fall on other pixels).
    const QImage drawn = Render(picture, shown);
    int unlike = 0;
    Difference(shown, drawn, &unlike);
    QVERIFY2(unlike * 100 < shown.width() * shown.height(), qPrintable(QString::number(unlike)));
    for (const char* id : kLabels) {
        // The label's ink: where the picture without it differs; its height
        // that of the same text in the window's font, within a device pixel
        // or a tenth.
        const QString text = LabelText(picture, id);
        QVERIFY2(!text.isEmpty(), id);
        const QRect ink = Difference(drawn, Render(WithoutLabel(picture, id), shown));
        const QRect expected = Ink(text, drawing->font(), ratio);
        const QString heights = QStringLiteral("%1 \"%2\": %3 px high, the window's font %4 px (ratio %5)")
                                    .arg(QLatin1String(id), text).arg(ink.height()).arg(expected.height()).arg(ratio);
        QVERIFY2(!ink.isEmpty(), qPrintable(heights));
        QVERIFY2(std::abs(ink.height() - expected.height()) <= std::max(1.0, expected.height() / 10.0),
                 qPrintable(heights));
        QVERIFY2(std::abs(ink.width() - expected.width()) <= std::max(2.0, expected.width() / 10.0),
                 qPrintable(heights + QStringLiteral(", %1 px wide against %2").arg(ink.width()).arg(expected.width())));
    }
}

void ScreenTest::previewProfileWhole() {
    WindowFixture f;
    ShowPreview(f);
    auto* drawing = f.window->findChild<QWidget*>(QStringLiteral("PreviewDrawing"));
    const QImage shown = drawing->grab().toImage();
    const qreal ratio = shown.devicePixelRatio();
    const QByteArray picture = f.window->PreviewPanel()->Picture();
    // The drawing wholly in view, inside the window, above the figures.
    QCOMPARE(drawing->visibleRegion(), QRegion(drawing->rect()));
    const QRect inWindow(drawing->mapTo(f.window.get(), QPoint(0, 0)), drawing->size());
    QVERIFY(f.window->rect().contains(inWindow));
    auto* figures = f.window->findChild<QWidget*>(QStringLiteral("PreviewFigures"));
    QVERIFY(figures->isVisible());
    const int gap = figures->mapTo(f.window.get(), QPoint(0, 0)).y() - inWindow.bottom();
    QVERIFY2(gap >= 0 && gap <= 2 * drawing->fontMetrics().height(), qPrintable(QString::number(gap)));

    // The curve and the altitude labels inside the profile's frame, the
    // frame, its title and the time axis inside the drawing.
    QSvgRenderer renderer(picture);
    const QRectF frame = renderer.boundsOnElement(QStringLiteral("profile-frame"));
    QVERIFY(!frame.isEmpty());
    const QRect frameInk = DeviceRect(frame, ratio).adjusted(-1, -1, 1, 1);
    const QRect drawn(QPoint(0, 0), shown.size());
    QVERIFY(drawn.contains(frameInk));
    // (the curve's stroke may reach half its width beyond the frame's sides)
    QVERIFY(frame.adjusted(-1, -1, 1, 1).contains(renderer.boundsOnElement(QStringLiteral("profile-curve"))));
    for (const char* id : {"alt-max", "alt-min", "profile-title", "axis-start", "axis-end"}) {
        const QRect ink = Difference(Render(picture, shown), Render(WithoutLabel(picture, id), shown));
        const bool inFrame = QByteArray(id).startsWith("alt-");
        QVERIFY2(!ink.isEmpty() && (inFrame ? frameInk : drawn).contains(ink),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5").arg(QLatin1String(id)).arg(ink.x()).arg(ink.y())
                                .arg(ink.width()).arg(ink.height())));
        // Below the frame: the axis; above it: the title.
        if (QByteArray(id).startsWith("axis-")) QVERIFY2(ink.top() > frameInk.bottom(), id);
        if (QByteArray(id) == "profile-title") QVERIFY2(ink.bottom() < frameInk.top(), id);
    }
    // The axis names the first and last position's time.
    QCOMPARE(LabelText(picture, "axis-start"), QStringLiteral("2026-12-08 10:15:30"));
    QCOMPARE(LabelText(picture, "axis-end"), QStringLiteral("10:20:29"));
}

void ScreenTest::dialogsLeaveStartWhole() {
    // The window as it opens, with and without the preview: each dialog
    // inside the screen and clear of START.
    for (const bool preview : {false, true}) {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        if (preview) f.Find<QCheckBox>("Check7")->click();
        f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
        QTest::qWait(50);  // the window manager's answer to the window's new size
        const QRect screen = f.window->screen()->availableGeometry();
        for (QAbstractButton* button : {static_cast<QAbstractButton*>(f.Kml()), static_cast<QAbstractButton*>(f.Ovl()),
                                        static_cast<QAbstractButton*>(f.Altitude())}) {
            button->click();
            QApplication::processEvents();
            QWidget* dialog = nullptr;
            for (QWidget* shown : {static_cast<QWidget*>(f.window->TrackPlotDialog()),
                                   static_cast<QWidget*>(f.window->OverlayDialog()),
                                   static_cast<QWidget*>(f.window->AltitudeDialog())}) {
                if (shown != nullptr && shown->isVisible()) dialog = shown;
            }
            QVERIFY2(dialog != nullptr, qPrintable(button->objectName()));
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QTest::qWait(50);  // a window manager's frame around it
            // The frame as the window manager tells it now (the widget's own
            // is the one of its last move, maybe before the frame was told).
            QWindow* const shownWindow = dialog->windowHandle();
            const auto frameText = [&] {
                const QRect f = shownWindow->frameGeometry();
                return QStringLiteral("%1 at %2,%3 %4x%5 within %6,%7 %8x%9")
                    .arg(dialog->objectName()).arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height())
                    .arg(shownWindow->x()).arg(shownWindow->y()).arg(shownWindow->width()).arg(shownWindow->height());
            };
            QTRY_VERIFY2(shownWindow->frameGeometry().contains(shownWindow->geometry()) &&
                             shownWindow->frameGeometry() != shownWindow->geometry(),
                         qPrintable(frameText()));
            const QRect placed = shownWindow->frameGeometry();
            // (where the controls scroll, START where the window shows it now)
            const QRect start(f.Start()->mapToGlobal(QPoint(0, 0)), f.Start()->size());
            const QString where = QStringLiteral("preview %1: %2 at %3,%4 %5x%6, START at %7,%8 %9x%10")
                                      .arg(preview).arg(dialog->objectName()).arg(placed.x()).arg(placed.y())
                                      .arg(placed.width()).arg(placed.height()).arg(start.x()).arg(start.y())
                                      .arg(start.width()).arg(start.height());
            QVERIFY2(!placed.intersects(start), qPrintable(where));
            QVERIFY2(screen.contains(placed), qPrintable(where));
            dialog->hide();
        }
    }
}

QTEST_MAIN(ScreenTest)
#include "screen_test.moc"
