// The grid window that the lead-wire and self-test results share: the
// strain channels of the online cases side by side in groups of cells, as
// many groups a row as the width allows, values shown once results exist.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class CMSFlexGrid;

class CChannelResultWindow : public QDialog {
    Q_OBJECT
public:
    // Rebuilds the channel list and the grid, then refills it.
    void RefreshGrid();
    CMSFlexGrid* GetGrid() const { return m_grid; }
    const std::vector<int>& GetChannels() const { return m_channels; }
    bool HasData() const { return m_bHasData; }
    int GetColumnCount() const { return m_nColumns; }

protected:
    CChannelResultWindow(const char* caption, int columns, int leastColumns, QWidget* parent);

    virtual int CellsPerChannel() const = 0;
    // The heading of one channel group ("^..|^..").
    virtual std::string GroupHeading() const = 0;
    // Writes a channel's value cells after its name cell at (row, col).
    virtual void FillValueCells(int row, int col, int channel) = 0;

    void BuildGrid();
    void FillValues();
    // A cell's text in a colour (0x00BBGGRR).
    void SetCell(int row, int col, const std::string& text, unsigned colour);
    void resizeEvent(QResizeEvent* event) override;

    bool m_bHasData = false;

private:
    int m_nColumns;
    int m_nLeastColumns;
    std::vector<int> m_channels;
    CMSFlexGrid* m_grid = nullptr;
};
