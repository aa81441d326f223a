// A progress dialog for a long analysis or run. It appears only when the
// work takes longer than `delayMs` (about a second), shows the share of the input read,
// and, for a conversion run, a Cancel button (its close box does the same);
// an analysis has neither and always runs to its end.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <functional>

#include "convert/run/progress.h"

namespace torvane::app {

class ProgressReporter {
public:
    // `status` receives the status texts of the work (for the message area).
    enum Cancel { kNotCancellable, kCancellable };
    ProgressReporter(QWidget* parent, const QString& label, std::function<void(const QString&)> status,
                     Cancel cancel = kNotCancellable, int delayMs = 1000);
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    // The hooks to hand to the work; valid while this object lives.
    const ProgressHooks* Hooks() const { return &hooks_; }

    QProgressDialog* Dialog() const { return dialog_; }

private:
    QPointer<QProgressDialog> dialog_;
    ProgressHooks hooks_;
};

}  // namespace torvane::app
