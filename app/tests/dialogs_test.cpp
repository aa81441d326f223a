// The three property dialogs: creation defaults, what they store and when,
// and Continue.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "altitude_manipulation.h"
#include "convert/settings.h"
#include "top_ovl_properties.h"
#include "track_plot_form.h"
#include "widget_helpers.h"

using namespace torvane;
using namespace torvane::app;

namespace {

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) qWarning("no control %s", name);
    return widget;
}

QStringList LabelTexts(QWidget* dialog) {
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>()) texts << Caption(label->text());
    return texts;
}

// Settings as analysis leaves them, so that storing shows.
Settings AnalysedSettings() {
    Settings s;
    s.KmlProperties = {"", "GPS data pathGenerator: Torvane, https://torvane.org", "12345678", " 1", " 1",
                       "relativeToGround"};
    s.OvlProperties = {5, "elsewhere", "9"};
    s.AltitudeValue = 12.5f;
    return s;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void trackPlotFormCreation();
    void trackPlotFormStoresColourAtOnce();
    void trackPlotFormContinue();
    void trackPlotFormTakesOnlyTypedText();
    void trackPlotFormShowsStoredTextAsWritten_data();
    void trackPlotFormShowsStoredTextAsWritten();
    void overlayCreation();
    void overlayStoresEveryChangeAtOnce();
    void altitudeCreation();
    void altitudeValueIsHeldWithinLimits_data();
    void altitudeValueIsHeldWithinLimits();
    void altitudeModeWaitsForContinue();
    void altitudeResetAfterRun();
};

