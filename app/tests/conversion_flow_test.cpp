// Conversion runs started from the main window: every input kind to every
// output type, the count message, the overwrite question, the end of the
// program, failures, and the state the window is left in.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "altitude_manipulation.h"
#include "top_ovl_properties.h"
#include "track_plot_form.h"
#include "window_fixture.h"

using namespace torvane;
using namespace torvane::app;
using namespace torvane::app::test;

Q_DECLARE_METATYPE(torvane::app::test::Sample)
Q_DECLARE_METATYPE(torvane::OutputKind)

namespace {

QString CountMessage(std::int64_t count, const char* dataType, const QString& outputPath) {
    return QStringLiteral("%1 %2 data sets written to file %3.\nChose a new file for processing or exit the program.")
        .arg(count)
        .arg(QLatin1String(dataType), outputPath);
}

// Picks the output type as the user would; the dialogs it opens are left
// with Continue.
void ChooseOutput(WindowFixture& f, OutputKind output) {
    switch (output) {
        case OutputKind::Table: f.Table()->click(); break;
        case OutputKind::KML:
            f.Kml()->click();
            f.window->TrackPlotDialog()->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            break;
        case OutputKind::OVL:
            f.Ovl()->click();
            f.window->OverlayDialog()->findChild<QPushButton*>(QStringLiteral("OVL_Continue"))->click();
            break;
        case OutputKind::GPX:
        case OutputKind::GeoJSON:
        case OutputKind::None: break;
    }
}

// The altitudes of a KML document's coordinate lines.
QList<double> KmlAltitudes(const QByteArray& kml) {
    QList<double> altitudes;
    const qsizetype from = kml.indexOf("<coordinates>\r\n");
    const qsizetype to = kml.indexOf("</coordinates>");
    if (from < 0 || to < from) return altitudes;
    const QByteArray lines = kml.mid(from + 15, to - from - 15);
    for (const QByteArray& line : lines.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() == 3) altitudes << fields[2].trimmed().toDouble();
    }
    return altitudes;
}

// The state of the window after a run of Table or KML output.
void VerifyResetAfterRun(WindowFixture& f) {
    QVERIFY(!f.Start()->isEnabled());
    QVERIFY(!f.Analyze()->isEnabled());
    QVERIFY(!f.Table()->isEnabled() && !f.Kml()->isEnabled() && !f.Ovl()->isEnabled());
    QVERIFY(!f.DecimalComma()->isEnabled() && !f.DecimalComma()->isChecked());
    QVERIFY(!f.Altitude()->isEnabled() && !f.Altitude()->isChecked());
    QVERIFY(f.InputPath()->text().isEmpty());
    QVERIFY(f.window->TrackPlotDialog() != nullptr);
    QVERIFY(!f.window->TrackPlotDialog()->isVisible());
    AltitudeManipulation* altitude = f.window->AltitudeDialog();
    QVERIFY(altitude != nullptr);
    QVERIFY(!altitude->isVisible());
    QCOMPARE(altitude->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("0"));
    QVERIFY(altitude->findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked());
    QCOMPARE(f.settings.AltitudeValue, 0.0f);
}

}  // namespace

class ConversionFlowTest : public QObject {
    Q_OBJECT

private slots:
    void everyInputToEveryOutput_data();
    void everyInputToEveryOutput();
    void existingOutputIsReplacedOnYes();
    void existingOutputRefusedEndsTheProgram();
    void cancelKeepsTheExistingOutput();
    void failedRunIsReportedAndDoesNotEnd_data();
    void failedRunIsReportedAndDoesNotEnd();
    void runWithNothingToWrite_data();
    void runWithNothingToWrite();
    void datedOutputsTakeTheDateOfTheFirstPosition();
    void shapeTheTrackReachesTheRun();
    void runWithNothingToWriteKeepsTheExistingFile();
    void hintsTheAccountAndPositionsWithoutAFix();
    void gpxCopyAsksBeforeReplacingAnotherFile();
    void closingADialogStoresWhatItShows_data();
    void closingADialogStoresWhatItShows();
    void kmlDialogSettingsReachTheDocument();
    void kmlDialogShowsWhatTheNextFileGets();
    void overlayDialogSettingsReachTheDocument();
    void decimalCommaReachesTheTable();
    void altitudeSettingsApplyOnceAndAreResetAfterTheRun();
    void altitudeDialogMadeAfreshAppliesWhatItShows();
    void secondFileUsesItsOwnDataType();
};

