#include "track_preview_panel.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "convert/summary/track_summary.h"
#include "track_figures_text.h"

namespace torvane::app {
namespace {

constexpr int kPanelWidth = 380;

// The font's size in logical pixels, which the picture's user units are.
double PixelSize(const QFont& font, const QWidget* widget) {
    const QFontInfo info(font);
    if (info.pointSizeF() > 0) return info.pointSizeF() * widget->logicalDpiY() / 72.0;
    return info.pixelSize();
}

}  // namespace

// Draws the picture laid out for the widget's own size and font, one user
// unit to one logical pixel.
class TrackPreviewPanel::Drawing : public QWidget {
public:
    explicit Drawing(QWidget* parent) : QWidget(parent), renderer_(this) {
        setObjectName(QStringLiteral("PreviewDrawing"));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    void Show(const TrackDrawing* drawing) {
        drawing_ = drawing;
        Lay();
    }

    const QByteArray& Picture() const { return picture_; }

    QSize sizeHint() const override {
        return {kPanelWidth, std::max(LeastHeight(), kPanelWidth * 23 / 25)};
    }
    // The profile whole and a small map; narrower on a small or highly scaled screen.
    QSize minimumSizeHint() const override { return {kPanelWidth / 3, LeastHeight()}; }

protected:
    void resizeEvent(QResizeEvent*) override { Lay(); }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange) {
            updateGeometry();
            Lay();
        }
        QWidget::changeEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        if (!renderer_.isValid()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer_.render(&painter, QRectF(rect()));
    }

private:
    int LeastHeight() const { return static_cast<int>(std::ceil(LeastPictureHeight(PixelSize(font(), this)))); }

    void Lay() {
        if (drawing_ == nullptr) {
            picture_.clear();
            renderer_.load(QByteArray());
        } else {
            const PictureBox box{static_cast<double>(width()), static_cast<double>(height()), PixelSize(font(), this),
                                 QFontInfo(font()).family().toStdString()};
            const std::string svg = TrackPictureSvg(*drawing_, box);
            picture_ = QByteArray(svg.data(), static_cast<qsizetype>(svg.size()));
            renderer_.load(picture_);
        }
        update();
    }

    const TrackDrawing* drawing_ = nullptr;
    QByteArray picture_;
    QSvgRenderer renderer_;
};

TrackPreviewPanel::TrackPreviewPanel(QWidget* parent)
    : QWidget(parent),
      pages_(new QStackedWidget(this)),
      note_(new QLabel(this)),
      drawing_(new Drawing(this)),
      figuresLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("Preview"));
    note_->setObjectName(QStringLiteral("PreviewNote"));
    note_->setAlignment(Qt::AlignCenter);
    note_->setWordWrap(true);
    figuresLabel_->setObjectName(QStringLiteral("PreviewFigures"));
    figuresLabel_->setTextFormat(Qt::RichText);
    figuresLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figuresLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Where the panel is narrow, a long value goes on over two lines.
    figuresLabel_->setWordWrap(true);

    // The figures right below the picture, which takes the rest.
    auto* track = new QWidget(this);
    auto* trackLayout = new QVBoxLayout(track);
    trackLayout->setContentsMargins(0, 0, 0, 0);
    trackLayout->addWidget(drawing_, 1);
    trackLayout->addWidget(figuresLabel_, 0, Qt::AlignTop);
    pages_->addWidget(note_);
    pages_->addWidget(track);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
}

void TrackPreviewPanel::ShowTrack(const TrackSummary& summary, const QString& title) {
    shown_ = DrawingOf(summary, title.toStdString());
    drawing_->Show(&shown_);
    ShowFigures();
    note_->clear();
    pages_->setCurrentIndex(1);
}

void TrackPreviewPanel::ShowNote(const QString& note) {
    drawing_->Show(nullptr);
    shown_ = {};
    figures_.clear();
    figuresLabel_->clear();
    note_->setText(note);
    pages_->setCurrentIndex(0);
}

void TrackPreviewPanel::ShowFigures() {
    QStringList lines;
    QString table = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
    // A figure's rule on a line of its own under the value, in the colour of
    // a hint: the panel stays as narrow as its longest value.
    const QString hint = palette().color(QPalette::PlaceholderText).name();
    const QFontMetrics metrics = figuresLabel_->fontMetrics();
    const QString gap = QStringLiteral("\u00a0\u00a0\u00a0");
    int names = 0, rules = metrics.horizontalAdvance(QStringLiteral("0,000 h 00 min"));
    for (const FigureRow& row : ReadableFigures(shown_.figures, locale())) {
        names = std::max(names, metrics.horizontalAdvance(row.name + gap));
        rules = std::max(rules, metrics.horizontalAdvance(row.rule));
        QString value = row.value.toHtmlEscaped();
        QString line = row.name + u' ' + row.value;
        if (!row.rule.isEmpty()) {
            value += QStringLiteral("<br><span style=\"color:%1\">%2</span>").arg(hint, row.rule.toHtmlEscaped());
            line += QStringLiteral(" (") + row.rule + u')';
        }
        lines.append(line);
        table += QStringLiteral("<tr><td>%1&nbsp;&nbsp;&nbsp;</td><td>%2</td></tr>").arg(row.name.toHtmlEscaped(), value);
    }
    table += QStringLiteral("</table>");
    figuresLeastWidth_ = names + rules + metrics.averageCharWidth();
    figures_ = lines.join(u'\n');
    figuresLabel_->setText(table);
}

void TrackPreviewPanel::changeEvent(QEvent* event) {
    const bool restyled = event->type() == QEvent::LocaleChange || event->type() == QEvent::PaletteChange;
    if (restyled && pages_->currentIndex() == 1) ShowFigures();
    QWidget::changeEvent(event);
}

QByteArray TrackPreviewPanel::Picture() const { return drawing_->Picture(); }
QString TrackPreviewPanel::Note() const { return note_->text(); }

QSize TrackPreviewPanel::minimumSizeHint() const {
    // The figures' room worked out here: the layouts between learn of new
    // figures only after the panel is shown, too late for the window to
    // choose where it has room for the panel; and a window's least height
    // does not count the lines a narrow label wraps into.
    QSize least = QWidget::minimumSizeHint();
    if (pages_->currentIndex() == 1) {
        least.setWidth(std::max(least.width(), figuresLeastWidth_));
        const int spacing = std::max(0, drawing_->parentWidget()->layout()->spacing());
        least.setHeight(std::max(least.height(), drawing_->minimumSizeHint().height() + spacing +
                                                     figuresLabel_->heightForWidth(least.width())));
    }
    return least;
}

QSize TrackPreviewPanel::sizeHint() const { return {kPanelWidth, QWidget::sizeHint().height()}; }

}  // namespace torvane::app