void DialogsTest::trackPlotFormCreation() {
    Settings s = AnalysedSettings();
    TrackPlotForm dialog(s, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Torvane - TrackPlotProperties"));
    const QStringList labels = LabelTexts(&dialog);
    for (const char* text : {"Parameters for Track Plot in GOOGLE Earth", "Name:", "Description:", "Line Color:"}) {
        QVERIFY2(labels.contains(QLatin1String(text)), text);
    }
    QCOMPARE(Child<QLineEdit>(&dialog, "Text1")->text(), QStringLiteral("<default>"));
    QCOMPARE(Child<QPlainTextEdit>(&dialog, "Text2")->toPlainText(), QStringLiteral("<default>"));
    QCOMPARE(Child<QPlainTextEdit>(&dialog, "Text2")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    auto* tessellate = Child<QCheckBox>(&dialog, "Check1");
    auto* extrude = Child<QCheckBox>(&dialog, "Check2");
    QCOMPARE(Caption(tessellate->text()), QStringLiteral("Tessellate"));
    QCOMPARE(Caption(extrude->text()), QStringLiteral("Extrude"));
    // The boxes show the flags the analysis stored, which a run writes.
    QCOMPARE(s.KmlProperties[kKmlExtrude], std::string(" 1"));
    QCOMPARE(s.KmlProperties[kKmlTessellate], std::string(" 1"));
    QVERIFY(tessellate->isChecked() && extrude->isChecked());
    QCOMPARE(Caption(Child<QRadioButton>(&dialog, "Option1")->text()), QStringLiteral("Relative to Ground"));
    QCOMPARE(Caption(Child<QRadioButton>(&dialog, "Option2")->text()), QStringLiteral("Absolute"));
    QVERIFY(Child<QRadioButton>(&dialog, "Option1")->isChecked());
    QCOMPARE(Caption(Child<QPushButton>(&dialog, "Command1")->text()), QStringLiteral("Continue"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame1")->title(), QStringLiteral("Placemark"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame2")->title(), QStringLiteral("Linestring"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame3")->title(), QStringLiteral("Line Properties"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame4")->title(), QStringLiteral("Altitude Mode"));

    auto* colours = Child<QComboBox>(&dialog, "Combo1");
    QStringList entries;
    for (int i = 0; i < colours->count(); ++i) entries << colours->itemText(i);
    QCOMPARE(entries, (QStringList{"yellow", "red", "magenta", "blue", "green"}));
    QCOMPARE(colours->currentIndex(), 0);
    QCOMPARE(s.KmlProperties[kKmlLineColor], std::string("ff00ffff"));
    // Flags stored " 0" (an earlier Continue) are shown cleared.
    s.KmlProperties[kKmlExtrude] = " 0";
    s.KmlProperties[kKmlAltitudeMode] = "absolute";
    dialog.ShowAnalysed();
    QVERIFY(tessellate->isChecked() && !extrude->isChecked());
    QVERIFY(Child<QRadioButton>(&dialog, "Option2")->isChecked());
}

void DialogsTest::trackPlotFormStoresColourAtOnce() {
    Settings s = AnalysedSettings();
    TrackPlotForm dialog(s, nullptr);
    auto* colours = Child<QComboBox>(&dialog, "Combo1");
    const char* expected[] = {"ff00ffff", "ff0000ff", "ffff00ff", "ffffaa00", "ff00ff00"};
    for (int i : {3, 1, 4, 2, 0}) {
        colours->setCurrentIndex(i);
        QCOMPARE(s.KmlProperties[kKmlLineColor], std::string(expected[i]));
    }
    colours->setCurrentIndex(-1);  // no entry: nothing changes
    QCOMPARE(s.KmlProperties[kKmlLineColor], std::string("ff00ffff"));
}

void DialogsTest::trackPlotFormContinue() {
    Settings s = AnalysedSettings();
    TrackPlotForm dialog(s, nullptr);
    dialog.ShowNonModal();
    // Untouched: the flags as shown, the stored texts shown in the boxes.
    Child<QPushButton>(&dialog, "Command1")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(s.KmlProperties[kKmlExtrude], std::string(" 1"));
    QCOMPARE(s.KmlProperties[kKmlTessellate], std::string(" 1"));
    QCOMPARE(s.KmlProperties[kKmlAltitudeMode], std::string("relativeToGround"));
    QCOMPARE(s.KmlProperties[kKmlName], std::string(""));
    QCOMPARE(Child<QLineEdit>(&dialog, "Text1")->text(), QString());
    QCOMPARE(Child<QPlainTextEdit>(&dialog, "Text2")->toPlainText(),
             QStringLiteral("GPS data pathGenerator: Torvane, https://torvane.org"));

    // Each box feeds the flag its label names, at once; "Absolute" the altitude mode.
    dialog.ShowNonModal();
    Child<QCheckBox>(&dialog, "Check2")->click();  // Extrude
    QCOMPARE(s.KmlProperties[kKmlExtrude], std::string(" 0"));  // before Continue: a run started now writes it
    Child<QRadioButton>(&dialog, "Option2")->click();
    QCOMPARE(s.KmlProperties[kKmlAltitudeMode], std::string("absolute"));
    Child<QPushButton>(&dialog, "Command1")->click();
    QCOMPARE(s.KmlProperties[kKmlExtrude], std::string(" 0"));
    QCOMPARE(s.KmlProperties[kKmlTessellate], std::string(" 1"));
    QCOMPARE(s.KmlProperties[kKmlAltitudeMode], std::string("absolute"));
    Child<QCheckBox>(&dialog, "Check1")->click();  // Tessellate
    Child<QCheckBox>(&dialog, "Check2")->click();
    Child<QRadioButton>(&dialog, "Option1")->click();
    dialog.close();  // the close box keeps what the dialog shows
    QCOMPARE(s.KmlProperties[kKmlExtrude], std::string(" 1"));
    QCOMPARE(s.KmlProperties[kKmlTessellate], std::string(" 0"));
    QCOMPARE(s.KmlProperties[kKmlAltitudeMode], std::string("relativeToGround"));
}

void DialogsTest::trackPlotFormTakesOnlyTypedText() {
    Settings s = AnalysedSettings();
    TrackPlotForm dialog(s, nullptr);
    auto* name = Child<QLineEdit>(&dialog, "Text1");
    auto* description = Child<QPlainTextEdit>(&dialog, "Text2");
    auto* continueButton = Child<QPushButton>(&dialog, "Command1");

    // "<default>" and empty boxes keep the stored values.
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Delete);
    continueButton->click();
    QCOMPARE(s.KmlProperties[kKmlName], std::string(""));
    QCOMPARE(s.KmlProperties[kKmlDescription], std::string("GPS data pathGenerator: Torvane, https://torvane.org"));

    // Typed text replaces them.
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Ridge & <valley>"));
    description->selectAll();
    QTest::keyClicks(description, QStringLiteral("Sunday tour"));
    continueButton->click();
    QCOMPARE(s.KmlProperties[kKmlName], std::string("Ridge & <valley>"));
    QCOMPARE(s.KmlProperties[kKmlDescription], std::string("Sunday tour"));

    // A later analysis empties the name; what the box still shows from
    // before is not typed text and does not come back.
    s.KmlProperties[kKmlName].clear();
    continueButton->click();
    QCOMPARE(s.KmlProperties[kKmlName], std::string(""));
    QCOMPARE(name->text(), QString());

    name->setText(QStringLiteral("<default>"));
    QTest::keyClicks(name, QStringLiteral("x"));
    QTest::keyClick(name, Qt::Key_Backspace);  // typed, but back to "<default>"
    continueButton->click();
    QCOMPARE(s.KmlProperties[kKmlName], std::string(""));
}

void DialogsTest::trackPlotFormShowsStoredTextAsWritten_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UTF-8") << QByteArray("Jos\xc3\xa9 M\xc3\xbcller") << QStringLiteral("Jos\u00e9 M\u00fcller");
    QTest::newRow("Latin-1") << QByteArray("Jos\xe9 M\xfcller") << QStringLiteral("Jos\u00e9 M\u00fcller");
    QTest::newRow("ASCII") << QByteArray("Jose Mueller") << QStringLiteral("Jose Mueller");
}