void ConversionFlowTest::everyInputToEveryOutput_data() {
    QTest::addColumn<Sample>("sample");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("converted");  // the file the run reads
    QTest::addColumn<OutputKind>("output");
    QTest::addColumn<QString>("outputName");
    QTest::addColumn<qint64>("expectedSets");  // data sets in the sample
    const struct {
        const char* tag;
        Sample sample;
        const char* name;
        const char* converted;
        const char* base;
        qint64 expected;
    } inputs[] = {
        {"GGA", Sample::Gga, "walk.2009.nmea", "walk.2009.nmea", "walk_GGA", 300},  // 300 fixes
        {"IGC", Sample::Igc, "flight.igc", "flight.igc", "flight_IGC", 4},          // 5 B records, one flagged V
        {"GPX", Sample::Gpx, "hike.gpx", "hike_CRLF.gpx", "hike_CRLF_GXT", 3},      // 3 track points
        {"TCX", Sample::Tcx, "laps.tcx", "laps.tcx", "laps_TCX", 4},                // 4 trackpoints with a position
        {"FIT", Sample::Fit, "ride.fit", "ride.fit", "ride_FIT", 6},                // 7 records, one without a position
    };
    const struct {
        const char* tag;
        OutputKind kind;
        const char* extension;
    } outputs[] = {{"table", OutputKind::Table, ".prn"}, {"KML", OutputKind::KML, ".kml"}, {"OVL", OutputKind::OVL, ".ovl"}};
    for (const auto& input : inputs) {
        for (const auto& output : outputs) {
            QTest::addRow("%s to %s", input.tag, output.tag)
                << input.sample << QString::fromLatin1(input.name) << QString::fromLatin1(input.converted)
                << output.kind << QString::fromLatin1(input.base) + QLatin1String(output.extension)
                << input.expected;
        }
    }
}

void ConversionFlowTest::everyInputToEveryOutput() {
    QFETCH(Sample, sample);
    QFETCH(QString, name);
    QFETCH(QString, converted);
    QFETCH(OutputKind, output);
    QFETCH(QString, outputName);
    QFETCH(qint64, expectedSets);
    const std::int64_t expected = expectedSets;

    WindowFixture f;
    const QString path = f.WriteSample(sample, name);
    f.ChooseAndAnalyze(path);
    ChooseOutput(f, output);
    f.Start()->click();

    const QString outputPath = f.Path(outputName);
    QVERIFY2(QFile::exists(outputPath), qPrintable(f.Message()));
    QCOMPARE(QString::fromStdString(f.settings.InputFilePath), f.Path(converted));
    QCOMPARE(f.settings.RecordCount, expected);
    QVERIFY(f.asked.empty());
    const QByteArray written = ReadAll(outputPath);
    switch (output) {
        case OutputKind::Table:
            QCOMPARE(written.count("\r\n"), expected);
            break;
        case OutputKind::KML: {
            QVERIFY(written.startsWith("<?xml"));
            QVERIFY(written.contains("<name>" + outputName.toUtf8() + "</name>"));
            // A strict XML parser accepts every KML the window makes.
            QProcess xmllint;
            xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), outputPath});
            QVERIFY(xmllint.waitForFinished(30000));
            QVERIFY2(xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0,
                     xmllint.readAllStandardError().constData());
            break;
        }
        case OutputKind::OVL:
            QVERIFY(written.startsWith("[Symbol 1]\r\n"));
            QVERIFY(written.contains("\r\nPunkte=" + QByteArray::number(expected) + "\r\n"));
            break;
        case OutputKind::GPX:
        case OutputKind::GeoJSON:
        case OutputKind::None: break;
    }

    if (output == OutputKind::OVL) {
        // An overlay ends the program, with no count message.
        QCOMPARE(f.ended, 1);
        QVERIFY(f.Message().isEmpty());
        return;
    }
    QCOMPARE(f.ended, 0);
    QCOMPARE(f.Message(), CountMessage(expected, DataTypeOf(sample), outputPath));
    VerifyResetAfterRun(f);
}

