// The information view beside the history view: one row per band of the
// history view with the channel's name, current value, unit and
// description, as many lines as the row's size allows. A click on a row's
// name opens a list of the measured channels; the choice becomes that
// band's channel. The splitter of the child window snaps the column to
// 202 pixels and hides it below 20.
#pragma once

#include "views/history/HistoryViewModel.h"

#include <QSplitter>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;

// --- the plain layout rules ---
struct InfoRowRect {
    int top = 0, bottom = 0;
};
// Row i of n over the height: round(i × h / n) .. round((i + 1) × h / n).
std::vector<InfoRowRect> InfoRowRects(int height, int rows);
// The lines a row's width shows: name; value; unit; description.
int InfoLinesByWidth(int width, double scale = 1.0);
// The lines a row's height holds for the text height (1..4).
int InfoLinesByHeight(int rowHeight, int textHeight);
// The column width after a drag; hide: the column goes.
int SnapInfoColumn(int width, bool& hide);

class CShowInfoView : public QWidget {
    Q_OBJECT
public:
    explicit CShowInfoView(QWidget* parent = nullptr);

    // The history view's rows and the precision of their values.
    void SetRows(const std::vector<HistoryInfoRow>& rows, int precision);
    const std::vector<HistoryInfoRow>& Rows() const { return m_rows; }
    // The texts a row shows at the current size, line by line.
    std::vector<std::string> RowTexts(int row) const;
    QComboBox* ChannelList() const { return m_pList; }
    // A click at the point: on a row's name line the channel list opens there.
    bool ClickAt(int x, int y);

    // Channel texts: unit and description; the measured channels for the list.
    std::function<std::string(int channel)> channelUnit;
    std::function<std::string(int channel)> channelDescription;
    std::function<std::vector<int>()> measuredChannels;
    // A row took another channel.
    std::function<void(int row, int channel)> onChannelChosen;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<HistoryInfoRow> m_rows;
    int m_nPrecision = 3;
    int m_nListRow = -1;
    QComboBox* m_pList;
};

// The child window's splitter: the information column at most 202 pixels
// wide, hidden when dragged narrower than 20.
class CInfoViewSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit CInfoViewSplitter(QWidget* parent = nullptr);
    // The end of a drag of the bar: snap or hide the column.
    void FinishDrag();
    // The column was hidden by a drag.
    std::function<void()> onColumnHidden;
};
