// OpenNMEAFile: the main window. The user picks the input file, has it
// analysed (ANALYZE), chooses the output type and options and starts the
// conversion (START); the message area reports each step. The window only
// moves values between its controls and the shared settings and calls the
// analysis and the conversion run.
#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

#include "convert/recognise/line_counts.h"
#include "convert/settings.h"
#include "message_prompt.h"

class QCheckBox;
class QGroupBox;
class QGridLayout;
class QHBoxLayout;
class QScrollArea;
class QVBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace torvane {
struct TrackSummary;
}

namespace torvane::app {

class AltitudeManipulation;
class PropertyDialog;
class InputFileLists;
class ShapeControls;
class TOP_OVL_Properties;
class TrackPlotForm;
class TrackPreviewPanel;

class OpenNMEAFile : public QWidget {
    Q_OBJECT

public:
    // `services` reach the desktop; empty members take the real message
    // boxes and the real end of the program.
    explicit OpenNMEAFile(Settings& settings, DesktopServices services = {}, QWidget* parent = nullptr);
    ~OpenNMEAFile() override;

    // Chooses `filePath` as the input, as a click in the file list would.
    // False when it names no regular file.
    bool SelectInputFile(const QString& filePath);
    bool SelectInputFile(const QByteArray& filePath);  // the path's bytes, any encoding
    // The same; where the path names no regular file, the message area says
    // why, as for a file that cannot be read.
    bool SelectInputFileOrSayWhy(const QByteArray& filePath);

    // The dialogs, when they exist.
    TrackPlotForm* TrackPlotDialog() const;
    TOP_OVL_Properties* OverlayDialog() const;
    AltitudeManipulation* AltitudeDialog() const;
    TrackPreviewPanel* PreviewPanel() const { return previewPanel_; }
    ShapeControls* ShapeGroup() const { return shape_; }

