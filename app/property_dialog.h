// What the three property dialogs share: they are shown without blocking the
// main window; Continue, the close box and Escape all store what the dialog
// shows and hide it; and they tell the main window when the user closed them
// with the close box (the main window then makes them afresh, showing and
// storing their creation defaults).
#pragma once

#include <QDialog>

class QBoxLayout;

namespace torvane::app {

class PropertyDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

    // Shows the dialog without blocking the main window, in front.
    void ShowNonModal();

signals:
    // The user closed the dialog with its close box.
    void ClosedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

    // Called after the dialog is shown; a dialog may move the focus here.
    virtual void Shown() {}

    // Stores what the dialog shows, as Continue does before it hides the
    // dialog; the close box and Escape do it too.
    virtual void StoreShownValues() {}

    // Escape, and the close box (through QDialog::closeEvent).
    void reject() override;

    // The dialog's groups, one below the other; side by side where the
    // screen has no room for the dialog's height beside START.
    void SetGroups(QBoxLayout* groups) { groups_ = groups; }

private:
    void PlaceBesideMainWindow();
    bool FindPlace(QWidget* main, QPoint& place) const;
    QSize Size(const QWidget* main) const;

    bool placed_ = false;
    QBoxLayout* groups_ = nullptr;
};

}  // namespace torvane::app
