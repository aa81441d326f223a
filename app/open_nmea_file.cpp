#include "open_nmea_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QResizeEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QComboBox>
#include <QCoreApplication>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "altitude_manipulation.h"
#include "convert/about.h"
#include "convert/dates/date_sources.h"
#include "convert/dates/log_dates.h"
#include "convert/files/file_messages.h"
#include "convert/files/input_file.h"
#include "convert/kinds.h"
#include "convert/recognise/gpx_copy.h"
#include "convert/recognise/input_analysis.h"
#include "convert/recognise/option_hints.h"
#include "convert/run/analysis_with_summary.h"
#include "convert/run/conversion_run.h"
#include "convert/summary/track_summary.h"
#include "convert/write/line_account.h"
#include "frontend/shared_texts.h"
#include "input_file_lists.h"
#include "progress_reporter.h"
#include "shape_controls.h"
#include "top_ovl_properties.h"
#include "track_plot_form.h"
#include "track_preview_panel.h"
#include "widget_helpers.h"

namespace torvane::app {
namespace {

// Reasons START gives for not running.
constexpr std::string_view kNoDateNote =
    "The log holds no date: for times in GPX, GeoJSON and KML, enter the date of the first position.";
constexpr std::string_view kFirstDateForm =
    "The date of the first position is written YYYY-MM-DD (for example 2024-02-29). Nothing was written.";
constexpr std::string_view kWrittenWithoutTimes = "The log holds no date: its positions were written without times.";
constexpr std::string_view kNoInputChosen = "No input file chosen. Select a file and press ANALYZE first.";
constexpr std::string_view kNothingRecognised =
    "No GPS data recognised yet. Select a file with GPS data and press ANALYZE first.";

// The window's first client area in twips (1440 to the inch, so it grows
// with the desktop's resolution): about 6.2 by 5 inches.
constexpr int kStartWidthTwips = 8880;
constexpr int kStartHeightTwips = 7170;

// Texts that name files show every name: UTF-8, or Latin-1 where it is not.
QString FromBytes(std::string_view text) { return TextFromBytes(text); }

// The line below a run's message when ANALYZE recognised nothing in the
// file and the run read it as the data type of the file before it.
std::string EarlierDataTypeNote(const std::string& path, DataKind kind) {
    return "This run read " + path + " as " + std::string(DataTypeWord(kind)) +
           " data, the kind of the last file recognised; ANALYZE did not recognise this file.";
}

// Clears an option button, which its group would otherwise keep selected.
void Deselect(QRadioButton* button) {
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

// The data types that carry an altitude.
bool CarriesAltitude(DataKind kind) { return InputKindOf(kind).carriesAltitude; }

// The bytes of the local regular file named by dragged data (taken from
// the address itself, so a name that is not UTF-8 survives), or empty.
QByteArray DraggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        std::error_code failure;
        if (std::filesystem::is_regular_file(std::filesystem::path(path.toStdString()), failure)) return path;
    }
    return {};
}

}  // namespace

OpenNMEAFile::OpenNMEAFile(Settings& settings, DesktopServices services, QWidget* parent)
    : QWidget(parent), settings_(settings), services_(std::move(services)) {
    const DesktopServices desktop = DefaultDesktopServices(this);
    if (!services_.ask) services_.ask = desktop.ask;
    if (!services_.endProgram) services_.endProgram = desktop.endProgram;

    setObjectName(QStringLiteral("OpenNMEAFile"));
    setWindowTitle(QStringLiteral("Torvane"));
    setAcceptDrops(true);
    BuildControls();

    // Window load: the introduction, the lists on the current drive (done
    // by the lists themselves), and only ANALYZE and START available.
    ShowMessage(kIntroductionText);
    decimalComma_->setEnabled(false);
    altitude_->setEnabled(false);
    SetOutputTypesEnabled(false);
    settings_.UseDecimalComma = decimalComma_->isChecked();
    settings_.EliminateZeroPositions = eliminateZero_->isChecked();
    igcGnssAltitude_->setEnabled(false);
    CopySentenceOptions();

    // The first size, scaled with the desktop's resolution. The receiver
    // options above START make the window taller by one line of them; the
    // lists and the message area give up the room of their second line, so
    // that the window still fits a small laptop's screen.
    const double pixelsPerTwip = logicalDpiX() / 1440.0;
    const int linePixels = anyTalker_->sizeHint().height() + std::max(0, columns_->spacing());
    const int rowTwips = static_cast<int>(linePixels / pixelsPerTwip);
    const QSize start(static_cast<int>(kStartWidthTwips * pixelsPerTwip),
                      static_cast<int>((kStartHeightTwips + rowTwips) * pixelsPerTwip));
    // On a small or highly scaled screen the window starts no larger than
    // the screen; its lists and message area give up the room.
    // Where even the least size does not fit, the controls scroll.
    FitContentToScreen();
    const QSize hint = content_->sizeHint() - QSize(0, linePixels);
    resize(start.expandedTo(hint).boundedTo(FreeArea()).expandedTo(minimumSizeHint()));
}

