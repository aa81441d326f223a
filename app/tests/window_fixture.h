// A main window under test: its message boxes answered by the test, the end
// of the program recorded instead of carried out, and a scratch folder with
// input files.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "convert/settings.h"
#include "message_prompt.h"
#include "open_nmea_file.h"

namespace torvane::app::test {

// The input kinds the window converts, and the sample of each.
enum class Sample { Gga, Gll, Rmc, Igc, Gpx, Tcx, Fit, Unrecognised };

struct WindowFixture {
    // `progressDelayMs`: how long work runs before its progress dialog shows.
    explicit WindowFixture(int progressDelayMs = 1000);
    ~WindowFixture();

    template <typename T>
    T* Find(const char* name) const {
        // The window's own controls first (a dialog may use the same name),
        // also where they scroll.
        auto* controls = window->findChild<QWidget*>(QStringLiteral("Controls"));
        T* widget = controls != nullptr ? controls->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (widget == nullptr) widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) qWarning("no control %s", name);
        return widget;
    }

    QPushButton* Analyze() const { return Find<QPushButton>("Command2"); }
    QPushButton* Start() const { return Find<QPushButton>("Command1"); }
    QRadioButton* Table() const { return Find<QRadioButton>("Option4"); }
    QRadioButton* Kml() const { return Find<QRadioButton>("Option5"); }
    QRadioButton* Ovl() const { return Find<QRadioButton>("Option1"); }
    QRadioButton* Gpx() const { return Find<QRadioButton>("Option6"); }
    QRadioButton* GeoJson() const { return Find<QRadioButton>("Option7"); }
    QLineEdit* FirstDate() const { return Find<QLineEdit>("Text4"); }
    QCheckBox* Altitude() const { return Find<QCheckBox>("Check2"); }
    QCheckBox* DecimalComma() const { return Find<QCheckBox>("Check1"); }
    QCheckBox* EliminateZero() const { return Find<QCheckBox>("Check3"); }
    QCheckBox* AnyTalker() const { return Find<QCheckBox>("Check4"); }
    QCheckBox* VerifyChecksums() const { return Find<QCheckBox>("Check5"); }
    QCheckBox* IgcGnssAltitude() const { return Find<QCheckBox>("Check6"); }
    QCheckBox* AnyRecorder() const { return Find<QCheckBox>("Check8"); }
    QCheckBox* FixOnly() const { return Find<QCheckBox>("Check9"); }
    QPushButton* Account() const { return Find<QPushButton>("Command4"); }
    QLineEdit* InputPath() const { return Find<QLineEdit>("Text3"); }
    QString Message() const { return Find<QPlainTextEdit>("Text2")->toPlainText(); }

    // Writes the sample into the scratch folder under `name` and returns its path.
    QString WriteSample(Sample sample, const QString& name) const;
    // A log of these bytes in the folder; its path.
    QString WriteLog(const QString& name, const QByteArray& bytes) const;
    // The path of `name` in the scratch folder.
    QString Path(const QString& name) const { return folder.filePath(name); }

    // Chooses the file, as a click in the file list would, and presses ANALYZE.
    void ChooseAndAnalyze(const QString& path);

    Settings settings;
    QTemporaryDir folder;
    std::vector<MessageRequest> asked;            // every message box, in order
    QMessageBox::StandardButton answer = QMessageBox::Yes;  // the answer to a question
    std::function<void()> whileAsking;             // called when a message box shows
    int ended = 0;                                 // how often the program was ended
    std::unique_ptr<OpenNMEAFile> window;
};

// Writes the sample to `path`.
void WriteSampleFile(Sample sample, const QString& path);

// The text as the message area shows it: lines broken at LF.
QString Shown(std::string_view text);

// The bytes of a file; empty when it cannot be read.
QByteArray ReadAll(const QString& path);

// The data type word and the output name part of a sample.
const char* DataTypeOf(Sample sample);

// The number of data sets the core writes for a sample and output type,
// run without any window; 0 when its converter does not convert yet.
std::int64_t ReferenceCount(Sample sample, OutputKind output);

}  // namespace torvane::app::test