void DialogsTest::trackPlotFormShowsStoredTextAsWritten() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    Settings s = AnalysedSettings();
    s.KmlProperties[kKmlDescription] = stored.toStdString();
    TrackPlotForm dialog(s, nullptr);
    auto* description = Child<QPlainTextEdit>(&dialog, "Text2");
    Child<QPushButton>(&dialog, "Command1")->click();
    QCOMPARE(description->toPlainText(), shown);

    // Edited, it is stored as the text shown, in UTF-8.
    description->moveCursor(QTextCursor::End);
    QTest::keyClicks(description, QStringLiteral(" edited"));
    Child<QPushButton>(&dialog, "Command1")->click();
    QCOMPARE(QString::fromUtf8(s.KmlProperties[kKmlDescription]), shown + QStringLiteral(" edited"));
}

void DialogsTest::overlayCreation() {
    Settings s = AnalysedSettings();
    TOP_OVL_Properties dialog(s, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Torvane TOP OVL Properties"));
    const QStringList labels = LabelTexts(&dialog);
    for (const char* text : {"Parameters for TOP Overlay", "Map Name:",
                             "For Map Names, refer to TOP CD, File 'mapnames.dat'", "Width (Pixels):"}) {
        QVERIFY2(labels.contains(QLatin1String(text)), text);
    }
    QCOMPARE(Child<QLineEdit>(&dialog, "Text2")->text(), QStringLiteral("Top. Karte 1:50.000 Nieders."));
    QCOMPARE(Child<QLineEdit>(&dialog, "Text3")->text(), QStringLiteral("4"));
    QCOMPARE(s.OvlProperties.colour, 1);
    QCOMPARE(s.OvlProperties.mapName, std::string("Top. Karte 1:50.000 Nieders."));
    QCOMPARE(s.OvlProperties.lineWidth, std::string("4"));
    QVERIFY(Child<QRadioButton>(&dialog, "Option1")->isChecked());
    QCOMPARE(Caption(Child<QPushButton>(&dialog, "OVL_Continue")->text()), QStringLiteral("Continue"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame1")->title(), QStringLiteral("Overlay"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame2")->title(), QStringLiteral("Line Properties"));
    QCOMPARE(Child<QGroupBox>(&dialog, "Frame3")->title(), QStringLiteral("Colour"));

    // Three columns of three, each button labelled with its colour.
    auto* grid = qobject_cast<QGridLayout*>(Child<QGroupBox>(&dialog, "Frame3")->layout());
    QVERIFY(grid != nullptr);
    const char* columns[3][3] = {{"red", "green", "blue"}, {"yellow", "black", "white"},
                                 {"turquoise", "magenta", "invisible"}};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            auto* button = qobject_cast<QRadioButton*>(grid->itemAtPosition(row, column)->widget());
            QCOMPARE(Caption(button->text()), QLatin1String(columns[column][row]));
        }
    }
}

