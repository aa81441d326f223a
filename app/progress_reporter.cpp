#include "progress_reporter.h"

namespace torvane::app {
namespace {

constexpr int kSteps = 1000;

}  // namespace

ProgressReporter::ProgressReporter(QWidget* parent, const QString& label,
                                   std::function<void(const QString&)> status, Cancel cancel, int delayMs)
    : dialog_(new QProgressDialog(label, cancel == kCancellable ? QStringLiteral("Cancel") : QString(), 0, kSteps,
                                  parent)) {
    dialog_->setObjectName(QStringLiteral("Progress"));
    dialog_->setWindowTitle(QStringLiteral("Torvane"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(delayMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    if (cancel == kNotCancellable) dialog_->setWindowFlag(Qt::WindowCloseButtonHint, false);

    QPointer<QProgressDialog> dialog = dialog_;
    hooks_.status = [dialog, status](std::string_view text) {
        const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (status) status(shown);
        if (dialog) dialog->setLabelText(shown);
    };
    hooks_.progress = [dialog](std::uint64_t done, std::uint64_t total) {
        if (!dialog || total == 0) return;
        const std::uint64_t share = done >= total ? kSteps : done * kSteps / total;
        // A modal progress dialog handles pending events here once it shows.
        dialog->setValue(static_cast<int>(share));
    };
    if (cancel == kCancellable) hooks_.cancelled = [dialog] { return !dialog || dialog->wasCanceled(); };
}

ProgressReporter::~ProgressReporter() {
    delete dialog_.data();
}

}  // namespace torvane::app
