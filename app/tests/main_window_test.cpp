// The main window on its own: start state, choosing a file, ANALYZE, the
// output-type and option controls, START refused, and the end of the program.
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QFileSystemModel>
#include <QListView>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QTreeView>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "altitude_manipulation.h"
#include "command_line_file.h"
#include "convert/about.h"
#include "convert/kinds.h"
#include "convert/recognise/input_analysis.h"
#include "folder_file_model.h"
#include "progress_reporter.h"
#include "tests/sample_logs.h"
#include "top_ovl_properties.h"
#include "track_figures_text.h"
#include "track_plot_form.h"
#include "track_preview_panel.h"
#include "widget_helpers.h"
#include "window_fixture.h"

using namespace torvane;
using namespace torvane::app;
using namespace torvane::app::test;

Q_DECLARE_METATYPE(torvane::app::test::Sample)

namespace {

// The enabled and checked states of the option controls, in one line, so
// that a failing comparison shows the whole row.
QString StateRow(const WindowFixture& f) {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return QStringLiteral("analyze=%1 start=%2 types=%3%4%5 selected=%6%7%8 comma=%9/%10 altitude=%11/%12 zero=%13/%14")
        .arg(flag(f.Analyze()->isEnabled()), flag(f.Start()->isEnabled()), flag(f.Table()->isEnabled()),
             flag(f.Kml()->isEnabled()), flag(f.Ovl()->isEnabled()), flag(f.Table()->isChecked()),
             flag(f.Kml()->isChecked()), flag(f.Ovl()->isChecked()), flag(f.DecimalComma()->isEnabled()))
        .arg(flag(f.DecimalComma()->isChecked()), flag(f.Altitude()->isEnabled()), flag(f.Altitude()->isChecked()),
             flag(f.EliminateZero()->isEnabled()), flag(f.EliminateZero()->isChecked()));
}

// The enabled and checked states of the four receiver options.
QString ReceiverRow(const WindowFixture& f) {
    const auto state = [](const QCheckBox* box) {
        return QStringLiteral("%1/%2").arg(box->isEnabled() ? 1 : 0).arg(box->isChecked() ? 1 : 0);
    };
    return QStringLiteral("talker=%1 checksum=%2 gnss=%3 recorder=%4")
        .arg(state(f.AnyTalker()), state(f.VerifyChecksums()), state(f.IgcGnssAltitude()), state(f.AnyRecorder()));
}

// The example GGA sentence with another talker (its checksum adjusted) or a wrong checksum.
std::string GnggaSentence() {
    std::string sentence = torvane::test::kExampleGga;
    sentence[2] = 'N';
    return sentence.replace(sentence.find('*') + 1, 2, "70");  // 0x6E ^ ('P' ^ 'N')
}
std::string WrongChecksumGga() {
    std::string sentence = torvane::test::kExampleGga;
    return sentence.replace(sentence.find('*') + 1, 2, "00");
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        qWarning("cannot write %s", qPrintable(path));
    }
}

// Writes a file whose path is bytes that need not be UTF-8.
bool WriteRaw(const QByteArray& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.constData(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startState();
    void windowFitsTheScreen();
    void previewFollowsTheFileAndTheOptions();
    void figuresAtTheirUnitsBoundaries();
    void captionsAndToolTips();
    void mnemonicsAreUniqueAndTabReachesEveryControl();
    void startBeforeAnyFileIsRefused();
    void startBeforeAnythingWasRecognisedIsRefused();
    void analyzeWithoutFileOnlyEnablesOutputTypes();
    void choosingAFileLeavesOnlyAnalyze();
    void fileOnTheCommandLineIsChosen();
    void missingFileOnTheCommandLineLeavesTheStartState();
    void fileListShowsTheChosenFileAtEveryStart();
    void analysisMessageAndState_data();
    void analysisMessageAndState();
    void unrecognisedFileKeepsTheEarlierDataType();
    void unreadableFileIsReportedInTheMessageArea();
    void tableAndKmlSwitchTheDecimalComma();
    void outputTypesAndAltitudeShowTheirDialogs();
    void closedDialogIsMadeAfresh();
    void dialogsOpenBesideTheMainWindow();
    void clickInTheFileListChoosesTheFile();
    void fileDeletedFromOutsideStaysChosen();
    void fileListShowsNoFolders();
    void capitalsWithMarksFitTheirRows();
    void droppedFileIsChosen();
    void closingTheWindowEndsTheProgram();
    void messageBoxesCarryTheirButtons();
    void progressDialogOnlyForLongWork();
    void receiverOptionsFollowTheAnalysis_data();
    void receiverOptionsFollowTheAnalysis();
    void receiverOptionsDuringAndAfterARun();
    void gnssAltitudeReachesTheTable_data();
    void gnssAltitudeReachesTheTable();
    void sentenceRulesAnalyseTheFileAgain_data();
    void sentenceRulesAnalyseTheFileAgain();
    void sentenceRulesBeforeAnalysisAnalyseNothing();
    void noRunAfterAReanalysisRecognisedNothing();
    void fileNamesThatAreNotUtf8AreListedAndConverted();
    void reanalysisOfAGpxFileReadsTheChosenFile();
};

void MainWindowTest::startState() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Torvane"));
    QCOMPARE(f.Message(), Shown(kIntroductionText));
    QCOMPARE(StateRow(f),
             QStringLiteral("analyze=1 start=1 types=000 selected=100 comma=0/0 altitude=0/0 zero=0/1"));
    QVERIFY(f.InputPath()->text().isEmpty());
    QVERIFY(f.settings.EliminateZeroPositions);
    QVERIFY(!f.settings.UseDecimalComma);
    // The directory list starts on the drive list's current drive.
    auto* drives = f.Find<QComboBox>("Drive1");
    QVERIFY(drives->count() >= 1);
    auto* directories = f.Find<QTreeView>("Dir1");
    auto* model = qobject_cast<QFileSystemModel*>(directories->model());
    QCOMPARE(model->filePath(directories->rootIndex()), drives->currentData().toString());
    QVERIFY(f.Find<QListView>("File1") != nullptr);
    QCOMPARE(f.ended, 0);
    QCOMPARE(ReceiverRow(f), QStringLiteral("talker=1/0 checksum=1/0 gnss=0/0 recorder=1/0"));
    QVERIFY(!f.settings.AcceptAnyTalker && !f.settings.VerifyChecksums && !f.settings.IgcGnssAltitude &&
            !f.settings.AcceptAnyRecorder);
    // The window, with the row of receiver options, still fits a small laptop screen.
    QVERIFY2(f.window->width() <= 1366 && f.window->height() <= 768 - 40,
             qPrintable(QStringLiteral("%1x%2").arg(f.window->width()).arg(f.window->height())));
}