void DialogsTest::overlayStoresEveryChangeAtOnce() {
    Settings s = AnalysedSettings();
    TOP_OVL_Properties dialog(s, nullptr);
    dialog.ShowNonModal();
    // The code stored for the button with each colour's label.
    const std::pair<const char*, int> codes[] = {{"invisible", 7}, {"turquoise", 9}, {"magenta", 8},
                                                 {"green", 2},     {"black", 5},     {"red", 1},
                                                 {"blue", 3},      {"white", 6},     {"yellow", 4}};
    for (const auto& [colour, code] : codes) {
        QRadioButton* button = nullptr;
        for (QRadioButton* candidate : dialog.findChildren<QRadioButton*>()) {
            if (Caption(candidate->text()) == QLatin1String(colour)) button = candidate;
        }
        QVERIFY2(button != nullptr, colour);
        button->click();
        QCOMPARE(s.OvlProperties.colour, code);
    }
    auto* width = Child<QLineEdit>(&dialog, "Text3");
    width->clear();
    QCOMPARE(s.OvlProperties.lineWidth, std::string(""));
    QTest::keyClicks(width, QStringLiteral("x2"));
    QCOMPARE(s.OvlProperties.lineWidth, std::string("x2"));  // taken as typed
    auto* mapName = Child<QLineEdit>(&dialog, "Text2");
    mapName->clear();
    QTest::keyClicks(mapName, QStringLiteral(" Bayern "));
    QCOMPARE(s.OvlProperties.mapName, std::string(" Bayern "));
    // Pasted line breaks would add lines and sections to the overlay.
    for (QLineEdit* box : {mapName, width}) {
        const QString before = box->text();
        box->insert(QStringLiteral("X\r\nCenterLat=0\r\n[Evil]"));
        QCOMPARE(box->text(), before);
        box->insert(QStringLiteral("\n"));
        QCOMPARE(box->text(), before);
    }
    QCOMPARE(s.OvlProperties.mapName, std::string(" Bayern "));

    Child<QPushButton>(&dialog, "OVL_Continue")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(s.OvlProperties.colour, 4);
    QCOMPARE(s.OvlProperties.lineWidth, std::string("x2"));
}

