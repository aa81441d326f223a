// The preview beside the main window's controls: the track to scale with
// its start, end and scale bar, the altitude profile below it with its
// times along the axis (the picture `torvane-cli preview` writes, laid out
// for the panel's size and drawn in the window's font), and right below it
// the figures as a short list in the window's locale. Without a track it
// holds a short note instead.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "output/track_svg.h"

class QLabel;
class QStackedWidget;

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
    // the figures ("Name value" lines) and the note.
    QByteArray Picture() const;
    QString Figures() const { return figures_; }
    QString Note() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    class Drawing;
    void ShowFigures();

    QStackedWidget* pages_;
    QLabel* note_;
    Drawing* drawing_;
    QLabel* figuresLabel_;
    int figuresLeastWidth_ = 0;  // the names, and beside them room for the longest rule
    TrackDrawing shown_;
    QString figures_;
};

}  // namespace torvane::app