void MainWindowTest::windowFitsTheScreen() {
    // Also run on the test screens at QT_SCALE_FACTOR 1.25, 1.5 and 2, where
    // the screen is smaller than the window's designed size. With and without
    // the preview the window, its title bar included, fits the screen's free
    // area, and so does its least size; the same with the shaping fields,
    // and with both. (A walk analysed: the preview's figures with their rules.)
    constexpr int kTitleBar = 40;  // a window manager's frame above the window, in logical pixels
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    const QSize available = f.window->screen()->availableGeometry().size() - QSize(0, kTitleBar);
    const QSize designed = f.window->size();
    const QRect designedStart(f.Start()->mapTo(f.window.get(), QPoint(0, 0)), f.Start()->size());
    const std::pair<bool, bool> states[] = {{false, false}, {true, false}, {true, true}, {false, true}, {false, false}};
    for (const auto& [preview, shape] : states) {
        if (f.Find<QCheckBox>("Check7")->isChecked() != preview) f.Find<QCheckBox>("Check7")->click();
        if (f.Find<QCheckBox>("Check10")->isChecked() != shape) f.Find<QCheckBox>("Check10")->click();
        QApplication::processEvents();
        const QString shown = QStringLiteral("preview %1, shape %8: %2x%3, least %4x%5 on %6x%7")
                                  .arg(preview).arg(f.window->width()).arg(f.window->height())
                                  .arg(f.window->minimumSizeHint().width()).arg(f.window->minimumSizeHint().height())
                                  .arg(available.width()).arg(available.height()).arg(shape);
        QVERIFY2(f.window->width() <= available.width() && f.window->height() <= available.height(), qPrintable(shown));
        QVERIFY2(f.window->minimumSizeHint().width() <= available.width() &&
                     f.window->minimumSizeHint().height() <= available.height(), qPrintable(shown));
        QVERIFY2(f.window->minimumWidth() <= available.width() && f.window->minimumHeight() <= available.height(),
                 qPrintable(shown));
        // The controls scroll only where their least size does not fit.
        auto* scroll = f.window->findChild<QScrollArea*>();
        const QSize least =
            scroll != nullptr ? scroll->widget()->minimumSizeHint() : f.window->minimumSizeHint();
        QVERIFY2((scroll != nullptr) == (least.width() > available.width() || least.height() > available.height()),
                 qPrintable(shown + QStringLiteral(": scroll %1, least %2x%3").arg(scroll != nullptr).arg(least.width()).arg(least.height())));
        // ANALYZE, START and the message area each come whole into view, or
        // as much of them as the window shows.
        auto* messages = f.Find<QPlainTextEdit>("Text2");
        for (QWidget* control : {static_cast<QWidget*>(f.Analyze()), static_cast<QWidget*>(f.Start()),
                                 static_cast<QWidget*>(messages)}) {
            if (scroll != nullptr) {
                // Scrolled to it, as a user drags the bars.
                const QRect area(control->mapTo(scroll->widget(), QPoint(0, 0)), control->size());
                scroll->ensureVisible(area.center().x(), area.center().y(),
                                      std::min(area.width(), scroll->viewport()->width()) / 2,
                                      std::min(area.height(), scroll->viewport()->height()) / 2);
            }
            const QRect seen = scroll != nullptr ? QRect(scroll->viewport()->mapTo(f.window.get(), QPoint(0, 0)),
                                                         scroll->viewport()->size())
                                                 : QRect(QPoint(0, 0), f.window->size());
            const QRect placed(control->mapTo(f.window.get(), QPoint(0, 0)), control->size());
            const QRect inView = placed.intersected(seen);
            QVERIFY2(inView.width() >= std::min(placed.width(), seen.width()) - 1 &&
                         inView.height() >= std::min(placed.height(), seen.height()) - 1,
                     qPrintable(shown + QStringLiteral(": %1 at %2,%3 %4x%5 in %6,%7 %8x%9")
                                                                  .arg(control->objectName()).arg(placed.x()).arg(placed.y())
                                                                  .arg(placed.width()).arg(placed.height()).arg(seen.x())
                                                                  .arg(seen.y()).arg(seen.width()).arg(seen.height())));
        }
    }
    // The preview and the fields gone, the window is as it was before: its size and START's place.
    QCOMPARE(f.window->size(), designed);
    if (f.window->findChild<QScrollArea*>() == nullptr) {
        QCOMPARE(QRect(f.Start()->mapTo(f.window.get(), QPoint(0, 0)), f.Start()->size()), designedStart);
    }
}

