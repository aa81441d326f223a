#include "track_plot_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "convert/colours.h"
#include "widget_helpers.h"

namespace torvane::app {
namespace {

const QString kDefaultText = QStringLiteral("<default>");

// Text the user typed into a box, or empty when the box holds what the
// program put there, nothing, or the "<default>" marker.
QString TypedText(bool modified, const QString& text) {
    if (!modified || text.isEmpty() || text == kDefaultText) return {};
    return text;
}

// Stored text as it is written: UTF-8 where it is valid, else Latin-1.
QString StoredText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TrackPlotForm::TrackPlotForm(Settings& settings, QWidget* parent) : PropertyDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("TrackPlotForm"));
    setWindowTitle(QStringLiteral("Torvane - TrackPlotProperties"));

    auto* heading = MakeHeading(QStringLiteral("Parameters for Track Plot in GOOGLE Earth"), this);

    auto* placemark = MakeNamed<QGroupBox>(QStringLiteral("Frame1"), QStringLiteral("Placemark"), this);
    name_ = new QLineEdit(placemark);
    name_->setObjectName(QStringLiteral("Text1"));
    description_ = new QPlainTextEdit(placemark);
    description_->setObjectName(QStringLiteral("Text2"));
    description_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    description_->setTabChangesFocus(true);
    description_->setFixedHeight(description_->fontMetrics().lineSpacing() * 4 + 12);
    auto* placemarkLayout = new QFormLayout(placemark);
    placemarkLayout->addRow(MakeLabel(QStringLiteral("Label2"), QStringLiteral("&Name:"), name_), name_);
    placemarkLayout->addRow(MakeLabel(QStringLiteral("Label3"), QStringLiteral("&Description:"), description_),
                            description_);

    auto* linestring = MakeNamed<QGroupBox>(QStringLiteral("Frame2"), QStringLiteral("Linestring"), this);
    colour_ = new QComboBox(linestring);
    colour_->setObjectName(QStringLiteral("Combo1"));
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(MakeLabel(QStringLiteral("Label4"), QStringLiteral("Line Co&lor:"), colour_));
    colourRow->addWidget(colour_, 1);

    auto* lineProperties = MakeNamed<QGroupBox>(QStringLiteral("Frame3"), QStringLiteral("Line Properties"), linestring);
    tessellate_ = MakeNamed<QCheckBox>(QStringLiteral("Check1"), QStringLiteral("&Tessellate"), lineProperties);
    extrude_ = MakeNamed<QCheckBox>(QStringLiteral("Check2"), QStringLiteral("E&xtrude"), lineProperties);
    auto* linePropertiesLayout = new QVBoxLayout(lineProperties);
    linePropertiesLayout->addWidget(tessellate_);
    linePropertiesLayout->addWidget(extrude_);

    auto* altitudeMode = MakeNamed<QGroupBox>(QStringLiteral("Frame4"), QStringLiteral("Altitude Mode"), linestring);
    relative_ = MakeNamed<QRadioButton>(QStringLiteral("Option1"), QStringLiteral("&Relative to Ground"), altitudeMode);
    absolute_ = MakeNamed<QRadioButton>(QStringLiteral("Option2"), QStringLiteral("A&bsolute"), altitudeMode);
    relative_->setChecked(true);
    auto* altitudeModeLayout = new QVBoxLayout(altitudeMode);
    altitudeModeLayout->addWidget(relative_);
    altitudeModeLayout->addWidget(absolute_);

    auto* groupsRow = new QHBoxLayout;
    groupsRow->addWidget(lineProperties);
    groupsRow->addWidget(altitudeMode);
    auto* linestringLayout = new QVBoxLayout(linestring);
    linestringLayout->addLayout(colourRow);
    linestringLayout->addLayout(groupsRow);

