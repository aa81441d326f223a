#include "top_ovl_properties.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

#include "convert/colours.h"
#include "output/ovl_document.h"
#include "widget_helpers.h"

namespace torvane::app {
namespace {

// Colour codes by place in the three columns, top to bottom.
constexpr std::array<std::array<int, 3>, 3> kColumns{{{1, 2, 3}, {4, 5, 6}, {9, 8, 7}}};

// Mnemonic letters of the colour buttons, by colour code.
constexpr std::array<int, 9> kMnemonicAt{0, 0, 0, 0, 4, 0, 0, 1, 0};

QString ColourCaption(int code) {
    const std::string_view name = kOvlColours[static_cast<std::size_t>(code - 1)];
    QString caption = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    caption.insert(kMnemonicAt[static_cast<std::size_t>(code - 1)], u'&');
    return caption;
}

// The overlay keeps each value on its own line: pasted line breaks are refused.
class OverlayValueValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return IsOverlayValue(input.toStdString()) ? Acceptable : Invalid;
    }
};

}  // namespace

TOP_OVL_Properties::TOP_OVL_Properties(Settings& settings, QWidget* parent) : PropertyDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("TOP_OVL_Properties"));
    setWindowTitle(QStringLiteral("Torvane TOP OVL Properties"));

    auto* heading = MakeHeading(QStringLiteral("Parameters for TOP Overlay"), this);

    auto* overlay = MakeNamed<QGroupBox>(QStringLiteral("Frame1"), QStringLiteral("Overlay"), this);
    mapName_ = new QLineEdit(overlay);
    mapName_->setObjectName(QStringLiteral("Text2"));
    mapName_->setValidator(new OverlayValueValidator(mapName_));
    auto* mapRow = new QHBoxLayout;
    mapRow->addWidget(MakeLabel(QStringLiteral("Label2"), QStringLiteral("&Map Name:"), mapName_));
    mapRow->addWidget(mapName_, 1);
    auto* overlayLayout = new QVBoxLayout(overlay);
    overlayLayout->addLayout(mapRow);
    overlayLayout->addWidget(
        MakeLabel(QStringLiteral("Label3"), QStringLiteral("For Map Names, refer to TOP CD, File 'mapnames.dat'"),
                  nullptr, overlay));

    auto* lineProperties = MakeNamed<QGroupBox>(QStringLiteral("Frame2"), QStringLiteral("Line Properties"), this);
    width_ = new QLineEdit(lineProperties);
    width_->setObjectName(QStringLiteral("Text3"));
    width_->setValidator(new OverlayValueValidator(width_));
    width_->setMaximumWidth(width_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(MakeLabel(QStringLiteral("Label4"), QStringLiteral("Wi&dth (Pixels):"), width_));
    widthRow->addWidget(width_);
    widthRow->addStretch(1);

    auto* colour = MakeNamed<QGroupBox>(QStringLiteral("Frame3"), QStringLiteral("Colour"), lineProperties);
    auto* colourGrid = new QGridLayout(colour);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            const int code = kColumns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
            auto* button = MakeNamed<QRadioButton>(QStringLiteral("Option%1").arg(code), ColourCaption(code), colour);
            colours_[static_cast<std::size_t>(code - 1)] = button;
            colourGrid->addWidget(button, row, column);
            connect(button, &QRadioButton::clicked, this, [this, code] { settings_.OvlProperties.colour = code; });
        }
    }
    auto* linePropertiesLayout = new QVBoxLayout(lineProperties);
    linePropertiesLayout->addLayout(widthRow);
    linePropertiesLayout->addWidget(colour);

    continue_ = MakeNamed<QPushButton>(QStringLiteral("OVL_Continue"), QStringLiteral("&Continue"), this);
    connect(continue_, &QPushButton::clicked, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    auto* groups = new QBoxLayout(QBoxLayout::TopToBottom);
    groups->addWidget(overlay);
    groups->addWidget(lineProperties);
    layout->addLayout(groups);
    SetGroups(groups);
    layout->addLayout(ContinueRow(continue_));

    // Creation defaults, stored at once; from then on every change is.
    colours_[0]->setChecked(true);
    mapName_->setText(QString::fromUtf8(kDefaultMapName.data(), static_cast<qsizetype>(kDefaultMapName.size())));
    width_->setText(QStringLiteral("4"));
    settings_.OvlProperties.colour = 1;
    settings_.OvlProperties.mapName = mapName_->text().toStdString();
    settings_.OvlProperties.lineWidth = width_->text().toStdString();
    connect(mapName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.OvlProperties.mapName = text.toStdString(); });
    connect(width_, &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.OvlProperties.lineWidth = text.toStdString(); });
}

}  // namespace torvane::app