void MainWindowTest::previewFollowsTheFileAndTheOptions() {
    WindowFixture f;
    auto* preview = f.Find<QCheckBox>("Check7");
    TrackPreviewPanel* panel = f.window->PreviewPanel();
    // Off unless asked for: the window is as designed.
    QVERIFY(!preview->isChecked() && preview->isEnabled());
    QVERIFY(panel->isHidden());
    const int designedWidth = f.window->width();
    preview->click();
    QVERIFY(!panel->isHidden());
    // Wider by the panel, the controls as wide as before; on a screen without
    // that room (the test's 800 px) the panel stands below the controls.
    if (panel->x() > f.Start()->geometry().right()) {
        QVERIFY(f.window->width() > designedWidth);
        QVERIFY2(f.window->width() <= designedWidth + panel->sizeHint().width() + 20,
                 qPrintable(QStringLiteral("%1 -> %2").arg(designedWidth).arg(f.window->width())));
    } else {
        QCOMPARE(f.window->width(), designedWidth);
        QVERIFY(panel->y() >= f.Start()->y());
    }
    QCOMPARE(panel->Note(), QStringLiteral("Select a file and press ANALYZE to see its track."));

    const QString walk = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    f.window->SelectInputFile(walk);
    QCOMPARE(panel->Note(), QStringLiteral("Press ANALYZE to see the track of the chosen file."));
    QVERIFY(panel->Picture().isEmpty());
    // The figures as a person reads them, in the window's locale.
    panel->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    f.Analyze()->click();
    // Every step of the walk is above 1 km/h; its altitudes waver within 5 m.
    QCOMPARE(panel->Figures(), QStringLiteral("Positions 300\nStart 12/8/26 10:15:30 UTC\nEnd 10:20:29 UTC\n"
                                              "Duration 4 min 59 s\nMoving time 4 min 59 s (above 1 km/h)\n"
                                              "Length 587 m\nTop speed 13.2 km/h\n"
                                              "Average speed 7.1 km/h (over the moving time)\n"
                                              "Climb 0 m up, 0 m down (changes over 5 m)\n"
                                              "Altitude 432\u2013437 m"));
    QVERIFY(panel->Picture().contains("<polyline"));
    QVERIFY(panel->Picture().contains("<title>walk.nmea</title>"));

    // A fixed altitude, once applied, is what the profile shows.
    f.Altitude()->click();
    AltitudeManipulation* altitude = f.window->AltitudeDialog();
    altitude->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    auto* value = altitude->findChild<QLineEdit*>(QStringLiteral("Text1"));
    value->selectAll();
    QTest::keyClicks(value, QStringLiteral("500"));
    QVERIFY(panel->Figures().endsWith(QStringLiteral("Altitude 432\u2013437 m")));  // not yet applied
    altitude->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QVERIFY2(panel->Figures().endsWith(QStringLiteral("Altitude 500 m")), qPrintable(panel->Figures()));

    // A fix at 0/0 counts only without elimination.
    QFile log(walk);
    QVERIFY(log.open(QIODevice::Append));
    log.write("$GPGGA,102030.00,0000.0000,N,00000.0000,E,1,08,0.9,432.5,M,48.0,M,,*6B\r\n");
    log.close();
    f.ChooseAndAnalyze(walk);
    QVERIFY2(panel->Figures().startsWith(QStringLiteral("Positions 300\n")), qPrintable(panel->Figures()));
    f.EliminateZero()->click();
    QVERIFY2(panel->Figures().startsWith(QStringLiteral("Positions 301\n")), qPrintable(panel->Figures()));
    // Thousands and decimals as the locale writes them, also when it changes.
    QVERIFY2(panel->Figures().contains(QStringLiteral("\nLength 5,335.2 km\n")), qPrintable(panel->Figures()));
    panel->setLocale(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY2(panel->Figures().contains(QStringLiteral("\nLength 5.335,2 km\n")), qPrintable(panel->Figures()));

    // Nothing recognised: a note, no picture.
    f.ChooseAndAnalyze(f.WriteSample(Sample::Unrecognised, QStringLiteral("list.txt")));
    QCOMPARE(panel->Note(), QStringLiteral("No track to show: no GPS data recognised in this file."));
    QVERIFY(panel->Picture().isEmpty());

    // Hidden again: the window as designed.
    preview->click();
    QVERIFY(panel->isHidden());
    QCOMPARE(f.window->width(), designedWidth);
}

void MainWindowTest::figuresAtTheirUnitsBoundaries() {
    // Each unit from its first value on; the locale's separators.
    const QLocale english(QLocale::English, QLocale::UnitedStates), german(QLocale::German, QLocale::Germany);
    QCOMPARE(DurationText(59.9, english), QStringLiteral("59 s"));
    QCOMPARE(DurationText(60, english), QStringLiteral("1 min 0 s"));
    QCOMPARE(DurationText(3599, english), QStringLiteral("59 min 59 s"));
    QCOMPARE(DurationText(3600, english), QStringLiteral("1 h 0 min"));
    QCOMPARE(DurationText(3'600'000, english), QStringLiteral("1,000 h 0 min"));
    QCOMPARE(LengthText(999.4, english), QStringLiteral("999 m"));
    QCOMPARE(LengthText(1000, english), QStringLiteral("1.00 km"));
    QCOMPARE(LengthText(9994, german), QStringLiteral("9,99 km"));
    QCOMPARE(LengthText(10000, german), QStringLiteral("10,0 km"));
    QCOMPARE(LengthText(1'234'773.7, german), QStringLiteral("1.234,8 km"));
    // A track whose times go back has no duration, and says so.
    TrackFigures figures;
    figures.records = 2;
    figures.hasTime = true;
    const auto duration = [&] {
        for (const FigureRow& row : ReadableFigures(figures, english)) {
            if (row.name == QStringLiteral("Duration")) return row.value;
        }
        return QString();
    };
    QCOMPARE(duration(), QStringLiteral("0 s"));
    figures.timesGoBack = true;
    QCOMPARE(duration(), QStringLiteral("none: the times go back"));
    // Heart rate and power only where positions give them.
    const auto row = [&](const QString& name) {
        for (const FigureRow& r : ReadableFigures(figures, english)) {
            if (r.name == name) return r.value;
        }
        return QStringLiteral("(none)");
    };
    QCOMPARE(row(QStringLiteral("Heart rate")), QStringLiteral("(none)"));
    figures.heartRate.Add(142);
    figures.heartRate.Add(181);
    figures.power.Add(1250);
    QCOMPARE(row(QStringLiteral("Heart rate")), QStringLiteral("162 bpm average, 181 max"));
    QCOMPARE(row(QStringLiteral("Power")), QStringLiteral("1,250 W average, 1,250 max"));
}

void MainWindowTest::captionsAndToolTips() {
    WindowFixture f;
    QCOMPARE(Caption(f.Analyze()->text()), QStringLiteral("ANALYZE SELECTED FILE !"));
    QCOMPARE(Caption(f.Start()->text()), QStringLiteral("START FILE PROCESSING !"));
    QCOMPARE(Caption(f.Table()->text()), QStringLiteral("Data table"));
    QCOMPARE(Caption(f.Kml()->text()), QStringLiteral("Google KML file"));
    QCOMPARE(Caption(f.Ovl()->text()), QStringLiteral("TOP OVL file"));
    QCOMPARE(Caption(f.Altitude()->text()), QStringLiteral("Apply altitude manipulation"));
    QCOMPARE(Caption(f.DecimalComma()->text()), QStringLiteral("Use comma as decimal point"));
    QCOMPARE(Caption(f.EliminateZero()->text()), QStringLiteral("Eliminate \"Zero\" positions"));
    QCOMPARE(f.Table()->toolTip(), QStringLiteral("for GP programs, such as EXCEL (TM) or MATHCAD (TM)"));
    QCOMPARE(f.Kml()->toolTip(), QStringLiteral("to draw the path onto GOOGLE (TM) world map"));
    QCOMPARE(f.DecimalComma()->toolTip(), QStringLiteral("e.g. for German EXCEL (TM)"));
    QCOMPARE(Caption(f.AnyTalker()->text()), QStringLiteral("Accept every satellite system"));
    QCOMPARE(Caption(f.VerifyChecksums()->text()), QStringLiteral("Skip sentences with a wrong checksum"));
    QCOMPARE(Caption(f.IgcGnssAltitude()->text()), QStringLiteral("GNSS altitude (IGC)"));
    QCOMPARE(Caption(f.AnyRecorder()->text()), QStringLiteral("Accept every flight recorder"));
    // With the other receiver options, on a line of its own below the first.
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QCOMPARE(f.AnyRecorder()->x(), f.AnyTalker()->x());
    QVERIFY(f.AnyRecorder()->y() > f.AnyTalker()->y());
    QVERIFY(f.Start()->y() > f.AnyRecorder()->y());
    for (const QCheckBox* box : {f.AnyTalker(), f.VerifyChecksums(), f.IgcGnssAltitude(), f.AnyRecorder()}) {
        QVERIFY2(!box->toolTip().isEmpty(), qPrintable(box->objectName()));
    }
    QCOMPARE(f.Find<QGroupBox>("Frame3")->title(), QStringLiteral("Input File"));
    QCOMPARE(f.Find<QGroupBox>("Frame2")->title(), QStringLiteral("Output Type"));
    QCOMPARE(f.Find<QGroupBox>("Frame1")->title(), QStringLiteral("Options"));
}

void MainWindowTest::mnemonicsAreUniqueAndTabReachesEveryControl() {
    WindowFixture f;
    QSet<QChar> keys;
    for (QAbstractButton* button : f.window->findChildren<QAbstractButton*>()) {
        const QString text = button->text();
        const qsizetype at = text.indexOf(u'&');
        QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(text));
        const QChar key = text[at + 1].toLower();
        QVERIFY2(!keys.contains(key), qPrintable(QStringLiteral("mnemonic %1 twice").arg(key)));
        keys.insert(key);
    }
    // Tab visits every control once, in a ring.
    QSet<QWidget*> visited;
    QWidget* widget = f.window.get();
    for (int i = 0; i < 1000 && (widget = widget->nextInFocusChain()) != f.window.get(); ++i) {
        if (widget->focusPolicy() & Qt::TabFocus) visited.insert(widget);
    }
    for (const char* name : {"Drive1", "Dir1", "File1", "Command2", "Option4", "Option5", "Option1", "Check2",
                             "Check1", "Check3", "Check4", "Check5", "Check6", "Check8", "Command1", "Text2"}) {
        QVERIFY2(visited.contains(f.Find<QWidget>(name)), name);
    }
}

