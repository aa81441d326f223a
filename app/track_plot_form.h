// TrackPlotForm: the parameters of the KML placemark (name, description,
// line colour, extrude and tessellate flags, altitude mode). The colour, the
// flags and the altitude mode are stored at once; typed texts on Continue,
// which hides the dialog (and on the close box and Escape, which do the same).
#pragma once

#include "convert/settings.h"
#include "property_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace torvane::app {

class TrackPlotForm : public PropertyDialog {
    Q_OBJECT

public:
    TrackPlotForm(Settings& settings, QWidget* parent);

    // After an analysis, which stored fresh values: both texts back to
    // "<default>" (the stored values apply), the colour list, the boxes and
    // the altitude mode on the stored values, as a dialog made now shows them.
    void ShowAnalysed();

signals:
    // The user ticked "Times for the time slider".
    void TimesAsked();

private:
    void StoreColour(int index);
    void ShowStoredFlags();
    void StoreFlags();
    void Continue();
    void StoreShownValues() override;  // typed texts and flags, as Continue stores them

    Settings& settings_;
    QLineEdit* name_;
    QPlainTextEdit* description_;
    QComboBox* colour_;
    QCheckBox* tessellate_;
    QCheckBox* extrude_;
    QCheckBox* timeTrack_;  // "Times for the time slider"
    QRadioButton* relative_;
    QRadioButton* absolute_;
    QPushButton* continue_;
};

}  // namespace torvane::app
