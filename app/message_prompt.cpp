#include "message_prompt.h"

#include <QCoreApplication>

#include "frontend/shared_texts.h"

namespace torvane::app {

std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent) {
    // The texts end their lines with CR LF; a label breaks lines at LF alone.
    QString shown = request.text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto box = std::make_unique<QMessageBox>(request.icon, request.title, shown, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton) box->setDefaultButton(request.defaultButton);
    return box;
}

QMessageBox::StandardButton AskWithMessageBox(const MessageRequest& request, QWidget* parent) {
    const auto box = BuildMessageBox(request, parent);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

DesktopServices DefaultDesktopServices(QWidget* parent) {
    DesktopServices services;
    services.ask = [parent](const MessageRequest& request) { return AskWithMessageBox(request, parent); };
    services.endProgram = [] { QCoreApplication::exit(0); };
    return services;
}

MessageRequest OverwriteQuestion() {
    MessageRequest request;
    request.title = QStringLiteral("File Warning");
    request.text = QString::fromUtf8(frontend::kOverwriteQuestion.data(),
                                     static_cast<qsizetype>(frontend::kOverwriteQuestion.size()));
    request.icon = QMessageBox::Warning;
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::No;
    return request;
}

MessageRequest OverwriteRefusal() {
    MessageRequest request;
    request.title = QStringLiteral("File Warning");
    request.text = QString::fromUtf8(frontend::kMoveExistingFile.data(),
                                     static_cast<qsizetype>(frontend::kMoveExistingFile.size())) +
                   QStringLiteral("\r\nProgram will be terminated.");
    request.icon = QMessageBox::Warning;
    request.buttons = QMessageBox::Ok;
    request.defaultButton = QMessageBox::Ok;
    return request;
}

}  // namespace torvane::app