void ConversionFlowTest::existingOutputIsReplacedOnYes() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    const QString outputPath = f.Path(QStringLiteral("walk_GGA.prn"));
    QFile old(outputPath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old table\r\n");
    old.close();

    f.ChooseAndAnalyze(path);
    f.EliminateZero()->click();  // the user's choice stays as it is during the run
    f.answer = QMessageBox::Yes;
    // The question comes while the run is under way: only the options the
    // run reads are locked.
    QString duringRun;
    f.whileAsking = [&] {
        duringRun = QStringLiteral("analyze=%1 start=%2 types=%3 comma=%4 altitude=%5 zero=%6/%7")
                        .arg(f.Analyze()->isEnabled())
                        .arg(f.Start()->isEnabled())
                        .arg(f.Table()->isEnabled() || f.Kml()->isEnabled() || f.Ovl()->isEnabled())
                        .arg(f.DecimalComma()->isEnabled())
                        .arg(f.Altitude()->isEnabled())
                        .arg(f.EliminateZero()->isEnabled())
                        .arg(f.EliminateZero()->isChecked());
    };
    f.Start()->click();
    QCOMPARE(duringRun, QStringLiteral("analyze=0 start=0 types=0 comma=0 altitude=0 zero=1/0"));
    QCOMPARE(f.asked.size(), std::size_t{1});
    const MessageRequest& question = f.asked.front();
    QCOMPARE(question.title, QStringLiteral("File Warning"));
    QCOMPARE(question.text, QStringLiteral("Output file exists! Overwrite?"));
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(f.ended, 0);
    QVERIFY(!ReadAll(outputPath).contains("old table"));
    QVERIFY(f.Message().endsWith(QStringLiteral("Chose a new file for processing or exit the program.")));
}

void ConversionFlowTest::cancelKeepsTheExistingOutput() {
    WindowFixture f(0);  // the progress dialog shows at once
    // A log of several read blocks, so that the run reports progress more than once.
    const QByteArray walk = ReadAll(f.WriteSample(Sample::Gga, QStringLiteral("long-walk.nmea")));
    QByteArray log;
    while (log.size() < (4 << 20)) log += walk;
    QFile input(f.Path(QStringLiteral("long-walk.nmea")));
    QVERIFY(input.open(QIODevice::WriteOnly) && input.write(log) == log.size());
    input.close();
    const QString outputPath = f.Path(QStringLiteral("long-walk_GGA.prn"));
    QFile old(outputPath);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old table\r\n") > 0);
    old.close();
    f.ChooseAndAnalyze(input.fileName());

    // The user presses Cancel in the run's progress dialog.
    int pressed = 0;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* dialog = f.window->findChild<QProgressDialog*>(QStringLiteral("Progress"));
        if (dialog == nullptr || !dialog->isVisible() || pressed > 0) return;
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Cancel")) {
                button->click();
                ++pressed;
            }
        }
    });
    press.start(0);
    f.answer = QMessageBox::Yes;
    f.Start()->click();
    press.stop();

    QCOMPARE(pressed, 1);
    QCOMPARE(f.Message(), QStringLiteral("The run was cancelled. No output written; an existing file %1 is kept as it was.")
                              .arg(outputPath));
    QCOMPARE(ReadAll(outputPath), QByteArray("old table\r\n"));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({QStringLiteral("long-walk.nmea"), QStringLiteral("long-walk_GGA.prn")}));
    QCOMPARE(f.ended, 0);
    VerifyResetAfterRun(f);
}

