// The group of the shaping options in the main window: crop, shift, split,
// simplify and limit, as the command line's --from, --until, --time-shift,
// --split-gap, --split-day, --simplify and --max-points take them. Hidden
// until "Shape the track" is checked; empty boxes are options left off.
#pragma once

#include <QGroupBox>
#include <QString>

#include "convert/settings.h"
#include "convert/shape/shape_options.h"

class QCheckBox;
class QLineEdit;

namespace torvane::app {

class ShapeControls : public QGroupBox {
    Q_OBJECT
public:
    explicit ShapeControls(QWidget* parent = nullptr);

    // The options the boxes hold for a run to `kind` (`kmlTimeTrack`: the
    // KML document with its time track). False with the message to show
    // where a box holds what it does not take, or the output cannot take
    // what they ask.
    bool Read(OutputKind kind, bool kmlTimeTrack, ShapeOptions& options, QString& error) const;

    QLineEdit* From() const { return from_; }
    QLineEdit* Until() const { return until_; }
    QLineEdit* TimeShift() const { return shift_; }
    QLineEdit* SplitGap() const { return gap_; }
    QCheckBox* SplitDay() const { return day_; }
    QLineEdit* Simplify() const { return simplify_; }
    QLineEdit* MaxPoints() const { return most_; }

private:
    QLineEdit* from_ = nullptr;      // Text5
    QLineEdit* until_ = nullptr;     // Text6
    QLineEdit* shift_ = nullptr;     // Text7
    QLineEdit* gap_ = nullptr;       // Text8
    QCheckBox* day_ = nullptr;       // Check11
    QLineEdit* simplify_ = nullptr;  // Text9
    QLineEdit* most_ = nullptr;      // Text10
};

}  // namespace torvane::app
