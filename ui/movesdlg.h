#pragma once

#include <QDialog>
#include <QStringList>

#include "ui_movesdlg.h"

class QKeyEvent;
class QShowEvent;

// The moves of the game so far, a row per move number, opened with the last row in view, every
// row in view whole. Up and Down scroll by a row, PageUp and PageDown by a page of whole rows and
// Home and End to the first and the last page, on the list and on the button alike; each jump is
// drawn at once, without animation, as a page is turned. Return, Select, Escape and "Close" close
// it. The keys pass the device key filter as the settings dialog's do, and the list or button with
// the focus shows a 3-pixel black border.
class MovesDlg : public QDialog, private Ui::MovesDlg
{
    Q_OBJECT

public:
    MovesDlg(QWidget* parent, const QStringList& rows);

    // The first row in view, from 0.
    int firstVisibleRow() const;
    // How many whole rows the list shows at once (at least 1).
    int rowsPerPage() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Takes the scrolling keys from the list and the button, and the closing keys from the list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the list's view as high as its whole rows, so that no row shows cut.
    void fitWholeRows();
    // Scrolls for Up, Down, PageUp, PageDown, Home and End; false, and nothing done, for any
    // other key.
    bool scroll(int key);
    // Return, Enter and Select close the dialog.
    static bool closes(int key);
};
