// AltitudeManipulation: an amount added to every altitude, or one fixed
// altitude for all. The amount is stored on every change of the text box,
// held within -1000 to 1000 m; the mode is stored on Continue.
#pragma once

#include "convert/settings.h"
#include "property_dialog.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace torvane::app {

class AltitudeManipulation : public PropertyDialog {
    Q_OBJECT

public:
    AltitudeManipulation(Settings& settings, QWidget* parent);

    // The state after a run: hidden, no amount, "Add altitude:" selected.
    void ResetAfterRun();

signals:
    // The amount and the mode a run uses were stored (Continue or the close box).
    void Applied();

protected:
    // The focus goes to Continue whenever the dialog is shown.
    void Shown() override;

private:
    void StoreValue(const QString& text);
    void Continue();

    Settings& settings_;
    QLineEdit* value_;
    QRadioButton* add_;
    QRadioButton* set_;
    QPushButton* continue_;
};

}  // namespace torvane::app