    continue_ = MakeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("&Continue"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    auto* groups = new QBoxLayout(QBoxLayout::TopToBottom);
    groups->addWidget(placemark);
    groups->addWidget(linestring);
    layout->addLayout(groups);
    SetGroups(groups);
    // Left of Continue, so that the dialog keeps its size.
    timeTrack_ = MakeNamed<QCheckBox>(QStringLiteral("Check3"), QStringLiteral("Times for the time &slider"), this);
    timeTrack_->setToolTip(QStringLiteral(
        "add a track with the date and time of every position (KML 2.2), which Google Earth's time slider plays"));
    QHBoxLayout* continueRow = ContinueRow(continue_);
    continueRow->insertWidget(0, timeTrack_);
    layout->addLayout(continueRow);

    // Creation defaults: "<default>" in both texts and the first colour,
    // which is stored at once. The boxes and the altitude mode show the
    // stored flags, which they store at once when changed, so that what the
    // dialog shows is what a run writes, whether or not Continue is pressed.
    name_->setText(kDefaultText);
    description_->setPlainText(kDefaultText);
    for (const auto& [colourName, code] : kKmlColours) {
        colour_->addItem(QString::fromLatin1(colourName.data(), static_cast<qsizetype>(colourName.size())));
    }
    colour_->setCurrentIndex(0);
    StoreColour(0);
    ShowStoredFlags();
    connect(colour_, &QComboBox::currentIndexChanged, this, &TrackPlotForm::StoreColour);
    for (QAbstractButton* flag : {static_cast<QAbstractButton*>(extrude_), static_cast<QAbstractButton*>(tessellate_),
                                  static_cast<QAbstractButton*>(absolute_), static_cast<QAbstractButton*>(timeTrack_)}) {
        connect(flag, &QAbstractButton::toggled, this, &TrackPlotForm::StoreFlags);
    }
    connect(timeTrack_, &QCheckBox::clicked, this, [this](bool on) {
        if (on) emit TimesAsked();
    });
    connect(continue_, &QPushButton::clicked, this, &TrackPlotForm::Continue);
}

void TrackPlotForm::ShowStoredFlags() {
    const QSignalBlocker extrude(extrude_);
    const QSignalBlocker tessellate(tessellate_);
    const QSignalBlocker absolute(absolute_);
    const QSignalBlocker timeTrack(timeTrack_);
    timeTrack_->setChecked(settings_.KmlTimeTrack);
    extrude_->setChecked(settings_.KmlProperties[kKmlExtrude] == " 1");
    tessellate_->setChecked(settings_.KmlProperties[kKmlTessellate] == " 1");
    (settings_.KmlProperties[kKmlAltitudeMode] == "absolute" ? absolute_ : relative_)->setChecked(true);
}

void TrackPlotForm::StoreFlags() {
    settings_.KmlProperties[kKmlExtrude] = extrude_->isChecked() ? " 1" : " 0";
    settings_.KmlProperties[kKmlTessellate] = tessellate_->isChecked() ? " 1" : " 0";
    settings_.KmlProperties[kKmlAltitudeMode] = absolute_->isChecked() ? "absolute" : "relativeToGround";
    settings_.KmlTimeTrack = timeTrack_->isChecked();
}

void TrackPlotForm::ShowAnalysed() {
    name_->setText(kDefaultText);
    name_->setModified(false);
    description_->setPlainText(kDefaultText);
    description_->document()->setModified(false);
    ShowStoredFlags();
    int index = -1;
    for (std::size_t i = 0; i < kKmlColours.size(); ++i) {
        if (kKmlColours[i].second == settings_.KmlProperties[kKmlLineColor]) index = static_cast<int>(i);
    }
    if (index < 0) {
        // A colour the list does not hold: the list's own choice is stored.
        StoreColour(colour_->currentIndex());
        return;
    }
    const QSignalBlocker blocker(colour_);
    colour_->setCurrentIndex(index);
}

void TrackPlotForm::StoreColour(int index) {
    if (index < 0 || index >= static_cast<int>(kKmlColours.size())) return;
    settings_.KmlProperties[kKmlLineColor] = std::string(kKmlColours[static_cast<std::size_t>(index)].second);
}

void TrackPlotForm::Continue() {
    StoreShownValues();
    hide();
}

void TrackPlotForm::StoreShownValues() {
    // Typed text replaces the stored name and description; the boxes then
    // show what is stored.
    const QString typedName = TypedText(name_->isModified(), name_->text());
    if (!typedName.isEmpty()) settings_.KmlProperties[kKmlName] = typedName.toStdString();
    const QString typedDescription =
        TypedText(description_->document()->isModified(), description_->toPlainText());
    if (!typedDescription.isEmpty()) settings_.KmlProperties[kKmlDescription] = typedDescription.toStdString();
    name_->setText(StoredText(settings_.KmlProperties[kKmlName]));
    description_->setPlainText(StoredText(settings_.KmlProperties[kKmlDescription]));
    description_->document()->setModified(false);

    StoreFlags();
}

}  // namespace torvane::app