void OpenNMEAFile::FitContentToScreen() {
    InvalidateLayouts(columns_);
    const QSize least = content_->minimumSizeHint();
    const QSize free = FreeArea();
    const bool fits = least.width() <= free.width() && least.height() <= free.height();
    if (fits == (scroll_ == nullptr)) return;
    if (fits) {
        // Back in the window itself, as on a screen that has the room.
        content_ = scroll_->takeWidget();
        content_->setParent(this);
        outer_->addWidget(content_);
        content_->show();
        delete scroll_;
        scroll_ = nullptr;
        return;
    }
    outer_->removeWidget(content_);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("Scroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content_);
    outer_->addWidget(scroll_);
    scroll_->show();
}

void OpenNMEAFile::BringIntoView(QWidget* control) {
    if (scroll_ == nullptr) return;
    // The whole control, or its middle where it is larger than the view
    // (not a text box's cursor line, which ensureWidgetVisible would take).
    const QRect area(control->mapTo(content_, QPoint(0, 0)), control->size());
    const QSize view = scroll_->viewport()->size();
    scroll_->ensureVisible(area.center().x(), area.center().y(), std::min(area.width(), view.width()) / 2,
                           std::min(area.height(), view.height()) / 2);
}

QSize OpenNMEAFile::FreeArea() const {
    // Room for a window manager's title bar above the window.
    constexpr int kTitleBar = 40;
    const QScreen* shown = screen();
    if (shown == nullptr) return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return shown->availableGeometry().size() - QSize(0, kTitleBar);
}

OpenNMEAFile::~OpenNMEAFile() = default;

// The input path, and beside it the date field for a log without a date.
QGroupBox* OpenNMEAFile::BuildInputFrame() {
    auto* inputFrame = MakeNamed<QGroupBox>(QStringLiteral("Frame3"), QStringLiteral("Input File"), this);
    inputPath_ = new QLineEdit(inputFrame);
    inputPath_->setObjectName(QStringLiteral("Text3"));
    inputPath_->setReadOnly(true);
    inputPath_->setAcceptDrops(false);
    auto* inputLayout = new QHBoxLayout(inputFrame);
    inputLayout->addWidget(inputPath_, 1);

    // For a log without a date of its own (GGA alone): the dated outputs
    // take this date for its first position.
    firstDate_ = new QLineEdit(this);
    firstDate_->setObjectName(QStringLiteral("Text4"));
    firstDate_->setPlaceholderText(QStringLiteral("Date of the first position"));
    firstDate_->setAccessibleName(QStringLiteral("Date of the first position"));
    firstDate_->setToolTip(QStringLiteral(
        "Date of the first position (UTC, YYYY-MM-DD), for a log that has none of its own; GPX, GeoJSON and KML "
        "times count on from it"));
    firstDate_->setEnabled(false);
    firstDate_->setFixedWidth(firstDate_->fontMetrics().horizontalAdvance(firstDate_->placeholderText()) * 9 / 8);
    // Beside the input path: the date belongs to the log.
    inputLayout->addWidget(firstDate_);
    return inputFrame;
}

// The output types: table, KML and overlay, the dated outputs in a row.
QGroupBox* OpenNMEAFile::BuildOutputFrame() {
    auto* outputFrame = MakeNamed<QGroupBox>(QStringLiteral("Frame2"), QStringLiteral("Output Type"), this);
    table_ = MakeNamed<QRadioButton>(QStringLiteral("Option4"), QStringLiteral("&Data table"), outputFrame);
    table_->setToolTip(QStringLiteral("for GP programs, such as EXCEL (TM) or MATHCAD (TM)"));
    kml_ = MakeNamed<QRadioButton>(QStringLiteral("Option5"), QStringLiteral("Google &KML file"), outputFrame);
    kml_->setToolTip(QStringLiteral("to draw the path onto GOOGLE (TM) world map"));
    ovl_ = MakeNamed<QRadioButton>(QStringLiteral("Option1"), QStringLiteral("&TOP OVL file"), outputFrame);
    gpx_ = MakeNamed<QRadioButton>(QStringLiteral("Option6"), QStringLiteral("GP&X"), outputFrame);
    gpx_->setToolTip(QStringLiteral(
        "GPX 1.1 track with the date and time of every position, for Strava, Garmin Connect, OpenStreetMap, QGIS"));
    geoJson_ = MakeNamed<QRadioButton>(QStringLiteral("Option7"), QStringLiteral("Geo&JSON"), outputFrame);
    geoJson_->setToolTip(QStringLiteral("GeoJSON line with the time of every position, for QGIS, Leaflet, pandas"));
    table_->setChecked(true);
    // The dated outputs side by side in the row the frame has to spare
    // beside the options.
    auto* outputLayout = new QVBoxLayout(outputFrame);
    outputLayout->addWidget(table_);
    outputLayout->addWidget(kml_);
    outputLayout->addWidget(ovl_);
    auto* datedRow = new QHBoxLayout;
    datedRow->addWidget(gpx_);
    datedRow->addWidget(geoJson_);
    datedRow->addStretch(1);
    outputLayout->addLayout(datedRow);
    outputLayout->addStretch(1);

    return outputFrame;
}

QGroupBox* OpenNMEAFile::BuildOptionsFrame() {
    auto* optionsFrame = MakeNamed<QGroupBox>(QStringLiteral("Frame1"), QStringLiteral("Options"), this);
    altitude_ = MakeNamed<QCheckBox>(QStringLiteral("Check2"), QStringLiteral("Apply altitude &manipulation"), optionsFrame);
    decimalComma_ = MakeNamed<QCheckBox>(QStringLiteral("Check1"), QStringLiteral("&Use comma as decimal point"), optionsFrame);
    decimalComma_->setToolTip(QStringLiteral("e.g. for German EXCEL (TM)"));
    eliminateZero_ =
        MakeNamed<QCheckBox>(QStringLiteral("Check3"), QStringLiteral("&Eliminate \"Zero\" positions"), optionsFrame);
    eliminateZero_->setChecked(true);
    eliminateZero_->setEnabled(false);
    auto* optionsLayout = new QVBoxLayout(optionsFrame);
    optionsLayout->addWidget(altitude_);
    optionsLayout->addWidget(decimalComma_);
    optionsLayout->addWidget(eliminateZero_);
    optionsLayout->addStretch(1);
    preview_ = MakeNamed<QCheckBox>(QStringLiteral("Check7"), QStringLiteral("Show track &preview"), optionsFrame);
    preview_->setToolTip(QStringLiteral(
        "show the track, its altitude profile and its figures beside the controls, as a run with the options "
        "chosen would write it"));
    optionsLayout->addWidget(preview_);
    shapeTrack_ = MakeNamed<QCheckBox>(QStringLiteral("Check10"), QStringLiteral("S&hape the track"), optionsFrame);
    shapeTrack_->setToolTip(QStringLiteral(
        "crop, shift, split or simplify the track on its way to the output: the boxes below the options"));
    optionsLayout->addWidget(shapeTrack_);

    return optionsFrame;
}

// What analysis and the run accept from a receiver, in a row above START.
QGridLayout* OpenNMEAFile::BuildReceiverRow() {
    anyTalker_ = MakeNamed<QCheckBox>(QStringLiteral("Check4"), QStringLiteral("Accept e&very satellite system"), this);
    anyTalker_->setToolTip(QStringLiteral(
        "also read $GNGGA, $GLRMC, $GAGLL ... sentences of GLONASS, Galileo, BeiDou and combined receivers as $GP ones"));
    verifyChecksums_ =
        MakeNamed<QCheckBox>(QStringLiteral("Check5"), QStringLiteral("Skip sentences with a wrong &checksum"), this);
    verifyChecksums_->setToolTip(
        QStringLiteral("count and convert only NMEA sentences whose checksum after \"*\" is present and right"));
    igcGnssAltitude_ = MakeNamed<QCheckBox>(QStringLiteral("Check6"), QStringLiteral("&GNSS altitude (IGC)"), this);
    igcGnssAltitude_->setToolTip(
        QStringLiteral("write the GNSS altitude of IGC fixes instead of the pressure altitude"));
    anyRecorder_ =
        MakeNamed<QCheckBox>(QStringLiteral("Check8"), QStringLiteral("Accept every &flight recorder"), this);
    anyRecorder_->setToolTip(QStringLiteral(
        "recognise IGC files of flight apps and small recorders by their fixes: an A record or an HFDTE line and "
        "at least two valid B records, whatever the other header lines"));
    // Four captions side by side would widen the window beyond a small
    // laptop's screen: the fourth stands on a line of its own, below the first.
    auto* receiverRow = new QGridLayout;
    receiverRow->setContentsMargins(0, 0, 0, 0);
    receiverRow->addWidget(anyTalker_, 0, 0);
    receiverRow->addWidget(verifyChecksums_, 0, 1);
    receiverRow->addWidget(igcGnssAltitude_, 0, 2);
    receiverRow->addWidget(anyRecorder_, 1, 0);
    fixOnly_ = MakeNamed<QCheckBox>(QStringLiteral("Check9"), QStringLiteral("Skip positions &without a fix"), this);
    fixOnly_->setToolTip(QStringLiteral("leave out GGA sentences of quality 0 and RMC and GLL sentences of status V"));
    receiverRow->addWidget(fixOnly_, 1, 1);
    receiverRow->setColumnStretch(3, 1);

    return receiverRow;
}

void OpenNMEAFile::BuildControls() {
    content_ = new QWidget(this);
    content_->setObjectName(QStringLiteral("Controls"));
    lists_ = new InputFileLists(this);
    connect(lists_, &InputFileLists::FileChosen, this, &OpenNMEAFile::FileChosen);
    QGroupBox* inputFrame = BuildInputFrame();
    analyze_ = MakeNamed<QPushButton>(QStringLiteral("Command2"), QStringLiteral("&ANALYZE SELECTED FILE !"), this);
    analyze_->setMinimumHeight(analyze_->sizeHint().height() * 3 / 2);

    QGroupBox* outputFrame = BuildOutputFrame();
    QGroupBox* optionsFrame = BuildOptionsFrame();
    QGridLayout* receiverRow = BuildReceiverRow();
    previewPanel_ = new TrackPreviewPanel(this);
    previewPanel_->hide();
    shape_ = new ShapeControls(this);
    shape_->hide();

    start_ = MakeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("&START FILE PROCESSING !"), this);
    start_->setMinimumHeight(start_->sizeHint().height() * 7 / 4);
    for (QPushButton* button : {analyze_, start_}) {
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
    }

    messages_ = new QPlainTextEdit(this);
    messages_->setObjectName(QStringLiteral("Text2"));
    messages_->setReadOnly(true);
    messages_->setTabChangesFocus(true);
    account_ = MakeNamed<QPushButton>(QStringLiteral("Command4"), QStringLiteral("Acc&ount of the lines"), this);
    account_->setToolTip(QStringLiteral("for every line of the log: whether it became a position, and why not"));
    account_->setEnabled(false);

    LayOutControls(inputFrame, outputFrame, optionsFrame, receiverRow);
    SetTabOrder();
    ConnectControls();
}