void ConversionFlowTest::existingOutputRefusedEndsTheProgram() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    const QString outputPath = f.Path(QStringLiteral("walk_GGA.kml"));
    QFile old(outputPath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old track\r\n");
    old.close();

    f.ChooseAndAnalyze(path);
    f.Kml()->click();
    f.answer = QMessageBox::No;
    f.Start()->click();
    QCOMPARE(f.asked.size(), std::size_t{2});
    const MessageRequest& refusal = f.asked.back();
    QCOMPARE(refusal.title, QStringLiteral("File Warning"));
    QCOMPARE(refusal.text,
             QStringLiteral("Move existing file to another directory and try again!\r\nProgram will be terminated."));
    QCOMPARE(refusal.icon, QMessageBox::Warning);
    QCOMPARE(refusal.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(f.ended, 1);
    QCOMPARE(ReadAll(outputPath), QByteArray("old track\r\n"));
}

void ConversionFlowTest::failedRunIsReportedAndDoesNotEnd_data() {
    QTest::addColumn<OutputKind>("output");
    QTest::addColumn<QString>("outputName");
    QTest::newRow("table") << OutputKind::Table << "walk_GGA.prn";
    QTest::newRow("OVL") << OutputKind::OVL << "walk_GGA.ovl";
}

void ConversionFlowTest::failedRunIsReportedAndDoesNotEnd() {
    QFETCH(OutputKind, output);
    QFETCH(QString, outputName);
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    // A folder where the output should go: it cannot be written, and it is
    // not an existing output file to ask about.
    QVERIFY(QDir(f.folder.path()).mkdir(outputName));
    f.ChooseAndAnalyze(path);
    ChooseOutput(f, output);
    f.Start()->click();
    QVERIFY2(f.Message().startsWith(QStringLiteral("Cannot write output file ") + f.Path(outputName)),
             qPrintable(f.Message()));
    QVERIFY(!f.Message().contains(QStringLiteral("data sets written")));
    QVERIFY(f.asked.empty());
    QCOMPARE(f.ended, 0);
    VerifyResetAfterRun(f);
}

// The date field is asked only of a log without a date; what is typed
// there dates the GPX, and a date that is not one writes nothing.
void ConversionFlowTest::datedOutputsTakeTheDateOfTheFirstPosition() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Rmc, QStringLiteral("drive.nmea")));
    QVERIFY(!f.FirstDate()->isEnabled());
    f.GeoJson()->click();
    QVERIFY(!f.Message().contains(QStringLiteral("holds no date")));
    // KML with times for the time slider is a dated output too.
    f.Kml()->click();
    auto* times = f.window->TrackPlotDialog()->findChild<QCheckBox*>(QStringLiteral("Check3"));
    times->click();
    QVERIFY(!f.Message().contains(QStringLiteral("holds no date")));
    times->click();

    f.ChooseAndAnalyze(f.WriteSample(Sample::Gll, QStringLiteral("harbour.nmea")));
    QVERIFY(f.FirstDate()->isEnabled());
    QVERIFY(!f.Message().contains(QStringLiteral("holds no date")));  // ANALYZE's message as designed
    f.Kml()->click();
    QVERIFY(!f.Message().contains(QStringLiteral("holds no date")));
    times->click();
    QVERIFY2(f.Message().endsWith(QStringLiteral("enter the date of the first position.")), qPrintable(f.Message()));
    times->click();
    f.Gpx()->click();
    QVERIFY2(f.Message().endsWith(QStringLiteral("enter the date of the first position.")), qPrintable(f.Message()));
    // No such day, and a day before any the outputs hold.
    for (const QString& refused : {QStringLiteral("2024-02-30"), QStringLiteral("0000-12-31")}) {
        f.FirstDate()->setText(refused);
        f.Start()->click();
        QVERIFY2(f.Message().startsWith(QStringLiteral("The date of the first position is written YYYY-MM-DD")),
                 qPrintable(refused + QStringLiteral(": ") + f.Message()));
        QVERIFY(!QFile::exists(f.Path(QStringLiteral("harbour_GLL.gpx"))));
    }

    f.FirstDate()->setText(QStringLiteral("2024-02-29"));
    f.Start()->click();
    QVERIFY2(f.Message().startsWith(QStringLiteral("300 GPGLL data sets written")), qPrintable(f.Message()));
    const QByteArray gpx = ReadAll(f.Path(QStringLiteral("harbour_GLL.gpx")));
    QVERIFY(gpx.contains("<trkpt lat=\"47.3909333\" lon=\"8.5353833\"><time>2024-02-29T10:15:30Z</time></trkpt>"));
    QVERIFY(!f.FirstDate()->isEnabled());
    QVERIFY(f.FirstDate()->text().isEmpty());

    // Without a date: written without times, and the message says so.
    f.ChooseAndAnalyze(f.Path(QStringLiteral("harbour.nmea")));
    f.Gpx()->click();
    f.answer = QMessageBox::Yes;
    f.Start()->click();
    QVERIFY2(f.Message().endsWith(QStringLiteral("its positions were written without times.")), qPrintable(f.Message()));
    QVERIFY(!ReadAll(f.Path(QStringLiteral("harbour_GLL.gpx"))).contains("<time>"));
}

