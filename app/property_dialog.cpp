#include "property_dialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace torvane::app {
namespace {

// The main window's frame and inside as the window manager last reported
// them. The window's own answer is fresh; the widget keeps the frame of its
// last move or resize, which may be from before the window manager told
// its frame.
QRect FrameOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->frameGeometry() : window->frameGeometry();
}

QRect InsideOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->geometry() : window->geometry();
}

}  // namespace

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
// message area or the lists), where it leaves START whole; else the same
// with its groups side by side, which makes it lower; always inside the
// screen. A window manager's frame around the dialog is taken to be the one
// around the main window; and as some place a new window's frame at the
// point it is moved to and others its inside, the place leaves room for
// either.
void PropertyDialog::PlaceBesideMainWindow() {
    QWidget* main = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (main == nullptr || !main->isVisible()) return;
    placed_ = true;
    QPoint place;
    if (!FindPlace(main, place) && groups_ != nullptr) {
        groups_->setDirection(QBoxLayout::LeftToRight);
        layout()->activate();
        resize(Size(main));
        if (!FindPlace(main, place)) {
            // Nowhere clear of START: one below the other, unless only side
            // by side the dialog, Continue and all, stays on the screen.
            const QPoint besideEachOther = place;
            const QSize lower = size();
            groups_->setDirection(QBoxLayout::TopToBottom);
            layout()->activate();
            resize(Size(main));
            const int room = main->screen()->availableGeometry().height();
            if (!FindPlace(main, place) && Size(main).height() > room && lower.height() <= room) {
                groups_->setDirection(QBoxLayout::LeftToRight);
                layout()->activate();
                resize(lower);
                place = besideEachOther;
            }
        }
    }
    move(place);
}

// The dialog's size: as it asks, but no wider than the screen, frame and
// all, where it can be narrower (its groups side by side share the room).
QSize PropertyDialog::Size(const QWidget* main) const {
    const QRect beside = FrameOf(main);
    const QRect inner = InsideOf(main);
    // The frame on both sides, and once more the left one: where a window
    // manager places the frame's corner at the point the window is moved to.
    const int frame = 2 * (inner.left() - beside.left()) + (beside.right() - inner.right());
    const int most = main->screen()->availableGeometry().width() - frame;
    return sizeHint().boundedTo(QSize(most, sizeHint().height())).expandedTo(minimumSizeHint());
}

// The place of the dialog's frame; false when none of the places fits,
// `place` then the first one held inside the screen.
bool PropertyDialog::FindPlace(QWidget* main, QPoint& place) const {
    const QRect screen = main->screen()->availableGeometry();
    const QRect beside = FrameOf(main);
    const QRect inner = InsideOf(main);
    const QMargins frame(inner.left() - beside.left(), inner.top() - beside.top(), beside.right() - inner.right(),
                         beside.bottom() - inner.bottom());
    const QPoint inside(frame.left(), frame.top());
    const QSize size = Size(main).grownBy(frame) + QSize(inside.x(), inside.y());
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
    for (const QPoint& candidate : candidates) {
        if (screen.contains(QRect(candidate, size))) {
            place = candidate + inside;
            return true;
        }
    }
    place.setX(std::clamp(candidates[0].x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
    place.setY(std::clamp(candidates[0].y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
    place += inside;
    return false;
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
