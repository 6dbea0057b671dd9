// The frame's tool bars in as many rows as the window's width needs: a bar
// that would not fit beside the bars before it starts a new row, so that no
// command hides behind a bar's overflow button at a small screen.
#pragma once

#include <QObject>

#include <vector>

class QMainWindow;
class QToolBar;

// Which bars begin a new row when bars of the given widths (0 for a hidden
// bar) are laid out left to right in rows of the given width; the first
// bar never does, and a bar wider than a row gets a row of its own.
std::vector<bool> ToolBarRowStarts(const std::vector<int>& widths, int rowWidth);

class CToolBarRows : public QObject {
    Q_OBJECT
public:
    // The bars of the window's top area, in their order; owned by the window.
    CToolBarRows(QMainWindow& window, std::vector<QToolBar*> bars);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Arrange();

    QMainWindow& m_window;
    std::vector<QToolBar*> m_bars;
    bool m_bPending = false;
};
