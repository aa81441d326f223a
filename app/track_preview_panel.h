// The preview beside the main window's controls: the track to scale with
// its start, end and scale bar, the altitude profile below it (the SVG
// picture that `torvane-cli preview` writes, drawn here without its title
// and figures), and the figures as text. Without a track it holds a short
// note instead.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QLabel;
class QStackedWidget;
class QSvgRenderer;

namespace torvane {
struct TrackSummary;
}

namespace torvane::app {

class TrackPreviewPanel : public QWidget {
    Q_OBJECT

public:
    explicit TrackPreviewPanel(QWidget* parent);

    // Shows the track of `summary`; `title` names the input file.
    void ShowTrack(const TrackSummary& summary, const QString& title);
    // Shows `note` and no picture.
    void ShowNote(const QString& note);

    // What the panel shows now: the SVG document drawn (empty with a note),
    // the figures and the note.
    QByteArray Picture() const { return picture_; }
    QString Figures() const;
    QString Note() const;

    QSize sizeHint() const override;

private:
    class Drawing;

    QStackedWidget* pages_;
    QLabel* note_;
    Drawing* drawing_;
    QLabel* figures_;
    QByteArray picture_;
};

}  // namespace torvane::app
