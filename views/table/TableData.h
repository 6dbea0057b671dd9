// The table view without its window: display mode, value buffers, the
// layout of headings and rows, the cell texts and colours of every mode, the
// tabs and status strip, Ctrl+click marks and the layout-file keys. The Qt
// view shows its grid and forwards the user's input to it.
#pragma once

#include "views/shared/TableWorld.h"
#include "views/table/TableGrid.h"

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// Display modes.
constexpr int TABLE_BALANCE_STATE = 0;
constexpr int TABLE_BALANCE_VALUES = 1;
constexpr int TABLE_MEASURED = 2;
constexpr int TABLE_ROSETTE = 3;
constexpr int TABLE_HISTORY = 4;
constexpr int TABLE_DIGITAL_HISTORY = 5;
constexpr int TABLE_CHECK_RESULTS = 6;
constexpr int TABLE_RESIDUAL_STRESS = 8;

// Commands of the view.
constexpr int ID_TABLE_SHOW_BALANCE_STATE = 32822;
constexpr int ID_TABLE_SHOW_BALANCE_VALUES = 32823;
constexpr int ID_TABLE_SHOW_MEASURED = 32824;
constexpr int ID_TABLE_SHOW_ROSETTE = 32825;
constexpr int ID_TABLE_SHOW_HISTORY = 32826;
constexpr int ID_TABLE_SHOW_DIGITAL_HISTORY = 32827;
constexpr int ID_TABLE_SHOW_RESIDUAL_STRESS = 32933;
constexpr int ID_TABLE_PROPERTIES = 32821;
constexpr int ID_TABLE_PAGE_SETUP = 32819;
constexpr int ID_TABLE_PRINT = 57607;
constexpr int ID_TABLE_PRINT_PREVIEW = 57609;
constexpr int ID_TABLE_SAVE_TEXT = 32830;
constexpr int ID_TABLE_SAVE_EXCEL = 32847;
constexpr int ID_TABLE_SAVE_MATLAB = 32887;
constexpr int ID_TABLE_SAVE_BITMAP = 32846;

// Height of every row in twips.
constexpr int kTableRowHeight = 400;

// The mode a mode command selects, -1 for another command.
int TableModeOfCommand(int id);

class CTableData {
public:
    explicit CTableData(const TableWorld& world);

    // --- the document's window ---
    int m_nPosition = 0;        // the document's current sample
    bool m_bStoredData = false; // the document shows stored or live-recorded data
    int m_nClientWidth = 800;   // grid client width in pixels, for the column widths

    // --- settings ---
    int m_nShowDataType = TABLE_MEASURED;
    int m_nDataPrecision = 0;
    bool m_bShowDescrib = false;
    bool m_bShowUnit = false;
    int m_nSelCaseID = 0;
    int m_nSelFirstChannel = 0;
    int m_nChansPerUnit = 16;
    int m_nRowLimit = 256;
    std::map<int, int> m_PrecisionByType;

    // --- live state ---
    std::vector<float> m_pValues;
    std::array<float, 8> m_DigitalValues{};
    std::vector<bool> m_emptyUnits; // by slot: the unit's block of the last sample set was empty
    std::map<int, bool> m_SelectedChannels;
    std::vector<int>* m_pSelectionOut = nullptr;
    bool m_bCtrlDown = false;
    bool m_bPageByUnit = false;
    bool m_bPageByController = false;
    int m_nControllerIndex = 0;
    std::string m_strHistTime;
    std::string m_strHistStatus;

    // --- what the window shows ---
    TableGrid m_grid;
    std::string m_strStatus;
    bool m_bShowStatusStrip = true;
    bool m_bShowTopTabs = false;
    bool m_bShowBottomTabs = false;
    std::vector<std::string> m_topTabs;
    std::vector<std::string> m_bottomTabs;
    int m_nTopTabSelected = -1;
    int m_nBottomTabSelected = -1;

    // Called when a fill found a cell in alarm (the view restarts the alarm sound).
    std::function<void()> onAlarm;
    // The global data lock of the live buffers; none in tests.
    std::mutex* m_pDataLock = nullptr;

    // --- operations ---
    void InitialUpdate();
    void AllocDataBuffer();
    void FreeDataBuffer();
    void ReceiveData(int kind, const CaseSampleBlock* sampleSet, const float* values);
    void LoadBatchData();
    void RebuildGrid();
    void LayoutRows();
    void SetColumnWidths();
    void UpdateTable();
    void UpdateStatusText(const std::string& timeText, const std::string& statusText);
    void Refresh();
    // Sets a display mode; false when it is the current one.
    bool SetShowDataType(int mode);
    void ResetCtrlKeyState() { m_bCtrlDown = false; }
    void ClearGridCells() { m_grid.ClearBody(); }
    void ClearCellSelection();
    // A click on one cell of the grid.
    void OnGridClick(int row, int column);
    // A tab was chosen; top: the tab strip above the grid (history mode).
    void OnTabSelected(bool top, int index);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;

    // Layout-file keys of section "TableView%d".
    void LoadSettings(const std::string& layoutFile, int index);
    void SaveSettings(const std::string& layoutFile, int index) const;

    // Units the row-group modes show: slots in order.
    std::vector<int> ShownSlots() const;
    int ColumnsPerRow() const;
    int GroupsPerUnit() const;
    int HeadingRows() const { return 1 + (m_bShowDescrib ? 1 : 0) + (m_bShowUnit ? 1 : 0); }
    // Grid rows of a row group: the value row; description and unit rows beside it.
    int ValueRowOfGroup(int group) const;
    int RowGroup(int slot, int channel) const;
    // Enabled and present channels of the chosen unit (history mode columns).
    std::vector<int> HistoryChannels() const;
    // "%.nf" of a value with the decimals of the channel's type (mode 2) or the default.
    std::string FormatValue(float value, int channel) const;
    std::string FormatDefault(float value) const;
    int DecimalsOf(int channel) const;
    bool IsSampling() const { return m_world.bSampling; }
    const TableWorld& World() const { return m_world; }

private:
    void ClampSelectedCase();
    void LayoutRosette();
    void LayoutResidual();
    void LayoutHistory();
    void LayoutDigitalHistory();
    void LayoutHeadingColumn(int slotOrdinal, int slot, int group);
    void AddDigitalRows();

    bool FillChannels();
    void FillChannelCell(int slot, int ch, bool& alarm);
    std::string MeasuredText(int slot, int ch, float value) const;
    void FillDigitalRows();
    bool FillRosette();
    void FillResidual();
    bool FillHistoryStored();
    bool FillHistoryLive();
    void FillDigitalHistoryStored();
    void FillDigitalHistoryLive();
    bool HistoryValueCell(int row, int column, int channel, float value);
    void ClearRowsFrom(int row);
    void FillOrMarks(bool marksOnly);

    void RebuildTabs();
    void PublishSelection();
    std::string CurrentStoredTime(std::string& status) const;
    float BufferValue(int slot, int ch) const;
    bool IsMarkMode() const;

    const TableWorld& m_world;
    int m_nDigitalRowStart = -1;
};
