#include "altitude_manipulation.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "convert/read/text_scan.h"
#include "widget_helpers.h"

namespace torvane::app {

AltitudeManipulation::AltitudeManipulation(Settings& settings, QWidget* parent) : PropertyDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("AltitudeManipulation"));
    setWindowTitle(QStringLiteral("Torvane  AM"));

    auto* heading = MakeHeading(QStringLiteral("Altitude Manipulation for GGA"), this);

    value_ = new QLineEdit(QStringLiteral("0"), this);
    value_->setObjectName(QStringLiteral("Text1"));
    value_->setMaximumWidth(value_->fontMetrics().horizontalAdvance(QStringLiteral("-0000.000")) + 16);
    add_ = MakeNamed<QRadioButton>(QStringLiteral("Option1"), QStringLiteral("A&dd altitude:"), this);
    set_ = MakeNamed<QRadioButton>(QStringLiteral("Option2"), QStringLiteral("&Set fixed altitude:"), this);
    add_->setChecked(true);

    auto* grid = new QGridLayout;
    grid->addWidget(MakeLabel(QStringLiteral("Label2"), QStringLiteral("&Altitude:"), value_), 0, 0);
    grid->addWidget(value_, 0, 1);
    // The box is not corrected; beside it stands what its text amounts to.
    applied_ = MakeLabel(QStringLiteral("Label4"), QString(), nullptr, this);
    grid->addWidget(applied_, 0, 2);
    grid->addWidget(MakeLabel(QStringLiteral("Label3"), QStringLiteral("(+/- 1000 m)"), nullptr), 1, 1);
    grid->addWidget(add_, 2, 0, 1, 2);
    grid->addWidget(set_, 3, 0, 1, 2);
    grid->setColumnStretch(3, 1);

    continue_ = MakeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("&Continue"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addLayout(ContinueRow(continue_));

    connect(value_, &QLineEdit::textChanged, this, &AltitudeManipulation::StoreValue);
    connect(continue_, &QPushButton::clicked, this, &AltitudeManipulation::Continue);
    ShowApplied();
}

void AltitudeManipulation::Shown() { continue_->setFocus(); }

void AltitudeManipulation::ResetAfterRun() {
    hide();
    value_->setText(QStringLiteral("0"));
    StoreValue(value_->text());  // also when the box held "0" already
    add_->setChecked(true);
    // The stored mode follows the dialog as it now stands: with "Add" and no
    // amount, a fixed altitude chosen for the last run does not carry over
    // into the next one.
    if (settings_.AltitudeMode != AltitudeMode::NeverSet) settings_.AltitudeMode = AltitudeMode::Add;
}

void AltitudeManipulation::StoreValue(const QString& text) {
    settings_.AltitudeValue = HeldAltitudeValue(LeadingNumber(text.toStdString()));
    ShowApplied();
}

void AltitudeManipulation::ShowApplied() {
    const float amount = HeldAltitudeValue(LeadingNumber(value_->text().toStdString()));
    applied_->setText(QStringLiteral("applies: %1 m").arg(QString::number(static_cast<double>(amount), 'g', 7)));
}

void AltitudeManipulation::StoreShown() {
    StoreValue(value_->text());
    if (settings_.AltitudeMode != AltitudeMode::NeverSet) {
        settings_.AltitudeMode = set_->isChecked() ? AltitudeMode::SetFixed : AltitudeMode::Add;
    }
    emit Applied();
}

void AltitudeManipulation::Continue() {
    hide();
    StoreShownValues();
}

void AltitudeManipulation::StoreShownValues() {
    settings_.AltitudeMode = set_->isChecked() ? AltitudeMode::SetFixed : AltitudeMode::Add;
    emit Applied();
}

}  // namespace torvane::app