void MainWindowTest::startBeforeAnyFileIsRefused() {
    WindowFixture f;
    const QString before = StateRow(f);
    f.Start()->click();
    QCOMPARE(f.Message(), QStringLiteral("No input file chosen. Select a file and press ANALYZE first."));
    QCOMPARE(StateRow(f), before);
    QVERIFY(f.asked.empty());
    QCOMPARE(f.ended, 0);
    QVERIFY(QDir(f.folder.path()).isEmpty());
}

void MainWindowTest::startBeforeAnythingWasRecognisedIsRefused() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Unrecognised, QStringLiteral("list.txt")));
    QVERIFY(f.Start()->isEnabled());
    f.Start()->click();
    QCOMPARE(f.Message(),
             QStringLiteral("No GPS data recognised yet. Select a file with GPS data and press ANALYZE first."));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.txt")});
    QCOMPARE(f.ended, 0);
}

void MainWindowTest::analyzeWithoutFileOnlyEnablesOutputTypes() {
    WindowFixture f;
    f.Analyze()->click();
    QCOMPARE(StateRow(f),
             QStringLiteral("analyze=1 start=1 types=111 selected=100 comma=0/0 altitude=0/0 zero=0/1"));
    QCOMPARE(f.Message(), Shown(kIntroductionText));
}

void MainWindowTest::choosingAFileLeavesOnlyAnalyze() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    f.ChooseAndAnalyze(path);
    f.Kml()->click();
    f.Altitude()->click();
    f.EliminateZero()->click();  // unticked by the user: choosing a file leaves it so

    QVERIFY(f.window->SelectInputFile(path));
    QCOMPARE(StateRow(f),
             QStringLiteral("analyze=1 start=0 types=000 selected=000 comma=0/0 altitude=0/0 zero=1/0"));
    QCOMPARE(f.InputPath()->text(), path);
    QCOMPARE(QString::fromStdString(f.settings.InputFilePath), path);
    QCOMPARE(QString::fromStdString(f.window->InputDirectory()), f.folder.path());
    QVERIFY(!f.settings.EliminateZeroPositions);
}

