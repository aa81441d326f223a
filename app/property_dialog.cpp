#include "property_dialog.h"

#include <QCloseEvent>

namespace torvane::app {

void PropertyDialog::ShowNonModal() {
    setEnabled(true);
    show();
    raise();
    activateWindow();
    Shown();
}

void PropertyDialog::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) emit ClosedByUser();
}

}  // namespace torvane::app
