// TrackPlotForm: the parameters of the KML placemark (name, description,
// line colour, extrude and tessellate flags, altitude mode). The colour is
// stored at once; the rest on Continue, which hides the dialog.
#pragma once

#include <QDialog>

#include "convert/settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace torvane::app {

class TrackPlotForm : public QDialog {
    Q_OBJECT

public:
    TrackPlotForm(Settings& settings, QWidget* parent);

    // Shows the dialog without blocking the main window.
    void ShowNonModal();

signals:
    // The user closed the dialog with its close box.
    void ClosedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void StoreColour(int index);
    void Continue();

    Settings& settings_;
    QLineEdit* name_;
    QPlainTextEdit* description_;
    QComboBox* colour_;
    QCheckBox* tessellate_;
    QCheckBox* extrude_;
    QRadioButton* relative_;
    QRadioButton* absolute_;
    QPushButton* continue_;
};

}  // namespace torvane::app