void MainWindowTest::fileOnTheCommandLineIsChosen() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    // A relative name is taken from the working directory, as a shell gives it.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(f.folder.path());
    const bool chosen =
        OpenCommandLineFile(*f.window, {QStringLiteral("torvane"), QStringLiteral("walk.nmea")});
    QDir::setCurrent(previous);
    QVERIFY(chosen);
    WindowFixture clicked;
    QVERIFY(clicked.window->SelectInputFile(clicked.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"))));
    QCOMPARE(StateRow(f), StateRow(clicked));
    QVERIFY(f.Analyze()->isEnabled());
    QCOMPARE(f.InputPath()->text(), path);
    QCOMPARE(f.window->findChild<QListView*>(QStringLiteral("File1"))->currentIndex().data().toString(),
             QStringLiteral("walk.nmea"));
    QCOMPARE(QString::fromStdString(f.window->InputDirectory()), f.folder.path());
}

void MainWindowTest::fileListShowsTheChosenFileAtEveryStart() {
    // Started with a file, the file list shows the file's folder with the
    // file selected, however the listing of the folders around it goes.
    for (int start = 0; start < 24; ++start) {
        WindowFixture f;
        // In a folder of the home drive or of the root drive, as the program starts: chosen, then shown.
        QTemporaryDir folder(start % 2 == 0 ? QDir::home().filePath(QStringLiteral("torvane-XXXXXX")) : QString());
        const QString path = folder.filePath(QStringLiteral("walk.nmea"));
        WriteSampleFile(Sample::Gga, path);
        for (int i = 0; i < 20; ++i) WriteSampleFile(Sample::Gga, folder.filePath(QStringLiteral("other-%1.nmea").arg(i)));
        QVERIFY(OpenCommandLineFile(*f.window, {QStringLiteral("torvane"), path}));
        f.window->show();
        QTest::qWait(start % 3 == 0 ? 400 : 50 * (start % 3));
        auto* files = f.Find<QListView>("File1");
        const QModelIndex chosen = files->currentIndex();
        QVERIFY2(chosen.isValid(), qPrintable(QStringLiteral("start %1").arg(start)));
        QCOMPARE(chosen.data().toString(), QStringLiteral("walk.nmea"));
        QCOMPARE(chosen.parent(), files->rootIndex());
        QVERIFY(!files->isRowHidden(chosen.row()));
        int shown = 0;
        for (int row = 0; row < files->model()->rowCount(files->rootIndex()); ++row) shown += files->isRowHidden(row) ? 0 : 1;
        QCOMPARE(shown, 21);
    }
}

void MainWindowTest::missingFileOnTheCommandLineLeavesTheStartState() {
    WindowFixture f;
    const QString before = StateRow(f), message = f.Message();
    QVERIFY(!OpenCommandLineFile(*f.window, {QStringLiteral("torvane")}));
    QCOMPARE(f.Message(), message);
    // A path that names no regular file: nothing chosen, and the reason.
    QVERIFY(QDir(f.folder.path()).mkdir(QStringLiteral("logs")));
    QVERIFY(::mkfifo(QFile::encodeName(f.Path(QStringLiteral("receiver"))).constData(), 0600) == 0);
    const struct {
        const char* name;
        const char* reason;
    } rows[] = {{"none.nmea", std::strerror(ENOENT)}, {"logs", std::strerror(EISDIR)}, {"receiver", "not a regular file"}};
    for (const auto& row : rows) {
        const QString path = f.Path(QString::fromLatin1(row.name));
        QVERIFY(!OpenCommandLineFile(*f.window, {QStringLiteral("torvane"), path}));
        QCOMPARE(f.Message(), QStringLiteral("Cannot read input file %1: %2.").arg(path, QString::fromUtf8(row.reason)));
        QCOMPARE(StateRow(f), before);
        QVERIFY(f.InputPath()->text().isEmpty());
    }
}

void MainWindowTest::analysisMessageAndState_data() {
    QTest::addColumn<Sample>("sample");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("state");
    const QString choose = QStringLiteral("\nChose output file type and options then press START. ");
    const QString altitudeOn = QStringLiteral("analyze=0 start=1 types=111 selected=100 comma=1/0 altitude=1/0 zero=1/1");
    const QString altitudeOff = QStringLiteral("analyze=0 start=1 types=111 selected=100 comma=1/0 altitude=0/0 zero=1/1");
    QTest::newRow("GGA") << Sample::Gga << "walk.nmea"
                         << "NMEA GPGGA data found. \nSelect options then press START. " << altitudeOn;
    QTest::newRow("GLL") << Sample::Gll << "harbour.nmea" << "NMEA GPGLL data found. " + choose << altitudeOff;
    QTest::newRow("RMC") << Sample::Rmc << "drive.nmea" << "NMEA GPRMC data found. " + choose << altitudeOff;
    QTest::newRow("IGC") << Sample::Igc << "flight.igc" << "IGC data found. " + choose << altitudeOn;
    QTest::newRow("GPX") << Sample::Gpx << "walk.gpx" << "GPX TRK data found. " + choose << altitudeOn;
    QTest::newRow("TCX") << Sample::Tcx << "laps.tcx" << "TCX data found. " + choose << altitudeOn;
    QTest::newRow("FIT") << Sample::Fit << "ride.fit" << "FIT data found. " + choose << altitudeOn;
    QTest::newRow("unrecognised") << Sample::Unrecognised << "list.txt"
                                  << "Could not recognize data in selected file  %1." << altitudeOff;
}

void MainWindowTest::analysisMessageAndState() {
    QFETCH(Sample, sample);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, state);
    WindowFixture f;
    const QString path = f.WriteSample(sample, name);
    f.window->SelectInputFile(path);
    f.DecimalComma()->setChecked(true);  // cleared by the analysis
    f.ChooseAndAnalyze(path);
    QCOMPARE(f.Message(), message.contains(QStringLiteral("%1")) ? message.arg(path) : message);
    QCOMPARE(StateRow(f), state);
    QCOMPARE(DataTypeWord(f.settings.DataType), std::string_view(DataTypeOf(sample)));
    if (sample == Sample::Gpx) {
        // The run converts the copy with CR LF line ends.
        QCOMPARE(QString::fromStdString(f.settings.InputFilePath), f.Path(QStringLiteral("walk_CRLF.gpx")));
        QVERIFY(QFile::exists(f.Path(QStringLiteral("walk_CRLF.gpx"))));
    }
}

void MainWindowTest::unrecognisedFileKeepsTheEarlierDataType() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Rmc, QStringLiteral("drive.nmea")));
    f.ChooseAndAnalyze(f.WriteSample(Sample::Unrecognised, QStringLiteral("list.txt")));
    QCOMPARE(f.settings.DataType, DataKind::GPRMC);
    QVERIFY(f.Start()->isEnabled());
    QVERIFY(!f.Altitude()->isEnabled());
}

void MainWindowTest::unreadableFileIsReportedInTheMessageArea() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("gone.nmea"));
    f.window->SelectInputFile(path);
    QFile::remove(path);
    f.Analyze()->click();
    QVERIFY2(f.Message().startsWith(QStringLiteral("Cannot read input file ") + path), qPrintable(f.Message()));
    // Only ANALYZE stays available, to try again or choose another file.
    QCOMPARE(StateRow(f),
             QStringLiteral("analyze=1 start=0 types=000 selected=100 comma=0/0 altitude=0/0 zero=0/1"));
    QCOMPARE(f.settings.DataType, DataKind::None);
}

void MainWindowTest::tableAndKmlSwitchTheDecimalComma() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.DecimalComma()->click();
    QVERIFY(f.settings.UseDecimalComma);
    f.Kml()->click();
    QVERIFY(!f.DecimalComma()->isEnabled());
    QVERIFY(!f.DecimalComma()->isChecked());
    QVERIFY(!f.settings.UseDecimalComma);
    f.Table()->click();
    QVERIFY(f.DecimalComma()->isEnabled());
    QVERIFY(!f.DecimalComma()->isChecked());
    f.DecimalComma()->click();
    f.Ovl()->click();
    QVERIFY(!f.DecimalComma()->isEnabled());
    QVERIFY(!f.DecimalComma()->isChecked());
}

void MainWindowTest::outputTypesAndAltitudeShowTheirDialogs() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    QVERIFY(f.window->TrackPlotDialog() == nullptr);

    f.Kml()->click();
    QVERIFY(f.window->TrackPlotDialog() != nullptr);
    QVERIFY(f.window->TrackPlotDialog()->isVisible());
    QVERIFY(!f.window->TrackPlotDialog()->isModal());

    f.Ovl()->click();
    QVERIFY(f.window->OverlayDialog()->isVisible());
    QVERIFY(!f.window->OverlayDialog()->isModal());

    // Ticking and unticking both show the altitude dialog, focus on Continue.
    f.Altitude()->click();
    AltitudeManipulation* altitude = f.window->AltitudeDialog();
    QVERIFY(altitude->isVisible());
    QVERIFY(!altitude->isModal());
    auto* continueButton = altitude->findChild<QPushButton*>(QStringLiteral("Command1"));
    QTRY_COMPARE(QApplication::focusWidget(), continueButton);
    altitude->hide();
    f.Altitude()->click();
    QVERIFY(!f.Altitude()->isChecked());
    QVERIFY(altitude->isVisible());
    QCOMPARE(f.window->AltitudeDialog(), altitude);  // the same dialog, kept while hidden
}