// "Shape the track": its boxes hidden until it is checked, and left off
// then whatever they hold; what they hold shapes the run; a box that holds
// no such value, or an option the output cannot take, writes nothing.
void ConversionFlowTest::shapeTheTrackReachesTheRun() {
    WindowFixture f;
    const QString walk = f.WriteLog(QStringLiteral("walk.nmea"), QByteArray(
        "$GPRMC,235800.00,A,4700.0000,N,00800.0000,E,0.0,0.0,310524,,,A*6D\r\n"
        "$GPRMC,235900.00,A,4700.0000,N,00800.0600,E,0.0,0.0,310524,,,A*6A\r\n"
        "$GPRMC,000030.00,A,4700.0006,N,00800.1200,E,0.0,0.0,010624,,,A*6A\r\n"
        "$GPRMC,000130.00,A,4700.0000,N,00800.1800,E,0.0,0.0,010624,,,A*6B\r\n"
        "$GPRMC,001130.00,A,4700.0600,N,00800.1800,E,0.0,0.0,010624,,,A*6D\r\n"
        "$GPRMC,001230.00,A,4700.1200,N,00800.1800,E,0.0,0.0,010624,,,A*6E\r\n"
        "$GPRMC,001330.00,A,4700.1800,N,00800.1800,E,0.0,0.0,010624,,,A*67\r\n"
        ));
    auto* shape = f.Find<QCheckBox>("Check10");
    auto* group = f.Find<QGroupBox>("Frame5");
    const auto points = [&f] { return ReadAll(f.Path(QStringLiteral("walk_RMC.gpx"))).count("<trkpt"); };
    QVERIFY(!shape->isChecked());
    QVERIFY(group->isHidden());
    f.Find<QLineEdit>("Text9")->setText(QStringLiteral("5"));
    f.ChooseAndAnalyze(walk);
    f.Gpx()->click();
    f.Start()->click();
    QCOMPARE(points(), 7);

    shape->click();
    QVERIFY(!group->isHidden());
    f.ChooseAndAnalyze(walk);
    f.Gpx()->click();
    f.Find<QLineEdit>("Text5")->setText(QStringLiteral("yesterday"));
    f.Start()->click();
    QCOMPARE(f.Message(), QStringLiteral("\"From\" takes a time YYYY-MM-DDThh:mm:ss with its zone (Z or +hh:mm), "
                                         "not 'yesterday'. Nothing was written."));
    QCOMPARE(points(), 7);
    f.Find<QLineEdit>("Text5")->clear();
    f.Start()->click();
    QCOMPARE(points(), 3);  // the first, the corner and the last

    // The table has no pieces: a split is refused, and nothing written.
    f.ChooseAndAnalyze(walk);
    f.Table()->click();
    f.Find<QCheckBox>("Check11")->click();
    f.Start()->click();
    QVERIFY2(f.Message().startsWith(QStringLiteral("A split applies only to the outputs that hold pieces")),
             qPrintable(f.Message()));
    QVERIFY(!QFile::exists(f.Path(QStringLiteral("walk_RMC.prn"))));
}

void ConversionFlowTest::runWithNothingToWrite_data() {
    QTest::addColumn<OutputKind>("output");
    QTest::addColumn<QString>("outputName");
    QTest::newRow("table") << OutputKind::Table << "list_GGA.prn";
    // An overlay run that wrote nothing leaves the program running, and says so.
    QTest::newRow("OVL") << OutputKind::OVL << "list_GGA.ovl";
}

void ConversionFlowTest::runWithNothingToWrite() {
    QFETCH(OutputKind, output);
    QFETCH(QString, outputName);
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    // Not recognised: the run converts with the earlier data type, finds nothing, and says which type it took.
    const QString list = f.WriteSample(Sample::Unrecognised, QStringLiteral("list.txt"));
    f.ChooseAndAnalyze(list);
    ChooseOutput(f, output);
    f.Start()->click();
    QCOMPARE(f.Message(), QStringLiteral("Could not recognize/process input data. \nThis run read %1 as GPGGA data, the "
                                         "kind of the last file recognised; ANALYZE did not recognise this file.")
                              .arg(list));
    QVERIFY(!QFile::exists(f.Path(outputName)));  // no empty file appears
    QCOMPARE(f.ended, 0);
    VerifyResetAfterRun(f);
}