void OpenNMEAFile::LayOutControls(QGroupBox* inputFrame, QGroupBox* outputFrame, QGroupBox* optionsFrame,
                                  QGridLayout* receiverRow) {
    // Left: the three lists; right: the input path, ANALYZE, output type
    // and options side by side; below: the receiver options, START and the
    // message area.
    auto* left = new QVBoxLayout;
    left->addWidget(lists_->DriveList());
    left->addWidget(lists_->DirectoryList(), 1215);
    left->addWidget(lists_->FileList(), 1650);

    auto* choices = new QHBoxLayout;
    choices->addWidget(outputFrame, 2535);
    choices->addWidget(optionsFrame, 2985);
    auto* right = new QVBoxLayout;
    right->addWidget(inputFrame);
    right->addWidget(analyze_);
    right->addLayout(choices, 1);
    right->addWidget(shape_);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2895);
    top->addLayout(right, 5610);

    auto* controls = new QVBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addLayout(top, 3300);
    controls->addLayout(receiverRow);
    controls->addWidget(start_);
    // The message area, and beside it the account of the lines on request.
    auto* messageRow = new QHBoxLayout;
    messageRow->addWidget(messages_, 1);
    messageRow->addWidget(account_, 0, Qt::AlignTop);
    controls->addLayout(messageRow, 2775);

    // The preview, when shown, to the right of all the controls. They all
    // stand on one widget that fills the window, or that scrolls in it
    // where the screen is too small for it.
    columns_ = new QHBoxLayout(content_);
    columns_->addLayout(controls, 1);
    columns_->addWidget(previewPanel_);
    outer_ = new QVBoxLayout(this);
    outer_->setContentsMargins(0, 0, 0, 0);
    outer_->addWidget(content_);
}