void MainWindowTest::closedDialogIsMadeAfresh() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Ovl()->click();
    auto* width = f.window->OverlayDialog()->findChild<QLineEdit*>(QStringLiteral("Text3"));
    width->setText(QStringLiteral("7"));
    QCOMPARE(f.settings.OvlProperties.lineWidth, std::string("7"));

    f.window->OverlayDialog()->hide();  // hidden: kept as it is
    f.Ovl()->click();
    QCOMPARE(f.window->OverlayDialog()->findChild<QLineEdit*>(QStringLiteral("Text3"))->text(), QStringLiteral("7"));

    f.window->OverlayDialog()->close();  // closed: made afresh next time
    QVERIFY(f.window->OverlayDialog() == nullptr);
    QCOMPARE(f.ended, 0);
    f.Ovl()->click();
    QCOMPARE(f.window->OverlayDialog()->findChild<QLineEdit*>(QStringLiteral("Text3"))->text(), QStringLiteral("4"));
    QCOMPARE(f.settings.OvlProperties.lineWidth, std::string("4"));
}

void MainWindowTest::dialogsOpenBesideTheMainWindow() {
    WindowFixture f;
    f.window->resize(500, 400);
    f.window->move(0, 0);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    f.Altitude()->click();
    const QRect screen = f.window->screen()->availableGeometry();
    const QRect start(f.Start()->mapToGlobal(QPoint(0, 0)), f.Start()->size());
    for (QWidget* dialog : {static_cast<QWidget*>(f.window->TrackPlotDialog()), static_cast<QWidget*>(f.window->AltitudeDialog())}) {
        QVERIFY(dialog->isVisible());
        const QRect placed = dialog->frameGeometry();
        QVERIFY2(!placed.intersects(start), qPrintable(dialog->objectName()));
        QVERIFY2(placed.left() >= screen.left() && placed.top() >= screen.top(), qPrintable(dialog->objectName()));
    }
}

void MainWindowTest::clickInTheFileListChoosesTheFile() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    f.WriteSample(Sample::Rmc, QStringLiteral("drive.nmea"));
    f.window->SelectInputFile(f.Path(QStringLiteral("drive.nmea")));
    f.ChooseAndAnalyze(f.Path(QStringLiteral("drive.nmea")));
    QVERIFY(!f.Analyze()->isEnabled());

    auto* files = f.Find<QListView>("File1");
    auto* model = qobject_cast<FolderFileModel*>(files->model());
    QModelIndex index;
    QTRY_VERIFY((index = model->IndexOfName("walk.nmea")).isValid() && !files->visualRect(index).isEmpty());
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(index).center());
    QCOMPARE(f.InputPath()->text(), path);
    QVERIFY(f.Analyze()->isEnabled());
    QVERIFY(!f.Start()->isEnabled());
}

void MainWindowTest::fileDeletedFromOutsideStaysChosen() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.WriteSample(Sample::Gga, QStringLiteral("a-walk.nmea"));
    const QString victim = f.WriteSample(Sample::Gga, QStringLiteral("b-victim.nmea"));
    f.WriteSample(Sample::Gga, QStringLiteral("c-walk.nmea"));
    QVERIFY(f.window->SelectInputFile(victim));
    auto* files = f.Find<QListView>("File1");
    auto* model = qobject_cast<FolderFileModel*>(files->model());
    QTRY_VERIFY(model->IndexOfName("c-walk.nmea").isValid());
    f.Analyze()->click();
    QCOMPARE(f.InputPath()->text(), victim);

    QVERIFY(QFile::remove(victim));
    QTRY_VERIFY_WITH_TIMEOUT(!model->IndexOfName("b-victim.nmea").isValid(), 10000);
    QTest::qWait(200);
    QCOMPARE(f.InputPath()->text(), victim);
}

void MainWindowTest::fileListShowsNoFolders() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QVERIFY(f.window->SelectInputFile(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"))));
    auto* drives = f.Find<QComboBox>("Drive1");
    const int root = drives->findData(QDir::rootPath());
    if (root < 0) QSKIP("the drive list holds no root volume here");
    drives->setCurrentIndex(root == 0 ? 1 : 0);
    QTest::qWait(300);
    drives->setCurrentIndex(root);
    auto* files = f.Find<QListView>("File1");
    auto* model = files->model();
    QTest::qWait(500);
    // The folders on the way to the file chosen before are folders still.
    QStringList shown;
    for (int row = 0; row < model->rowCount(files->rootIndex()); ++row) {
        if (!files->isRowHidden(row)) shown << model->index(row, 0, files->rootIndex()).data().toString();
    }
    for (const QString& name : shown) QVERIFY2(!QFileInfo(QDir::root().filePath(name)).isDir(), qPrintable(name));
}

void MainWindowTest::capitalsWithMarksFitTheirRows() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QVERIFY(f.window->SelectInputFile(f.WriteSample(Sample::Gga, QStringLiteral("Flug \u00d6 \u00c5.nmea"))));
    // The marks above capitals rise higher than the font's ascent; the row,
    // its text centred, leaves them room at its top.
    for (const QAbstractItemView* list :
         {static_cast<const QAbstractItemView*>(f.Find<QListView>("File1")),
          static_cast<const QAbstractItemView*>(f.Find<QTreeView>("Dir1"))}) {
        const QModelIndex row = list == f.Find<QListView>("File1") ? list->currentIndex() : list->model()->index(0, 0, list->rootIndex());
        QTRY_VERIFY(row.isValid());
        const QFontMetrics metrics(list->font());
        const int rise = std::max(0, -metrics.tightBoundingRect(QStringLiteral("\u00c5\u00d6\u00c9")).top() - metrics.ascent());
        QVERIFY2(list->visualRect(row).height() >= metrics.height() + 2 * rise,
                 qPrintable(QStringLiteral("%1 row %2 px, text %3 px, marks %4 px above").arg(list->objectName())
                                .arg(list->visualRect(row).height()).arg(metrics.height()).arg(rise)));
    }
}

void MainWindowTest::droppedFileIsChosen() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Igc, QStringLiteral("flight.igc"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.window.get(), &drop);
    QCOMPARE(f.InputPath()->text(), path);
    QCOMPARE(QString::fromStdString(f.settings.InputFilePath), path);
    // The file list follows.
    auto* files = f.Find<QListView>("File1");
    auto* model = qobject_cast<FolderFileModel*>(files->model());
    QCOMPARE(model->Folder(), QFile::encodeName(f.folder.path()));
    QCOMPARE(model->NameAt(files->currentIndex()), QByteArray("flight.igc"));

    // A folder is not a file to convert.
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(f.folder.path())});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(f.window.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void MainWindowTest::closingTheWindowEndsTheProgram() {
    WindowFixture f;
    f.window->show();
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    f.window->TrackPlotDialog()->close();  // a dialog's close box does not end it
    QCOMPARE(f.ended, 0);
    f.window->close();
    QCOMPARE(f.ended, 1);
}

void MainWindowTest::messageBoxesCarryTheirButtons() {
    const MessageRequest question = OverwriteQuestion();
    const auto box = BuildMessageBox(question, nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("File Warning"));
    QCOMPARE(box->text(), QStringLiteral("Output file exists! Overwrite?"));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));

    const auto refusal = BuildMessageBox(OverwriteRefusal(), nullptr);
    QCOMPARE(refusal->text(),
             QStringLiteral("Move existing file to another directory and try again!\nProgram will be terminated."));
    QCOMPARE(refusal->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(refusal->icon(), QMessageBox::Warning);
}

