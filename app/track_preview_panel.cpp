#include "track_preview_panel.h"

#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include "convert/track_summary.h"

namespace torvane::app {
namespace {

// The part of the picture the panel draws: the map and the profile, below
// the title and above the figures (in the picture's own units).
const QRectF kDrawnPart(0, 40, 800, 740);
constexpr int kPanelWidth = 380;

}  // namespace

// Draws the picture's map and profile, scaled to the widget's width.
class TrackPreviewPanel::Drawing : public QWidget {
public:
    explicit Drawing(QWidget* parent) : QWidget(parent), renderer_(this) {
        setObjectName(QStringLiteral("PreviewDrawing"));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    }

    void Load(const QByteArray& svg) {
        renderer_.load(svg);
        renderer_.setViewBox(kDrawnPart);
        update();
    }

    bool Valid() const { return renderer_.isValid(); }

    QSize sizeHint() const override {
        return {kPanelWidth, static_cast<int>(kPanelWidth * kDrawnPart.height() / kDrawnPart.width())};
    }
    // On a small or highly scaled screen the picture shrinks to a third.
    QSize minimumSizeHint() const override { return {kPanelWidth / 3, kPanelWidth / 3}; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!renderer_.isValid()) return;
        // The drawn part, as large as fits, at the top, the figures right
        // below it; the rest of the picture cut off.
        QSizeF size = kDrawnPart.size();
        size.scale(QSizeF(rect().size()), Qt::KeepAspectRatio);
        const QRectF target((width() - size.width()) / 2, 0, size.width(), size.height());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(target, Qt::white);
        painter.setClipRect(target);
        renderer_.render(&painter, target);
    }

private:
    QSvgRenderer renderer_;
};

TrackPreviewPanel::TrackPreviewPanel(QWidget* parent)
    : QWidget(parent),
      pages_(new QStackedWidget(this)),
      note_(new QLabel(this)),
      drawing_(new Drawing(this)),
      figures_(new QLabel(this)) {
    setObjectName(QStringLiteral("Preview"));
    note_->setObjectName(QStringLiteral("PreviewNote"));
    note_->setAlignment(Qt::AlignCenter);
    note_->setWordWrap(true);
    figures_->setObjectName(QStringLiteral("PreviewFigures"));
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    figures_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    auto* track = new QWidget(this);
    auto* trackLayout = new QVBoxLayout(track);
    trackLayout->setContentsMargins(0, 0, 0, 0);
    trackLayout->addWidget(drawing_);
    trackLayout->addWidget(figures_);
    trackLayout->addStretch(1);
    pages_->addWidget(note_);
    pages_->addWidget(track);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
}

void TrackPreviewPanel::ShowTrack(const TrackSummary& summary, const QString& title) {
    const TrackDrawing drawing = DrawingOf(summary, title.toStdString());
    const std::string svg = TrackSvg(drawing);
    picture_ = QByteArray(svg.data(), static_cast<qsizetype>(svg.size()));
    drawing_->Load(picture_);
    const std::string figures = TrackSummaryText(drawing.figures);
    figures_->setText(QString::fromStdString(figures).trimmed());
    note_->clear();
    pages_->setCurrentIndex(1);
}

void TrackPreviewPanel::ShowNote(const QString& note) {
    picture_.clear();
    drawing_->Load({});
    figures_->clear();
    note_->setText(note);
    pages_->setCurrentIndex(0);
}

QString TrackPreviewPanel::Figures() const { return figures_->text(); }
QString TrackPreviewPanel::Note() const { return note_->text(); }

QSize TrackPreviewPanel::sizeHint() const { return {kPanelWidth, QWidget::sizeHint().height()}; }

}  // namespace torvane::app