void OpenNMEAFile::SetTabOrder() {
    // Top to bottom, left column first.
    setTabOrder(lists_->DriveList(), lists_->DirectoryList());
    setTabOrder(lists_->DirectoryList(), lists_->FileList());
    setTabOrder(lists_->FileList(), inputPath_);
    setTabOrder(inputPath_, analyze_);
    setTabOrder(analyze_, table_);
    setTabOrder(table_, kml_);
    setTabOrder(kml_, ovl_);
    setTabOrder(ovl_, gpx_);
    setTabOrder(gpx_, geoJson_);
    setTabOrder(geoJson_, firstDate_);
    setTabOrder(firstDate_, altitude_);
    setTabOrder(altitude_, decimalComma_);
    setTabOrder(decimalComma_, eliminateZero_);
    setTabOrder(eliminateZero_, preview_);
    setTabOrder(preview_, shapeTrack_);
    QWidget* before = shapeTrack_;
    for (QWidget* box : std::initializer_list<QWidget*>{shape_->From(), shape_->Until(), shape_->TimeShift(),
                                                        shape_->SplitGap(), shape_->Simplify(), shape_->MaxPoints(),
                                                        shape_->SplitDay()}) {
        setTabOrder(before, box);
        before = box;
    }
    setTabOrder(before, anyTalker_);
    setTabOrder(anyTalker_, verifyChecksums_);
    setTabOrder(verifyChecksums_, igcGnssAltitude_);
    setTabOrder(igcGnssAltitude_, anyRecorder_);
    setTabOrder(anyRecorder_, fixOnly_);
    setTabOrder(fixOnly_, start_);
    setTabOrder(start_, messages_);
    setTabOrder(messages_, account_);

}

void OpenNMEAFile::ConnectControls() {
    connect(analyze_, &QPushButton::clicked, this, &OpenNMEAFile::AnalyzeClicked);
    connect(table_, &QRadioButton::clicked, this, &OpenNMEAFile::TableClicked);
    connect(kml_, &QRadioButton::clicked, this, &OpenNMEAFile::KmlClicked);
    connect(ovl_, &QRadioButton::clicked, this, &OpenNMEAFile::OvlClicked);
    connect(gpx_, &QRadioButton::clicked, this, &OpenNMEAFile::DatedOutputClicked);
    connect(geoJson_, &QRadioButton::clicked, this, &OpenNMEAFile::DatedOutputClicked);
    connect(altitude_, &QCheckBox::clicked, this, &OpenNMEAFile::AltitudeClicked);
    connect(start_, &QPushButton::clicked, this, &OpenNMEAFile::StartClicked);
    // The record loop reads the two options through the shared settings.
    connect(decimalComma_, &QCheckBox::toggled, this, [this](bool on) { settings_.UseDecimalComma = on; });
    connect(eliminateZero_, &QCheckBox::toggled, this, [this](bool on) { settings_.EliminateZeroPositions = on; });
    connect(anyTalker_, &QCheckBox::toggled, this, &OpenNMEAFile::SentenceRuleToggled);
    connect(verifyChecksums_, &QCheckBox::toggled, this, &OpenNMEAFile::SentenceRuleToggled);
    connect(anyRecorder_, &QCheckBox::toggled, this, &OpenNMEAFile::SentenceRuleToggled);
    connect(igcGnssAltitude_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.IgcGnssAltitude = on;
        RefreshPreview();
    });
    connect(eliminateZero_, &QCheckBox::toggled, this, &OpenNMEAFile::RefreshPreview);
    connect(fixOnly_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.SkipWithoutFix = on;
        RefreshPreview();
    });
    connect(account_, &QPushButton::clicked, this, &OpenNMEAFile::AccountClicked);
    connect(preview_, &QCheckBox::toggled, this, &OpenNMEAFile::PreviewToggled);
    connect(shapeTrack_, &QCheckBox::toggled, this, &OpenNMEAFile::ShapeToggled);
}