void ConversionFlowTest::runWithNothingToWriteKeepsTheExistingFile() {
    // GGA sentences without a position: recognised, but every one eliminated.
    WindowFixture f;
    const QString path = f.Path(QStringLiteral("nopos.nmea"));
    QFile log(path);
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write("$GPGGA,101530.00,,,,,0,00,,,M,,M,,*4E\r\n$GPGGA,101531.00,,,,,0,00,,,M,,M,,*4F\r\n");
    log.close();
    QFile table(f.Path(QStringLiteral("nopos_GGA.prn")));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write("a good table\r\n");
    table.close();
    f.ChooseAndAnalyze(path);
    QCOMPARE(f.settings.DataType, DataKind::GPGGA);
    f.Start()->click();
    QCOMPARE(f.asked.size(), std::size_t{1});  // replace it? Yes
    QCOMPARE(f.Message(), QStringLiteral("Could not recognize/process input data. The existing file %1 is kept as it was.")
                              .arg(table.fileName()));
    QCOMPARE(ReadAll(table.fileName()), QByteArray("a good table\r\n"));
}

// A run that writes nothing names the option that would give positions;
// the account of the lines on request; positions without a fix left out
// where the box says so, and written where it does not.
void ConversionFlowTest::hintsTheAccountAndPositionsWithoutAFix() {
    WindowFixture f;
    QVERIFY(!f.Account()->isEnabled());
    const QString zeros =
        f.WriteLog(QStringLiteral("zeros.nmea"), "$GPGGA,101530.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E\r\n"
                                                 "$GPGGA,101531.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E\r\n");
    f.ChooseAndAnalyze(zeros);
    QVERIFY(f.Account()->isEnabled());
    f.Start()->click();
    QCOMPARE(f.Message(), QStringLiteral("Could not recognize/process input data. \nHint: 2 positions at 0,0 were "
                                         "eliminated; switching off \"Eliminate \"Zero\" positions\" writes them."));
    f.Account()->click();
    QVERIFY2(f.Message().endsWith(QStringLiteral("2  positions at 0,0, eliminated (\"Eliminate \"Zero\" positions\") "
                                                 "(lines 1, 2)")),
             qPrintable(f.Message()));

    const QString mixed =
        f.WriteLog(QStringLiteral("mixed.nmea"), "$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E\r\n"
                                                 "$GPGGA,101531.00,4723.4570,N,00832.1230,E,0,07,1.2,432.5,M,48.0,M,,*6E\r\n");
    for (const bool fixOnly : {false, true}) {
        f.FixOnly()->setChecked(fixOnly);
        f.ChooseAndAnalyze(mixed);
        f.Start()->click();
        QVERIFY2(f.Message().startsWith(QStringLiteral("%1 GPGGA data sets written").arg(fixOnly ? 1 : 2)),
                 qPrintable(f.Message()));
        QFile::remove(f.Path(QStringLiteral("mixed_GGA.prn")));
    }
}

void ConversionFlowTest::gpxCopyAsksBeforeReplacingAnotherFile() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gpx, QStringLiteral("walk.gpx"));
    const QString copy = f.Path(QStringLiteral("walk_CRLF.gpx"));
    QFile own(copy);
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("my own notes\r\n");
    own.close();
    f.answer = QMessageBox::No;
    f.ChooseAndAnalyze(path);
    QCOMPARE(f.asked.size(), std::size_t{2});  // the question, then the refusal
    QCOMPARE(f.asked[0].text, OverwriteQuestion().text);
    QCOMPARE(f.ended, 1);
    QCOMPARE(ReadAll(copy), QByteArray("my own notes\r\n"));

    // Yes replaces it; a file that holds the very copy already is replaced without a question.
    WindowFixture again;
    again.ChooseAndAnalyze(path);
    QCOMPARE(again.asked.size(), std::size_t{1});
    QVERIFY(ReadAll(copy).startsWith("<?xml"));
    WindowFixture third;
    third.ChooseAndAnalyze(path);
    QVERIFY(third.asked.empty());
    QCOMPARE(third.settings.DataType, DataKind::GPGXT);
    third.VerifyChecksums()->click();  // analysed again: the copy is its own
    QVERIFY(third.asked.empty());
}

void ConversionFlowTest::closingADialogStoresWhatItShows_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box") << false;
    QTest::newRow("Escape") << true;
}