void MainWindowTest::progressDialogOnlyForLongWork() {
    QWidget parent;
    QString status;
    ProgressReporter quick(&parent, QStringLiteral("Analysing"), [&](const QString& text) { status = text; });
    quick.Hooks()->status("I am busy");
    QCOMPARE(status, QStringLiteral("I am busy"));
    quick.Hooks()->progress(1 << 20, 4 << 20);
    QCOMPARE(quick.Dialog()->value(), 250);
    QVERIFY(!quick.Dialog()->isVisible());

    ProgressReporter slow(&parent, QStringLiteral("Converting"), {});
    QTest::qSleep(1100);
    slow.Hooks()->progress(1 << 20, 4 << 20);
    QVERIFY(slow.Dialog()->isVisible());
    QCOMPARE(slow.Dialog()->labelText(), QStringLiteral("Converting"));
}

void MainWindowTest::receiverOptionsFollowTheAnalysis_data() {
    QTest::addColumn<Sample>("sample");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("state");
    QTest::newRow("GGA") << Sample::Gga << "walk.nmea" << "talker=1/0 checksum=1/0 gnss=0/0 recorder=1/0";
    QTest::newRow("IGC") << Sample::Igc << "flight.igc" << "talker=1/0 checksum=1/0 gnss=1/0 recorder=1/0";
    QTest::newRow("GPX") << Sample::Gpx << "walk.gpx" << "talker=1/0 checksum=1/0 gnss=0/0 recorder=1/0";
}

void MainWindowTest::receiverOptionsFollowTheAnalysis() {
    QFETCH(Sample, sample);
    QFETCH(QString, name);
    QFETCH(QString, state);
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(sample, name));
    QCOMPARE(ReceiverRow(f), state);
    // The altitude source is a choice for this file only: choosing a file clears it.
    if (f.IgcGnssAltitude()->isEnabled()) f.IgcGnssAltitude()->click();
    f.window->SelectInputFile(f.WriteSample(Sample::Igc, QStringLiteral("next.igc")));
    QCOMPARE(ReceiverRow(f), QStringLiteral("talker=1/0 checksum=1/0 gnss=0/0 recorder=1/0"));
    QVERIFY(!f.settings.IgcGnssAltitude);
}

void MainWindowTest::receiverOptionsDuringAndAfterARun() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Igc, QStringLiteral("flight.igc"));
    WriteBytes(f.Path(QStringLiteral("flight_IGC.prn")), "old");  // so that the run asks, while it runs
    f.ChooseAndAnalyze(path);
    f.AnyTalker()->click();
    f.VerifyChecksums()->click();
    f.AnyRecorder()->click();  // analyses again, which clears the altitude source
    f.IgcGnssAltitude()->click();
    QString during;
    f.whileAsking = [&] { during = ReceiverRow(f); };
    f.Start()->click();
    QCOMPARE(f.asked.size(), std::size_t{1});
    QCOMPARE(during, QStringLiteral("talker=0/1 checksum=0/1 gnss=0/1 recorder=0/1"));
    // The run's reset keeps the sentence rules for the next file.
    QCOMPARE(ReceiverRow(f), QStringLiteral("talker=1/1 checksum=1/1 gnss=0/0 recorder=1/1"));
    QVERIFY(f.settings.AcceptAnyTalker && f.settings.VerifyChecksums && !f.settings.IgcGnssAltitude &&
            f.settings.AcceptAnyRecorder);
    // With the input box empty a change analyses nothing.
    const QString message = f.Message();
    f.AnyTalker()->click();
    QCOMPARE(f.Message(), message);
    QVERIFY(!f.Start()->isEnabled());
}

void MainWindowTest::gnssAltitudeReachesTheTable_data() {
    QTest::addColumn<bool>("gnss");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::newRow("pressure altitude") << false << QByteArray(" 036930.00  47.3909333  008.5353833  0432.00");
    QTest::newRow("GNSS altitude") << true << QByteArray(" 036930.00  47.3909333  008.5353833  0450.00");
}

void MainWindowTest::gnssAltitudeReachesTheTable() {
    QFETCH(bool, gnss);
    QFETCH(QByteArray, firstLine);
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Igc, QStringLiteral("flight.igc")));
    if (gnss) f.IgcGnssAltitude()->click();
    f.Start()->click();
    const QByteArray table = ReadAll(f.Path(QStringLiteral("flight_IGC.prn")));
    QVERIFY2(table.startsWith(firstLine + "\r\n"), table.constData());
    QCOMPARE(table.count('\n'), 4);  // the fix marked "V" is not written either way
}

void MainWindowTest::sentenceRulesAnalyseTheFileAgain_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const QString notRecognised = QStringLiteral("Could not recognize data in selected file  %1.");
    const QString gga = QStringLiteral("NMEA GPGGA data found. \nSelect options then press START. ");
    const QString hint = QStringLiteral("\n") + Shown(OtherTalkersHint("\"Accept every satellite system\""));
    const auto lines = [](const std::string& sentence) {
        return QByteArray::fromStdString(torvane::test::Repeat(sentence + "\r\n", 3));
    };
    QTest::newRow("other talker, accept every system") << lines(GnggaSentence()) << "Check4" << notRecognised + hint << gga;
    QTest::newRow("wrong checksum, skip wrong checksums") << lines(WrongChecksumGga()) << "Check5" << gga << notRecognised;
    QTest::newRow("right checksum, skip wrong checksums") << lines(torvane::test::kExampleGga) << "Check5" << gga << gga;
    QTest::newRow("other talker with a wrong checksum") << lines("$GNGGA" + WrongChecksumGga().substr(6)) << "Check5"
                                                        << notRecognised + hint << notRecognised;
    // A flight app's IGC file: its date line alone among the header lines.
    const QString igc = QStringLiteral("IGC data found. \nChose output file type and options then press START. ");
    const QString recorderHint =
        QStringLiteral("\n") + Shown(FewIgcHeadersHint("\"Accept every flight recorder\""));
    const QByteArray fixes = "B1015304723456N00832123EA0043200450\r\nB1015354723460N00832130EA0043500452\r\n"
                             "B1015404723466N00832141EA0043900455\r\n";
    QTest::newRow("date line alone, accept every recorder") << "HFDTEDATE:150807,01\r\n" + fixes << "Check8"
                                                             << notRecognised + recorderHint << igc;
    QTest::newRow("no date line, no A record") << "HFPLTPILOT:Ada\r\n" + fixes << "Check8" << notRecognised
                                               << notRecognised;
}