    // The folder of the file chosen last, as the file list gave it.
    const std::string& InputDirectory() const { return inputDirectory_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildInputFrame();
    QGroupBox* BuildOutputFrame();
    QGroupBox* BuildOptionsFrame();
    QGridLayout* BuildReceiverRow();
    void LayOutControls(QGroupBox* inputFrame, QGroupBox* outputFrame, QGroupBox* optionsFrame,
                        QGridLayout* receiverRow);
    void SetTabOrder();
    void ConnectControls();
    void ShowMessage(std::string_view text);
    void ShowMessage(const QString& text);

    void FileChosen(const QByteArray& directory, const QByteArray& name);
    void AnalyzeClicked();
    bool GpxCopyMayBeWritten();  // asks before a GPX copy replaces another file
    void TableClicked();
    void KmlClicked();
    void OvlClicked();
    void DatedOutputClicked();  // GPX or GeoJSON
    void SetFirstDateAsked(bool asked);  // "Date of the first position" for a log without a date
    void NoteMissingDate();  // for a dated output of a log without a date: where to enter it
    void AltitudeClicked();
    void StartClicked();
    void AccountClicked();  // the account of the last analysed log's lines, in the message area
    void ResetAfterRun();
    void SentenceRuleToggled();
    void CopySentenceOptions();  // the three receiver options into the settings
    void SetOutputTypesEnabled(bool enabled);
    void PreviewToggled(bool on);
    // Beside the controls or, where the screen has no room for both, below them.
    void PlacePreview(bool shown);
    void ShapeToggled(bool on);
    // The window resized to `wanted`, or larger where its controls need it,
    // within the screen; where the screen is too small, they scroll.
    void FitWindow(QSize wanted);
    // The preview placed for its new content, and the window fitted to it.
    void FitPreview();
    // The room the preview panel takes beside (or below) the controls.
    QSize PreviewRoom() const;
    // The window's plain size with room for the parts now shown.
    QSize SizeOfShownParts() const;
    void RefreshPreview();  // the preview of the file as the options now stand, placed where it fits
    void FillPreview();     // ... its picture and figures, or a note
    void ShowPreview(bool computed, const TrackSummary& summary, const std::string& error);
    void EndProgram();
    QSize FreeArea() const;  // the screen's free area, less a title bar: the most the window takes
    void FitContentToScreen();  // the controls scroll only where their least size does not fit
    void BringIntoView(QWidget* control);  // scrolls to the control where the controls scroll
    void ShowDialog(PropertyDialog& dialog);

    TrackPlotForm& EnsureTrackPlotForm();
    TOP_OVL_Properties& EnsureOverlayProperties();
    AltitudeManipulation& EnsureAltitudeManipulation();
    template <typename Dialog>
    Dialog& EnsureDialog(QPointer<Dialog>& dialog);

    Settings& settings_;
    DesktopServices services_;
    bool ending_ = false;
    bool analysed_ = false;  // the file in Text3 was analysed with the current sentence rules
    bool recognised_ = false;  // ... and its analysis recognised a data type in it
    bool triedAnalysis_ = false;  // ANALYZE was pressed for the file in Text3
    bool undated_ = false;  // ... and its log gives no date of its own
    std::string chosenPath_;      // the file in Text3, as bytes
    std::string inputDirectory_;  // its folder
    DataKind dataTypeBeforeFile_ = DataKind::None;  // what the analyses before this file recognised
    AnalysisCounts analysisCounts_;  // of the last analysis
    std::optional<Settings> accounted_;  // the settings of the last log analysed or run, for its account

    QWidget* content_ = nullptr;            // all the controls, and the preview
    QHBoxLayout* columns_ = nullptr;        // ... their layout: the controls, then the preview
    QVBoxLayout* outer_ = nullptr;          // the window's layout: the controls, or the scroll area
    QScrollArea* scroll_ = nullptr;         // only on a screen too small for the controls
    QSize plainSize_;                       // the window's size without the preview and the shaping fields
    InputFileLists* lists_ = nullptr;
    QLineEdit* inputPath_ = nullptr;        // Text3
    QPushButton* analyze_ = nullptr;        // Command2
    QRadioButton* table_ = nullptr;         // Option4
    QRadioButton* kml_ = nullptr;           // Option5
    QRadioButton* ovl_ = nullptr;           // Option1
    QRadioButton* gpx_ = nullptr;           // Option6
    QRadioButton* geoJson_ = nullptr;       // Option7
    QLineEdit* firstDate_ = nullptr;        // Text4: "Date of the first position"
    QCheckBox* altitude_ = nullptr;         // Check2
    QCheckBox* decimalComma_ = nullptr;     // Check1
    QCheckBox* eliminateZero_ = nullptr;    // Check3
    QCheckBox* anyTalker_ = nullptr;        // Check4
    QCheckBox* verifyChecksums_ = nullptr;  // Check5
    QCheckBox* igcGnssAltitude_ = nullptr;  // Check6
    QCheckBox* anyRecorder_ = nullptr;      // Check8: "Accept every flight recorder"
    QCheckBox* fixOnly_ = nullptr;          // Check9: "Skip positions without a fix"
    QPushButton* account_ = nullptr;        // Command4: "Account of the lines"
    QCheckBox* preview_ = nullptr;          // Check7
    QCheckBox* shapeTrack_ = nullptr;       // Check10: "Shape the track", shows the group below
    ShapeControls* shape_ = nullptr;        // Frame5
    TrackPreviewPanel* previewPanel_ = nullptr;
    QPushButton* start_ = nullptr;          // Command1
    QPlainTextEdit* messages_ = nullptr;    // Text2

    QPointer<TrackPlotForm> trackPlotForm_;
    QPointer<TOP_OVL_Properties> overlayProperties_;
    QPointer<AltitudeManipulation> altitudeManipulation_;
    bool altitudeDialogClosed_ = false;  // closed with its close box at least once
};

}  // namespace torvane::app
