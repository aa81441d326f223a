// Small builders for the controls of the windows: each control carries a
// fixed objectName (Command1, Check3, Option5, Text2, ...), so that tests
// find it by that name.
#pragma once

#include <QString>

#include <string_view>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QPushButton;
class QRadioButton;
class QWidget;

namespace torvane::app {

QLabel* MakeHeading(const QString& text, QWidget* parent);
// A label; with a buddy its mnemonic moves the focus there.
QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent = nullptr);
// A control with a caption (group box, check box, option or push button).
template <typename Control>
Control* MakeNamed(const QString& name, const QString& text, QWidget* parent) {
    auto* control = new Control(text, parent);
    control->setObjectName(name);
    return control;
}

// A row holding the dialog's Continue button at its right end; the button
// is the dialog's default button.
QHBoxLayout* ContinueRow(QPushButton* button);

// Forgets the sizes `layout` and every layout within it (also those of its
// widgets) have worked out, so that the least size asked next counts
// what was just shown or hidden, before Qt's own deferred updates.
void InvalidateLayouts(QLayout* layout);

// A control's caption as the user reads it, without the mnemonic marker.
QString Caption(const QString& text);

// Bytes as text: UTF-8 where they are valid UTF-8, else Latin-1 (so every
// file name can be shown, and none two ways).
QString TextFromBytes(std::string_view bytes);

}  // namespace torvane::app
