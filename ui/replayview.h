#pragma once

#include <QWidget>

#include "boardpainter.h"

class QImage;
class Replay;

// The board of a replay: paints the position a Replay shows, with the marks of the move that led
// to it, through the same painter as the play board, so that both look alike. It shows what it
// is given and takes no keys of its own; whoever steps the replay repaints it.
class ReplayView : public QWidget
{
    Q_OBJECT

public:
    // The piece images, white and black, as the play board has loaded them; the view keeps the
    // pointers and never owns them.
    struct Pieces {
        const QImage* manWhite = nullptr;
        const QImage* kingWhite = nullptr;
        const QImage* manBlack = nullptr;
        const QImage* kingBlack = nullptr;
    };

    ReplayView(QWidget* parent, const Replay& replay, const Pieces& pieces);

    // What the board shows now, for the painter.
    BoardPainter::Scene scene() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Replay& m_replay;
    Pieces m_pieces;
};