void ConversionFlowTest::closingADialogStoresWhatItShows() {
    QFETCH(bool, escape);
    const auto leave = [escape](QDialog* dialog) {
        if (escape) QTest::keyClick(dialog, Qt::Key_Escape);
        else dialog->close();
    };
    WindowFixture f;
    f.window->show();
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    auto* name = f.window->TrackPlotDialog()->findChild<QLineEdit*>(QStringLiteral("Text1"));
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Evening walk"));
    leave(f.window->TrackPlotDialog());
    QCOMPARE(f.settings.KmlProperties[kKmlName], std::string("Evening walk"));
    f.Altitude()->click();
    auto* value = f.window->AltitudeDialog()->findChild<QLineEdit*>(QStringLiteral("Text1"));
    value->selectAll();
    QTest::keyClicks(value, QStringLiteral("100"));
    f.window->AltitudeDialog()->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    leave(f.window->AltitudeDialog());
    // The box stays ticked, and the run does what it says.
    QVERIFY(f.Altitude()->isChecked());
    QCOMPARE(f.settings.AltitudeMode, AltitudeMode::SetFixed);
    QCOMPARE(f.settings.AltitudeValue, 100.0f);
    f.Start()->click();
    const QList<double> altitudes = KmlAltitudes(ReadAll(f.Path(QStringLiteral("walk_GGA.kml"))));
    QVERIFY(!altitudes.isEmpty());
    QCOMPARE(altitudes.front(), 100.0);
}

void ConversionFlowTest::kmlDialogSettingsReachTheDocument() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    TrackPlotForm* dialog = f.window->TrackPlotDialog();
    dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(3);  // blue
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Evening walk"));
    dialog->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();  // "Tessellate", shown ticked
    dialog->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();  // "Absolute"
    dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    f.Start()->click();

    const QByteArray kml = ReadAll(f.Path(QStringLiteral("walk_GGA.kml")));
    QVERIFY(kml.contains("  <name>Evening walk</name>\n"));
    QVERIFY(kml.contains("        <color>ffffaa00</color>\n"));
    QVERIFY(kml.contains("    <extrude> 1</extrude>\n"));
    QVERIFY(kml.contains("    <tessellate> 0</tessellate>\n"));
    QVERIFY(kml.contains("<altitudeMode>absolute</altitudeMode>"));
    QVERIFY(kml.contains("<kml xmlns=\"http://earth.google.com/kml/2.0\">"));

    // "Times for the time slider": the same path, and the time track after it.
    f.ChooseAndAnalyze(f.Path(QStringLiteral("walk.nmea")));
    f.Kml()->click();
    f.window->TrackPlotDialog()->findChild<QCheckBox*>(QStringLiteral("Check3"))->click();
    f.answer = QMessageBox::Yes;
    f.Start()->click();
    const QByteArray timed = ReadAll(f.Path(QStringLiteral("walk_GGA.kml")));
    QVERIFY(timed.contains("<kml xmlns=\"http://www.opengis.net/kml/2.2\""));
    QVERIFY(timed.contains("</altitudeMode>\r\n    <when>2026-12-08T10:15:30Z</when>"));
}

void ConversionFlowTest::kmlDialogShowsWhatTheNextFileGets() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gll, QStringLiteral("harbour.nmea")));
    f.Kml()->click();
    TrackPlotForm* dialog = f.window->TrackPlotDialog();
    auto* colour = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
    colour->setCurrentIndex(3);  // blue
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("My <Track> & Co"));
    dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    f.Start()->click();
    QVERIFY(ReadAll(f.Path(QStringLiteral("harbour_GLL.kml"))).contains("<name>My &lt;Track&gt; &amp; Co</name>"));

    // The next file's analysis stored its own name and colour: the same
    // dialog shows them, and the document gets what was shown.
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    QCOMPARE(f.window->TrackPlotDialog(), dialog);
    QCOMPARE(name->text(), QStringLiteral("<default>"));
    QCOMPARE(colour->currentText(), QStringLiteral("yellow"));
    f.Start()->click();
    const QByteArray kml = ReadAll(f.Path(QStringLiteral("walk_GGA.kml")));
    QVERIFY(kml.contains("  <name>walk_GGA.kml</name>\n"));
    QVERIFY(kml.contains("        <color>ff00ffff</color>\n"));
}

