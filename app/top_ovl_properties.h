// TOP_OVL_Properties: the overlay symbol's map name, line width and colour.
// Every change is stored at once; Continue only hides the dialog.
#pragma once

#include <array>

#include "convert/settings.h"
#include "property_dialog.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace torvane::app {

class TOP_OVL_Properties : public PropertyDialog {
    Q_OBJECT

public:
    TOP_OVL_Properties(Settings& settings, QWidget* parent);

private:
    Settings& settings_;
    QLineEdit* mapName_;
    QLineEdit* width_;
    std::array<QRadioButton*, 9> colours_{};  // element i: colour code i + 1
    QPushButton* continue_;
};

}  // namespace torvane::app
