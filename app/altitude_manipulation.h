// AltitudeManipulation: an amount added to every altitude, or one fixed
// altitude for all. The amount is stored on every change of the text box,
// read from the number at the start of its text and held within -1000 to
// 1000 m, and shown beside the box as it applies; the mode is stored on
// Continue (and on the close box and Escape, which do what Continue does).
#pragma once

#include "convert/settings.h"
#include "property_dialog.h"

class QLabel;
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

    // Stores what the dialog shows: the amount, and the mode once a mode was
    // ever stored. A dialog made afresh after its close box shows its
    // creation defaults; this makes them what applies.
    void StoreShown();

signals:
    // The amount and the mode a run uses were stored (Continue or the close box).
    void Applied();

protected:
    // The focus goes to Continue whenever the dialog is shown.
    void Shown() override;

private:
    void StoreValue(const QString& text);
    void ShowApplied();  // the amount the box's text amounts to, beside it
    void Continue();
    void StoreShownValues() override;  // the mode, as Continue stores it

    Settings& settings_;
    QLineEdit* value_;
    QLabel* applied_;  // "applies: 12.5 m", the amount as stored
    QRadioButton* add_;
    QRadioButton* set_;
    QPushButton* continue_;
};

}  // namespace torvane::app