void ConversionFlowTest::overlayDialogSettingsReachTheDocument() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Ovl()->click();
    TOP_OVL_Properties* dialog = f.window->OverlayDialog();
    dialog->findChild<QRadioButton*>(QStringLiteral("Option9"))->click();  // turquoise
    auto* width = dialog->findChild<QLineEdit*>(QStringLiteral("Text3"));
    width->clear();
    QTest::keyClicks(width, QStringLiteral("2"));
    auto* mapName = dialog->findChild<QLineEdit*>(QStringLiteral("Text2"));
    mapName->clear();
    QTest::keyClicks(mapName, QStringLiteral("Top. Karte 1:25.000 Bayern"));
    dialog->findChild<QPushButton*>(QStringLiteral("OVL_Continue"))->click();
    f.Start()->click();

    const QByteArray ovl = ReadAll(f.Path(QStringLiteral("walk_GGA.ovl")));
    QVERIFY(ovl.contains("\r\nCol=9\r\n"));
    QVERIFY(ovl.contains("\r\nSize=102\r\n"));
    QVERIFY(ovl.contains("\r\nMapName=Top. Karte 1:25.000 Bayern\r\n"));
    QCOMPARE(f.ended, 1);
}

void ConversionFlowTest::decimalCommaReachesTheTable() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.DecimalComma()->click();
    f.Start()->click();
    const QByteArray table = ReadAll(f.Path(QStringLiteral("walk_GGA.prn")));
    const QByteArray firstLine = table.left(table.indexOf("\r\n"));
    QVERIFY2(firstLine.contains(',') && !firstLine.contains('.'), firstLine.constData());
}

void ConversionFlowTest::altitudeSettingsApplyOnceAndAreResetAfterTheRun() {
    WindowFixture f;
    const QString path = f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea"));
    f.ChooseAndAnalyze(path);
    f.Kml()->click();
    f.Altitude()->click();
    AltitudeManipulation* dialog = f.window->AltitudeDialog();
    auto* value = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
    value->clear();
    QTest::keyClicks(value, QStringLiteral("777"));
    dialog->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QCOMPARE(f.settings.AltitudeMode, AltitudeMode::SetFixed);
    f.Start()->click();
    const QByteArray first = ReadAll(f.Path(QStringLiteral("walk_GGA.kml")));
    const QList<double> fixed = KmlAltitudes(first);
    QVERIFY(!fixed.isEmpty());
    QCOMPARE(fixed.count(777.0), fixed.size());
    VerifyResetAfterRun(f);

    // The next run, with no altitude choice made, keeps the altitudes read.
    QFile::remove(f.Path(QStringLiteral("walk_GGA.kml")));
    f.ChooseAndAnalyze(path);
    f.Kml()->click();
    f.Start()->click();
    const QByteArray second = ReadAll(f.Path(QStringLiteral("walk_GGA.kml")));
    const QList<double> read = KmlAltitudes(second);
    QCOMPARE(read.size(), fixed.size());
    QCOMPARE(read.front(), 432.5);  // the first fix of the log, as recorded
    QCOMPARE(read.count(0.0), 0);
}

void ConversionFlowTest::altitudeDialogMadeAfreshAppliesWhatItShows() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Kml()->click();
    f.Altitude()->click();
    auto* value = f.window->AltitudeDialog()->findChild<QLineEdit*>(QStringLiteral("Text1"));
    value->clear();
    QTest::keyClicks(value, QStringLiteral("500"));
    f.window->AltitudeDialog()->close();  // the close box: no Continue

    f.Altitude()->click();  // made afresh, showing "0" and "Add altitude:"
    AltitudeManipulation* dialog = f.window->AltitudeDialog();
    QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("0"));
    QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked());
    dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    f.Start()->click();
    const QList<double> altitudes = KmlAltitudes(ReadAll(f.Path(QStringLiteral("walk_GGA.kml"))));
    QVERIFY(!altitudes.isEmpty());
    QCOMPARE(altitudes.front(), 432.5);  // the first fix as recorded, nothing added
}

void ConversionFlowTest::secondFileUsesItsOwnDataType() {
    WindowFixture f;
    f.ChooseAndAnalyze(f.WriteSample(Sample::Gga, QStringLiteral("walk.nmea")));
    f.Start()->click();
    f.ChooseAndAnalyze(f.WriteSample(Sample::Rmc, QStringLiteral("drive.nmea")));
    f.Start()->click();
    QVERIFY(QFile::exists(f.Path(QStringLiteral("drive_RMC.prn"))));
    QVERIFY(f.Message().startsWith(QStringLiteral("%1 GPRMC data sets written").arg(300)));
}

QTEST_MAIN(ConversionFlowTest)
#include "conversion_flow_test.moc"
