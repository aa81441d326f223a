// The questions and notices the main window puts to the user in message
// boxes, and the ending of the program. Both reach the desktop through
// replaceable functions, so that the windows can be driven without a user.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>

namespace torvane::app {

// One message box: title, text, icon, buttons and the default button.
struct MessageRequest {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows a request and returns the button the user chose.
using AskFunction = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

// How the windows reach the desktop.
struct DesktopServices {
    AskFunction ask;                  // a message box; a modal QMessageBox when empty
    std::function<void()> endProgram; // ends the program; QCoreApplication::exit when empty
    int progressDelayMs = 1000;       // how long work runs before its progress dialog shows
};

// The message box for a request, ready to be shown.
std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent);

// Shows the request in a modal message box and waits for the answer.
QMessageBox::StandardButton AskWithMessageBox(const MessageRequest& request, QWidget* parent);

// The services of the real desktop for windows under `parent`.
DesktopServices DefaultDesktopServices(QWidget* parent);

// The questions of a run.
MessageRequest OverwriteQuestion();
MessageRequest OverwriteRefusal();

}  // namespace torvane::app