void OpenNMEAFile::PreviewToggled(bool on) {
    // The window widens by the panel, the controls keeping their places, and
    // takes back its size without the panel when it goes.
    // (The size is taken first: showing the panel may widen the window to its least width at once.)
    const QSize before = size();
    // The panel's content first: its figures decide where it fits.
    if (on) FillPreview();
    PlacePreview(on);
    previewPanel_->setVisible(on);
    // On a screen without that room the panel gets what there is.
    FitWindow(on ? before + PreviewRoom() : SizeOfShownParts());
}

QSize OpenNMEAFile::PreviewRoom() const {
    if (columns_->direction() == QBoxLayout::TopToBottom) return {0, previewPanel_->sizeHint().height()};
    return {previewPanel_->sizeHint().width() + std::max(0, columns_->spacing()), 0};
}

void OpenNMEAFile::PlacePreview(bool shown) {
    // Beside the controls where the screen is wide enough for both, else below them.
    const QMargins margins = columns_->contentsMargins();
    const int besideWidth = columns_->itemAt(0)->minimumSize().width() + previewPanel_->minimumSizeHint().width() +
                            std::max(0, columns_->spacing()) + margins.left() + margins.right();
    columns_->setDirection(shown && besideWidth > FreeArea().width() ? QBoxLayout::TopToBottom
                                                                      : QBoxLayout::LeftToRight);
}

void OpenNMEAFile::FitWindow(QSize wanted) {
    FitContentToScreen();
    columns_->activate();
    outer_->activate();
    QSize least = content_->minimumSizeHint();
    // (scrolling up and down, the controls' least width beside the bar)
    if (scroll_ != nullptr) least.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
    resize(wanted.expandedTo(least).boundedTo(FreeArea()).expandedTo(minimumSizeHint()));
}

QSize OpenNMEAFile::SizeOfShownParts() const {
    QSize size = plainSize_;
    if (previewPanel_->isVisibleTo(this)) size += PreviewRoom();
    if (shape_->isVisibleTo(this)) size.rheight() += shape_->sizeHint().height();
    return size;
}

void OpenNMEAFile::resizeEvent(QResizeEvent* event) {
    if (!previewPanel_->isVisibleTo(this) && !shape_->isVisibleTo(this)) plainSize_ = event->size();
    QWidget::resizeEvent(event);
}

void OpenNMEAFile::ShapeToggled(bool on) {
    // The window grows by the shaping fields below the choices, no further
    // than the screen (the controls scroll where they need more), and takes
    // back its size without them when they go.
    const QSize before = size();
    shape_->setVisible(on);
    FitWindow(on ? before + QSize(0, shape_->sizeHint().height()) : SizeOfShownParts());
}

void OpenNMEAFile::RefreshPreview() {
    if (!preview_->isChecked()) return;
    FillPreview();
    FitPreview();
}

void OpenNMEAFile::FitPreview() {
    // New figures may need more room than the panel had beside the controls.
    PlacePreview(true);
    FitWindow(size());
}

void OpenNMEAFile::FillPreview() {
    if (inputPath_->text().isEmpty()) {
        previewPanel_->ShowNote(QStringLiteral("Select a file and press ANALYZE to see its track."));
        return;
    }
    if (!triedAnalysis_) {
        previewPanel_->ShowNote(QStringLiteral("Press ANALYZE to see the track of the chosen file."));
        return;
    }
    if (!analysed_ || !recognised_) {
        previewPanel_->ShowNote(QStringLiteral("No track to show: no GPS data recognised in this file."));
        return;
    }
    TrackSummary summary;
    std::string error;
    bool computed = false;
    {
        ProgressReporter progress(this, QStringLiteral("Previewing %1").arg(inputPath_->text()), {},
                                  ProgressReporter::kNotCancellable, services_.progressDelayMs);
        computed = ComputeTrackSummary(settings_, summary, error, progress.Hooks());
    }
    ShowPreview(computed, summary, error);
}

void OpenNMEAFile::ShowPreview(bool computed, const TrackSummary& summary, const std::string& error) {
    if (!computed) {
        previewPanel_->ShowNote(FromBytes(error));
        return;
    }
    previewPanel_->ShowTrack(summary, QFileInfo(inputPath_->text()).fileName());
}