void DialogsTest::altitudeCreation() {
    Settings s = AnalysedSettings();
    AltitudeManipulation dialog(s, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Torvane  AM"));
    const QStringList labels = LabelTexts(&dialog);
    for (const char* text : {"Altitude Manipulation for GGA", "Altitude:", "(+/- 1000 m)"}) {
        QVERIFY2(labels.contains(QLatin1String(text)), text);
    }
    QCOMPARE(Child<QLineEdit>(&dialog, "Text1")->text(), QStringLiteral("0"));
    QCOMPARE(Caption(Child<QRadioButton>(&dialog, "Option1")->text()), QStringLiteral("Add altitude:"));
    QCOMPARE(Caption(Child<QRadioButton>(&dialog, "Option2")->text()), QStringLiteral("Set fixed altitude:"));
    QVERIFY(Child<QRadioButton>(&dialog, "Option1")->isChecked());
    QCOMPARE(Caption(Child<QPushButton>(&dialog, "Command1")->text()), QStringLiteral("Continue"));
    // Nothing is stored until the user acts.
    QCOMPARE(s.AltitudeValue, 12.5f);
    QCOMPARE(s.AltitudeMode, AltitudeMode::NeverSet);
}

void DialogsTest::altitudeValueIsHeldWithinLimits_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<float>("stored");
    QTest::addColumn<QString>("applies");  // shown beside the box
    QTest::newRow("below") << "-5000" << -1000.0f << "-1000";
    QTest::newRow("far below") << "-99999" << -1000.0f << "-1000";
    QTest::newRow("lower bound") << "-1000" << -1000.0f << "-1000";
    QTest::newRow("upper bound") << "1000" << 1000.0f << "1000";
    QTest::newRow("above") << "1000.5" << 1000.0f << "1000";
    QTest::newRow("fraction") << "999.5" << 999.5f << "999.5";
    QTest::newRow("comma ends the number") << "2,5" << 2.0f << "2";
    QTest::newRow("exponent ends the number") << "1e9" << 1.0f << "1";
    QTest::newRow("leading blanks and sign") << "  -12.25m" << -12.25f << "-12.25";
    QTest::newRow("letters") << "abc" << 0.0f << "0";
    QTest::newRow("empty") << "" << 0.0f << "0";
}

void DialogsTest::altitudeValueIsHeldWithinLimits() {
    QFETCH(QString, typed);
    QFETCH(float, stored);
    Settings s = AnalysedSettings();
    AltitudeManipulation dialog(s, nullptr);
    auto* value = Child<QLineEdit>(&dialog, "Text1");
    value->selectAll();
    QTest::keyClick(value, Qt::Key_Delete);
    QTest::keyClicks(value, typed);
    QCOMPARE(s.AltitudeValue, stored);
    QCOMPARE(value->text(), typed);  // the box itself is not corrected
    QFETCH(QString, applies);
    QCOMPARE(Child<QLabel>(&dialog, "Label4")->text(), QStringLiteral("applies: %1 m").arg(applies));
    QCOMPARE(s.AltitudeMode, AltitudeMode::NeverSet);
}

void DialogsTest::altitudeModeWaitsForContinue() {
    Settings s = AnalysedSettings();
    AltitudeManipulation dialog(s, nullptr);
    dialog.ShowNonModal();
    Child<QRadioButton>(&dialog, "Option2")->click();
    QCOMPARE(s.AltitudeMode, AltitudeMode::NeverSet);
    Child<QPushButton>(&dialog, "Command1")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(s.AltitudeMode, AltitudeMode::SetFixed);
    Child<QRadioButton>(&dialog, "Option1")->click();
    Child<QPushButton>(&dialog, "Command1")->click();
    QCOMPARE(s.AltitudeMode, AltitudeMode::Add);
    QCOMPARE(s.AltitudeValue, 12.5f);  // the box was never changed
}

void DialogsTest::altitudeResetAfterRun() {
    Settings s = AnalysedSettings();
    AltitudeManipulation dialog(s, nullptr);
    dialog.ShowNonModal();
    auto* value = Child<QLineEdit>(&dialog, "Text1");
    value->setText(QStringLiteral("250"));
    Child<QRadioButton>(&dialog, "Option2")->click();
    Child<QPushButton>(&dialog, "Command1")->click();
    dialog.ShowNonModal();
    dialog.ResetAfterRun();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(value->text(), QStringLiteral("0"));
    QVERIFY(Child<QRadioButton>(&dialog, "Option1")->isChecked());
    QCOMPARE(s.AltitudeValue, 0.0f);
    QCOMPARE(s.AltitudeMode, AltitudeMode::Add);

    // A box that shows "0" already still clears the stored amount.
    Settings other = AnalysedSettings();
    AltitudeManipulation fresh(other, nullptr);
    fresh.ResetAfterRun();
    QCOMPARE(other.AltitudeValue, 0.0f);
    QCOMPARE(other.AltitudeMode, AltitudeMode::NeverSet);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
