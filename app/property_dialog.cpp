#include "property_dialog.h"

#include <QCloseEvent>
#include <QScreen>

#include <algorithm>

namespace torvane::app {

void PropertyDialog::ShowNonModal() {
    setEnabled(true);
    if (!placed_) PlaceBesideMainWindow();
    show();
    raise();
    activateWindow();
    Shown();
}

// First shown beside the main window, so that its controls (START among
// them) stay reachable: right of it, else left, below or above it, where the
// screen has room; else over the main window below or above START (over the
// message area or the lists), where it leaves START whole; always inside
// the screen.
void PropertyDialog::PlaceBesideMainWindow() {
    QWidget* main = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (main == nullptr || !main->isVisible()) return;
    placed_ = true;
    const QRect screen = main->screen()->availableGeometry();
    const QRect beside = main->frameGeometry();
    const QSize size = sizeHint().expandedTo(minimumSizeHint());
    QRect start;
    if (const QWidget* button = main->findChild<QWidget*>(QStringLiteral("Command1"))) {
        start = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    }
    const int rightmost = screen.right() + 1 - size.width();
    const QPoint candidates[] = {
        {beside.right() + 1, beside.top()},
        {beside.left() - size.width(), beside.top()},
        {beside.left(), beside.bottom() + 1},
        {beside.left(), beside.top() - size.height()},
        {rightmost, start.bottom() + 1},
        {rightmost, start.top() - size.height()},
    };
    QPoint chosen = candidates[0];
    for (const QPoint& candidate : candidates) {
        if (screen.contains(QRect(candidate, size))) {
            chosen = candidate;
            break;
        }
    }
    chosen.setX(std::clamp(chosen.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
    chosen.setY(std::clamp(chosen.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
    move(chosen);
}

void PropertyDialog::reject() {
    StoreShownValues();
    QDialog::reject();
}

void PropertyDialog::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) emit ClosedByUser();
}

}  // namespace torvane::app
