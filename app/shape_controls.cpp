#include "shape_controls.h"

#include <QCheckBox>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <initializer_list>
#include <utility>

#include "frontend/shape_fields.h"
#include "widget_helpers.h"

namespace torvane::app {
namespace {

QLineEdit* Box(const QString& name, const QString& example, const QString& tip, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setPlaceholderText(example);
    box->setToolTip(tip);
    return box;
}

}  // namespace

ShapeControls::ShapeControls(QWidget* parent) : QGroupBox(QStringLiteral("Shape the track"), parent) {
    setObjectName(QStringLiteral("Frame5"));
    from_ = Box(QStringLiteral("Text5"), QStringLiteral("2024-06-01T10:00:00+02:00"),
                QStringLiteral("keep the positions at this time and after, by the times the log gives"), this);
    until_ = Box(QStringLiteral("Text6"), QStringLiteral("2024-06-01T12:00:00Z"),
                 QStringLiteral("keep the positions up to this time and at it"), this);
    shift_ = Box(QStringLiteral("Text7"), QStringLiteral("+01:00:00"),
                 QStringLiteral("move every time by the given hours, minutes and seconds (a clock that was off)"), this);
    gap_ = Box(QStringLiteral("Text8"), QStringLiteral("30m"),
               QStringLiteral("start a new piece after a pause longer than this (hh:mm:ss, or 90s, 15m, 2h)"), this);
    day_ = MakeNamed<QCheckBox>(QStringLiteral("Check11"), QStringLiteral("Sp&lit at each UTC day"), this);
    day_->setToolTip(QStringLiteral("start a new piece where a new UTC day begins"));
    simplify_ = Box(QStringLiteral("Text9"), QStringLiteral("5"),
                    QStringLiteral("leave out positions, keeping every one left out within this many metres of the "
                                   "track between the positions kept"),
                    this);
    most_ = Box(QStringLiteral("Text10"), QStringLiteral("500"),
                QStringLiteral("at most this many positions: simplified at the least distance that keeps to it"), this);

    // Rows of boxes as wide as their examples; the rule of their order beneath.
    const auto fit = [](QLineEdit* box) {
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(box->placeholderText()) * 9 / 8 + 12);
    };
    for (QLineEdit* box : {from_, until_, shift_}) fit(box);
    for (QLineEdit* box : {gap_, simplify_, most_}) box->setFixedWidth(shift_->width());
    auto* rows = new QVBoxLayout(this);
    const auto row = [rows, this](std::initializer_list<std::pair<const char*, QWidget*>> items) {
        auto* line = new QHBoxLayout;
        for (const auto& [label, control] : items) {
            if (label != nullptr) {
                auto* caption = new QLabel(QString::fromUtf8(label), this);
                caption->setBuddy(control);
                line->addWidget(caption);
            }
            line->addWidget(control);
            line->addSpacing(8);
        }
        line->addStretch(1);
        rows->addLayout(line);
    };
    row({{"From", from_}, {"Until", until_}});
    row({{"Time shift", shift_}, {"Split at pauses over", gap_}, {nullptr, day_}});
    row({{"Simplify within (m)", simplify_}, {"At most (positions)", most_}});
    rows->addWidget(new QLabel(QStringLiteral("Applied in this order: crop, shift, split, simplify."), this));
}

bool ShapeControls::Read(OutputKind kind, bool kmlTimeTrack, ShapeOptions& options, QString& error) const {
    using frontend::ShapeField;
    const struct {
        QLineEdit* box;
        ShapeField field;
        const char* label;
        const char* takes;
    } boxes[] = {
        {from_, ShapeField::From, "From", "a time YYYY-MM-DDThh:mm:ss with its zone (Z or +hh:mm)"},
        {until_, ShapeField::Until, "Until", "a time YYYY-MM-DDThh:mm:ss with its zone (Z or +hh:mm)"},
        {shift_, ShapeField::TimeShift, "Time shift", "[+-]hh:mm:ss"},
        {gap_, ShapeField::SplitGap, "Split at pauses over",
         "a duration above 0 (hh:mm:ss, or a number with s, m or h)"},
        {simplify_, ShapeField::Simplify, "Simplify within (m)", "a distance in metres above 0"},
        {most_, ShapeField::MaxPoints, "At most (positions)", "a whole number above 0"},
    };
    options = ShapeOptions{};
    for (const auto& b : boxes) {
        const QString text = b.box->text().trimmed();
        if (text.isEmpty()) continue;
        if (!frontend::ReadShapeField(b.field, text.toStdString(), options)) {
            error = QStringLiteral("\"%1\" takes %2, not '%3'. Nothing was written.")
                        .arg(QString::fromUtf8(b.label), QString::fromUtf8(b.takes), text);
            return false;
        }
    }
    options.splitDay = day_->isChecked();
    switch (frontend::FindShapeConflict(options, kind, kmlTimeTrack)) {
        case frontend::ShapeConflict::SplitWithoutPieces:
            error = QStringLiteral(
                "A split applies only to the outputs that hold pieces: GPX, GeoJSON and KML with \"Times for the "
                "time slider\". Nothing was written.");
            return false;
        case frontend::ShapeConflict::ShiftWithoutTimes:
            error = QStringLiteral(
                "A time shift applies only to the outputs that hold times: the data table, GPX, GeoJSON and KML with "
                "\"Times for the time slider\". Nothing was written.");
            return false;
        case frontend::ShapeConflict::FromAfterUntil:
            error = QStringLiteral("\"From\" is later than \"Until\". Nothing was written.");
            return false;
        case frontend::ShapeConflict::None:
            break;
    }
    return true;
}

}  // namespace torvane::app