TrackPlotForm* OpenNMEAFile::TrackPlotDialog() const { return trackPlotForm_; }
TOP_OVL_Properties* OpenNMEAFile::OverlayDialog() const { return overlayProperties_; }
AltitudeManipulation* OpenNMEAFile::AltitudeDialog() const { return altitudeManipulation_; }

bool OpenNMEAFile::SelectInputFile(const QString& filePath) { return lists_->SelectFile(QFile::encodeName(filePath)); }
bool OpenNMEAFile::SelectInputFile(const QByteArray& filePath) { return lists_->SelectFile(filePath); }

bool OpenNMEAFile::SelectInputFileOrSayWhy(const QByteArray& filePath) {
    if (SelectInputFile(filePath)) return true;
    const std::string path = filePath.toStdString();
    InputFile file;
    const std::string reason = file.Open(path) ? std::string("not a regular file") : file.ErrorText();
    ShowMessage(FileFailureMessage(FileAction::ReadInput, path, reason));
    return false;
}

void OpenNMEAFile::ShowMessage(std::string_view text) { ShowMessage(FromBytes(text)); }

void OpenNMEAFile::ShowMessage(const QString& text) {
    // The messages end their lines with CR LF; the box breaks lines at LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    messages_->setPlainText(shown);
    BringIntoView(messages_);
}

void OpenNMEAFile::SetOutputTypesEnabled(bool enabled) {
    for (QRadioButton* type : {table_, kml_, ovl_, gpx_, geoJson_}) type->setEnabled(enabled);
}

void OpenNMEAFile::FileChosen(const QByteArray& directory, const QByteArray& name) {
    std::string path = directory.toStdString();
    if (path.empty() || path.back() != '/') path += '/';
    path += name.toStdString();
    inputDirectory_ = directory.toStdString();
    settings_.InputFilePath = path;
    chosenPath_ = path;
    dataTypeBeforeFile_ = settings_.DataType;
    inputPath_->setText(FromBytes(path));

    // Only ANALYZE stays available.
    start_->setEnabled(false);
    decimalComma_->setChecked(false);
    decimalComma_->setEnabled(false);
    altitude_->setChecked(false);
    altitude_->setEnabled(false);
    igcGnssAltitude_->setChecked(false);
    igcGnssAltitude_->setEnabled(false);
    Deselect(kml_);
    SetOutputTypesEnabled(false);
    SetFirstDateAsked(false);
    analyze_->setEnabled(true);
    analysed_ = false;
    triedAnalysis_ = false;
    RefreshPreview();
}

void OpenNMEAFile::AnalyzeClicked() {
    SetOutputTypesEnabled(true);
    if (!inputPath_->text().isEmpty()) {
        if (!GpxCopyMayBeWritten()) return;
        decimalComma_->setChecked(false);
        altitude_->setChecked(false);
        igcGnssAltitude_->setChecked(false);
        table_->setChecked(true);
        CopySentenceOptions();

        // With the preview, its summary is made alongside the analysis.
        AnalysisWithSummary analysis;
        {
            ProgressReporter progress(this, QStringLiteral("Analysing %1").arg(inputPath_->text()),
                                      [this](const QString& status) { ShowMessage(status); },
                                      ProgressReporter::kNotCancellable, services_.progressDelayMs);
            if (preview_->isChecked()) {
                analysis = AnalyzeWithSummary(settings_, {}, progress.Hooks());
            } else {
                analysis.report = AnalyzeInput(settings_, progress.Hooks());
            }
        }
        const AnalysisReport& report = analysis.report;
        analysisCounts_ = report.counts;
        std::string message = report.message;
        for (const std::string& hint : frontend::AnalysisHints(report, frontend::FrontEnd::Window)) {
            message += "\r\n" + hint;
        }
        ShowMessage(message);
        // A log without a date of its own asks for the first position's.
        undated_ = report.recognised && !LogHasDate(settings_);
        SetFirstDateAsked(undated_);
        if (report.failed) {
            // Nothing to convert: the user may try again or choose another file.
            SetOutputTypesEnabled(false);
            decimalComma_->setEnabled(false);
            altitude_->setEnabled(false);
            igcGnssAltitude_->setEnabled(false);
            start_->setEnabled(false);
            triedAnalysis_ = true;
            recognised_ = false;
            RefreshPreview();
            return;
        }
        analysed_ = true;
        triedAnalysis_ = true;
        recognised_ = report.recognised;
        if (recognised_) accounted_ = settings_;
        account_->setEnabled(recognised_);
        // The analysis stored fresh placemark values; a KML dialog made
        // earlier shows them from now on.
        if (!trackPlotForm_.isNull()) trackPlotForm_->ShowAnalysed();
        analyze_->setEnabled(false);
        start_->setEnabled(true);
        decimalComma_->setEnabled(true);
        altitude_->setEnabled(true);
        eliminateZero_->setEnabled(true);
        if (preview_->isChecked() && recognised_) {
            ShowPreview(analysis.summarised, analysis.summary, analysis.summaryError);
            FitPreview();
        }
    }
    if (!CarriesAltitude(settings_.DataType)) altitude_->setEnabled(false);
    igcGnssAltitude_->setEnabled(analysed_ && settings_.DataType == DataKind::GPIGC);
    if (analysed_ && !recognised_) RefreshPreview();
}