void MainWindowTest::sentenceRulesAnalyseTheFileAgain() {
    QFETCH(QByteArray, log);
    QFETCH(QString, box);
    QFETCH(QString, before);
    QFETCH(QString, after);
    WindowFixture f;
    const QString path = f.Path(QStringLiteral("receiver.nmea"));
    WriteBytes(path, log.toStdString());
    f.ChooseAndAnalyze(path);
    const auto withPath = [&path](const QString& message) {
        return message.contains(QStringLiteral("%1")) ? message.arg(path) : message;
    };
    QCOMPARE(f.Message(), withPath(before));
    f.Kml()->click();  // the analysis selects Table again, as ANALYZE does
    f.Find<QCheckBox>(box.toLatin1().constData())->click();
    QCOMPARE(f.Message(), withPath(after));
    // Not recognised now: the data type is the one of the files before it (none here), as for any file
    // not recognised, not the one the old rules found in it.
    const DataKind recognised = after.contains(QStringLiteral("GPGGA")) ? DataKind::GPGGA
                                : after.contains(QStringLiteral("IGC"))  ? DataKind::GPIGC
                                                                         : DataKind::None;
    QCOMPARE(f.settings.DataType, recognised);
    QCOMPARE(f.settings.DetectedRecordCount, recognised != DataKind::None ? 3 : 0);
    QCOMPARE(StateRow(f), QStringLiteral("analyze=0 start=1 types=111 selected=100 comma=1/0 altitude=%1/0 zero=1/1")
                              .arg(recognised != DataKind::None ? 1 : 0));
}

void MainWindowTest::sentenceRulesBeforeAnalysisAnalyseNothing() {
    WindowFixture f;
    const QString path = f.Path(QStringLiteral("receiver.nmea"));
    WriteBytes(path, torvane::test::Repeat(GnggaSentence() + "\r\n", 2));
    QVERIFY(f.window->SelectInputFile(path));
    f.AnyTalker()->click();
    QCOMPARE(f.Message(), Shown(kIntroductionText));
    QVERIFY(f.Analyze()->isEnabled());
    QVERIFY(f.settings.AcceptAnyTalker);
    f.Analyze()->click();  // the box ticked beforehand counts
    QCOMPARE(f.settings.DataType, DataKind::GPGGA);
    QCOMPARE(f.Message(), QStringLiteral("NMEA GPGGA data found. \nSelect options then press START. "));
}

void MainWindowTest::noRunAfterAReanalysisRecognisedNothing() {
    // One sentence with a right checksum, one with a wrong one: recognised
    // only while wrong checksums count.
    WindowFixture f;
    const QString path = f.Path(QStringLiteral("drive.nmea"));
    std::string wrong = torvane::test::kExampleRmc;
    wrong.replace(wrong.find('*') + 1, 2, "00");
    WriteBytes(path, std::string(torvane::test::kExampleRmc) + "\r\n" + wrong + "\r\n");
    f.AnyTalker()->click();
    f.ChooseAndAnalyze(path);
    QCOMPARE(f.settings.DataType, DataKind::GPRMC);
    f.VerifyChecksums()->click();
    QCOMPARE(f.Message(), QStringLiteral("Could not recognize data in selected file  %1.").arg(path));
    // As after ANALYZE of any file not recognised in a fresh window.
    WindowFixture fresh;
    fresh.AnyTalker()->click();
    fresh.VerifyChecksums()->click();
    fresh.ChooseAndAnalyze(path);
    QCOMPARE(StateRow(f), StateRow(fresh));
    QCOMPARE(f.settings.DataType, fresh.settings.DataType);
    f.Start()->click();
    QCOMPARE(f.Message(),
             QStringLiteral("No GPS data recognised yet. Select a file with GPS data and press ANALYZE first."));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("drive.nmea")});
}

void MainWindowTest::fileNamesThatAreNotUtf8AreListedAndConverted() {
    WindowFixture f;
    const QByteArray folder = QFile::encodeName(f.folder.path());
    const QByteArray latin1 = folder + "/M\xfcnchen.nmea";  // Latin-1, not UTF-8
    const std::string log = torvane::test::Repeat(torvane::test::kExampleGga + "\r\n", 3);
    QVERIFY(WriteRaw(latin1, log));
    f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    // Listed, shown as Latin-1, and chosen by a click.
    QVERIFY(f.window->SelectInputFile(f.Path(QStringLiteral("walk.nmea"))));
    auto* files = f.Find<QListView>("File1");
    QStringList shown;
    for (int row = 0; row < files->model()->rowCount(files->rootIndex()); ++row) {
        shown << files->model()->index(row, 0, files->rootIndex()).data().toString();
    }
    QCOMPARE(shown, (QStringList{QStringLiteral("M\u00fcnchen.nmea"), QStringLiteral("walk.nmea")}));
    files->setCurrentIndex(files->model()->index(0, 0, files->rootIndex()));
    QCOMPARE(f.InputPath()->text(), f.Path(QStringLiteral("M\u00fcnchen.nmea")));
    QCOMPARE(f.settings.InputFilePath, latin1.toStdString());
    f.Analyze()->click();
    QCOMPARE(f.settings.DataType, DataKind::GPGGA);
    f.Start()->click();
    QVERIFY2(f.Message().startsWith(QStringLiteral("3 GPGGA data sets written to file ") +
                                    f.Path(QStringLiteral("M\u00fcnchen_GGA.prn"))),
             qPrintable(f.Message()));
    QVERIFY(std::filesystem::is_regular_file((folder + "/M\xfcnchen_GGA.prn").toStdString()));

    // Named on the command line, as its bytes.
    WindowFixture started;
    QVERIFY(OpenCommandLineFile(*started.window, QByteArrayList{"torvane", latin1}));
    QCOMPARE(started.settings.InputFilePath, latin1.toStdString());
    QCOMPARE(started.Find<QListView>("File1")->currentIndex().data().toString(), QStringLiteral("M\u00fcnchen.nmea"));
    QVERIFY(started.Analyze()->isEnabled());
}

void MainWindowTest::reanalysisOfAGpxFileReadsTheChosenFile() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gpx, QStringLiteral("walk.gpx")));
    f.VerifyChecksums()->click();
    QCOMPARE(f.Message(), QStringLiteral("GPX TRK data found. \nChose output file type and options then press START. "));
    QCOMPARE(QString::fromStdString(f.settings.InputFilePath), f.Path(QStringLiteral("walk_CRLF.gpx")));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("walk.gpx"), QStringLiteral("walk_CRLF.gpx")}));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