bool OpenNMEAFile::GpxCopyMayBeWritten() {
    const std::string& input = settings_.InputFilePath;
    // A file that holds this very copy already is replaced without a word.
    if (frontend::GpxCopyNeedsNoQuestion(input, false)) return true;
    if (services_.ask(OverwriteQuestion()) == QMessageBox::Yes) return true;
    services_.ask(OverwriteRefusal());
    EndProgram();
    return false;
}

void OpenNMEAFile::CopySentenceOptions() {
    settings_.AcceptAnyTalker = anyTalker_->isChecked();
    settings_.VerifyChecksums = verifyChecksums_->isChecked();
    settings_.IgcGnssAltitude = igcGnssAltitude_->isChecked();
    settings_.AcceptAnyRecorder = anyRecorder_->isChecked();
}

void OpenNMEAFile::SentenceRuleToggled() {
    CopySentenceOptions();
    if (!analysed_) return;
    // What the file holds depends on the two rules: analyse it again, from
    // the chosen file (not a GPX copy analysis made of it), as if it had
    // never been analysed: a file the new rules do not recognise leaves the
    // data type of the files before it, not the one it had under the old rules.
    settings_.InputFilePath = chosenPath_;
    settings_.DataType = dataTypeBeforeFile_;
    AnalyzeClicked();
}

void OpenNMEAFile::TableClicked() {
    decimalComma_->setEnabled(true);
    decimalComma_->setChecked(false);
}

void OpenNMEAFile::KmlClicked() {
    decimalComma_->setChecked(false);
    decimalComma_->setEnabled(false);
    if (settings_.KmlTimeTrack) NoteMissingDate();
    ShowDialog(EnsureTrackPlotForm());
}

void OpenNMEAFile::OvlClicked() {
    decimalComma_->setEnabled(false);
    decimalComma_->setChecked(false);
    ShowDialog(EnsureOverlayProperties());
}

void OpenNMEAFile::DatedOutputClicked() {
    decimalComma_->setChecked(false);
    decimalComma_->setEnabled(false);
    NoteMissingDate();
}

void OpenNMEAFile::NoteMissingDate() {
    if (!undated_) return;
    const QString note = QString::fromUtf8(kNoDateNote.data(), static_cast<qsizetype>(kNoDateNote.size()));
    // Once below the message, however often a dated output is chosen.
    if (!messages_->toPlainText().endsWith(note)) messages_->appendPlainText(note);
    BringIntoView(messages_);
}

void OpenNMEAFile::SetFirstDateAsked(bool asked) {
    firstDate_->setEnabled(asked);
    if (!asked) firstDate_->clear();
}

void OpenNMEAFile::AltitudeClicked() { ShowDialog(EnsureAltitudeManipulation()); }

void OpenNMEAFile::ShowDialog(PropertyDialog& dialog) {
    // Where the controls scroll, START at the foot of the view: the dialog
    // finds its place above it.
    if (scroll_ != nullptr) {
        // (the controls laid out anew first, where the preview has just changed)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QRect area(start_->mapTo(content_, QPoint(0, 0)), start_->size());
        scroll_->verticalScrollBar()->setValue(area.bottom() + 1 - scroll_->viewport()->height());
    }
    dialog.ShowNonModal();
}

void OpenNMEAFile::StartClicked() {
    // A run needs an input file and a data type.
    if (settings_.InputFilePath.empty()) {
        ShowMessage(kNoInputChosen);
        return;
    }
    if (settings_.DataType == DataKind::None) {
        ShowMessage(kNothingRecognised);
        return;
    }

    if (table_->isChecked()) {
        settings_.OutputType = OutputKind::Table;
    } else if (kml_->isChecked()) {
        settings_.OutputType = OutputKind::KML;
    } else if (ovl_->isChecked()) {
        settings_.OutputType = OutputKind::OVL;
    } else if (gpx_->isChecked()) {
        settings_.OutputType = OutputKind::GPX;
    } else if (geoJson_->isChecked()) {
        settings_.OutputType = OutputKind::GeoJSON;
    }
    settings_.FirstPositionDate.reset();
    if (firstDate_->isEnabled() && !firstDate_->text().trimmed().isEmpty()) {
        settings_.FirstPositionDate = IsoDateDays(firstDate_->text().trimmed().toStdString());
        if (!settings_.FirstPositionDate) {
            ShowMessage(kFirstDateForm);
            return;
        }
    }
    // The shaping options only where "Shape the track" is checked.
    settings_.Shape = ShapeOptions{};
    if (shapeTrack_->isChecked()) {
        QString refusal;
        if (!shape_->Read(settings_.OutputType, settings_.KmlTimeTrack, settings_.Shape, refusal)) {
            settings_.Shape = ShapeOptions{};
            ShowMessage(refusal);
            return;
        }
    }
    SetOutputTypesEnabled(false);
    decimalComma_->setEnabled(false);
    altitude_->setEnabled(false);
    anyTalker_->setEnabled(false);
    verifyChecksums_->setEnabled(false);
    igcGnssAltitude_->setEnabled(false);
    anyRecorder_->setEnabled(false);
    CopySentenceOptions();
    start_->setEnabled(false);

    messages_->clear();
    FormOutputPath(settings_);
    if (OutputFileExists(settings_.OutputFilePath)) {
        if (services_.ask(OverwriteQuestion()) != QMessageBox::Yes) {
            services_.ask(OverwriteRefusal());
            EndProgram();
            return;
        }
    }

    const Settings asAnalysed = settings_;  // the run leaves its reader's state behind
    accounted_ = asAnalysed;
    account_->setEnabled(true);
    RunReport report;
    {
        ProgressReporter progress(this, QStringLiteral("Converting %1").arg(inputPath_->text()),
                                  [this](const QString& status) { ShowMessage(status); }, ProgressReporter::kCancellable,
                                  services_.progressDelayMs);
        report = PerformConversionRun(settings_, progress.Hooks());
    }
    // An overlay is the last thing the program makes; a run that wrote none
    // leaves the old one in place and says so, and the window stays.
    if (settings_.OutputType == OutputKind::OVL && report.outcome == RunReport::Outcome::Written) {
        EndProgram();
        return;
    }
    std::string message = report.message;
    if (report.undated) message += "\r\n" + std::string(kWrittenWithoutTimes);
    const bool completed =
        report.outcome == RunReport::Outcome::Written || report.outcome == RunReport::Outcome::NothingWritten;
    if (completed && analysed_ && !recognised_) message += "\r\n" + EarlierDataTypeNote(chosenPath_, settings_.DataType);
    if (completed) {
        // The options that would have given more positions, computed.
        std::vector<std::string> hints;
        std::string error;
        if (RunOptionHints(asAnalysed, analysisCounts_, report.count, nullptr, frontend::HintOptionNames(frontend::FrontEnd::Window), hints,
                           error)) {
            for (const std::string& hint : hints) message += "\r\n" + hint;
        }
    }
    ShowMessage(message);
    ResetAfterRun();
}

void OpenNMEAFile::AccountClicked() {
    if (!accounted_) return;
    LineAccount account;
    std::string error;
    const bool accounted = AccountLines(*accounted_, account, error);
    messages_->appendPlainText(FromBytes(accounted ? LineAccountText(account, *accounted_) : error).trimmed());
    BringIntoView(messages_);
}

void OpenNMEAFile::ResetAfterRun() {
    settings_.Shape = ShapeOptions{};  // read afresh from the boxes at the next START
    decimalComma_->setChecked(false);
    altitude_->setChecked(false);
    igcGnssAltitude_->setChecked(false);
    // The receiver's sentence rules stay as chosen, for the next file.
    anyTalker_->setEnabled(true);
    verifyChecksums_->setEnabled(true);
    anyRecorder_->setEnabled(true);
    analysed_ = false;
    triedAnalysis_ = false;
    start_->setEnabled(false);
    SetFirstDateAsked(false);
    EnsureTrackPlotForm().hide();
    EnsureAltitudeManipulation().ResetAfterRun();
    inputPath_->clear();
    RefreshPreview();
}

void OpenNMEAFile::EndProgram() {
    if (ending_) return;
    ending_ = true;
    services_.endProgram();
}

void OpenNMEAFile::closeEvent(QCloseEvent* event) {
    event->accept();
    EndProgram();
}

void OpenNMEAFile::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void OpenNMEAFile::dropEvent(QDropEvent* event) {
    const QByteArray path = DraggedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    SelectInputFile(path);
}

// A dialog closed with its close box is made afresh, with its creation
// defaults, the next time it is needed.
template <typename Dialog>
Dialog& OpenNMEAFile::EnsureDialog(QPointer<Dialog>& dialog) {
    if (dialog.isNull()) {
        dialog = new Dialog(settings_, this);
        connect(dialog, &PropertyDialog::ClosedByUser, this, [&dialog] {
            dialog->deleteLater();
            dialog.clear();
        });
    }
    return *dialog;
}

TrackPlotForm& OpenNMEAFile::EnsureTrackPlotForm() {
    const bool made = trackPlotForm_.isNull();
    TrackPlotForm& dialog = EnsureDialog(trackPlotForm_);
    if (made) {
        connect(&dialog, &TrackPlotForm::TimesAsked, this, &OpenNMEAFile::NoteMissingDate);
    }
    return dialog;
}
TOP_OVL_Properties& OpenNMEAFile::EnsureOverlayProperties() { return EnsureDialog(overlayProperties_); }
AltitudeManipulation& OpenNMEAFile::EnsureAltitudeManipulation() {
    const bool made = altitudeManipulation_.isNull();
    AltitudeManipulation& dialog = EnsureDialog(altitudeManipulation_);
    if (made) {
        connect(&dialog, &AltitudeManipulation::Applied, this, &OpenNMEAFile::RefreshPreview);
        connect(&dialog, &PropertyDialog::ClosedByUser, this, [this] { altitudeDialogClosed_ = true; });
        // Made afresh after its close box: what it shows ("0", "Add altitude:") is what applies.
        if (altitudeDialogClosed_) dialog.StoreShown();
    }
    return dialog;
}

}  // namespace torvane::app
