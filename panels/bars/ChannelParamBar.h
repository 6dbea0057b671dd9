// The channel-parameter bar, the contents of a dock pane: one grid page per
// measurement type (and the overview and alarm pages), paged by case or by
// controller, edited in place. Everything it changes goes straight into the
// process-wide channel tables; the rules live in the plain channel-bar
// classes, this is the glue.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "panels/bars/ChannelBarContext.h"
#include "panels/bars/ChannelBarPages.h"
#include "platform/Message.h"

class COperatorRights;
class CMSFlexGrid;
class CPictureTipComboBox;
class QLineEdit;
class QMenu;
class QTabBar;

class CChannelParamBar : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned COLOR_ROW_HIGHLIGHT = 16749378;
    static constexpr unsigned COLOR_KEEP_RED = 255;
    static constexpr unsigned COLOR_KEEP_YELLOW = 65535;

    explicit CChannelParamBar(QWidget* parent = nullptr);

    // Given once by the frame before the first refresh.
    void SetInstrumentModel(int modelType, const std::string& descriptionFile);
    void SetPaging(bool byCase, bool byController);
    void SetChannelsPerUnit(int n) { m_ctx.nChannelsPerUnit = n; }
    void SetOwner(platform::HWND owner) { m_hOwner = owner; }
    void SetHardwareCorrector(CHardwareParamCorrect* corrector) { m_ctx.pCorrector = corrector; }
    void SetOperatorRights(const COperatorRights* rights) { m_pRights = rights; }
    void SetControllers(const std::vector<ControllerRecord>& controllers) { m_ctx.controllers = controllers; }
    void SetProjectState(int state) { m_ctx.nProjectState = state; }
    void SetUnitFile(const std::string& path);
    // The program's channel-parameter file and the open project's (empty when none).
    void SetChannelFiles(const std::string& programFile, const std::string& projectFile);
    // Redraws the views after a change of the channel tables.
    void SetViewRefresh(std::function<void()> refresh) { m_refreshViews = std::move(refresh); }

    // The frame's refresh order.
    int BeginRefresh() { return 1; }
    int InitTypeTabs();
    void FillCaseTabs();
    void ShowSelectedTypePage();
    void BuildShownChannelList();

    // Edits (the grid's events call them; tests call them directly).
    void BeginCellEdit();
    void CommitCellEdit(const std::string& text, int listIndex);
    void OnRowSelection();
    void OnTickToggle();
    void OnCopy();
    void OnPaste();
    void OnBalanceChannel();
    // The balance, copy and paste menu of the current channel; none without one.
    QMenu* CreateContextMenu();
    void SetCtrlDown(bool down) { m_bCtrlDown = down; }

    CMSFlexGrid* GetGrid() { return m_pGrid; }
    CPictureTipComboBox* GetCombo() { return m_pCombo; }
    QLineEdit* GetEdit() { return m_pEdit; }
    QTabBar* GetTypeTabs() { return m_pTypeTabs; }
    QTabBar* GetCaseTabs() { return m_pCaseTabs; }
    QTabBar* GetControllerTabs() { return m_pControllerTabs; }
    int GetCurrentPageId() const;
    const std::vector<int>& GetSelectedRows() const { return m_selectedRows; }
    // The channels of the selected rows, in selection order.
    std::vector<int> GetSelectedChannels() const;
    int GetCurrentChannel() const { return m_nCurChannel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FillPage();
    void DrawRow(int row, int channel);
    void RedrawChannel(int channel);
    ChannelRowRange CurrentRowRange() const;
    void HideEditors();
    void OnTypeTabChanged(int index);
    void OnPagingTabChanged();
    void OnEditFinished();
    void OnComboChosen(int index);
    void AfterTableChange();
    void SaveChannelTables();
    void HighlightRow(int row, bool on);
    void ClearRowSelection();
    int ChannelOfRow(int row) const;
    std::vector<int> SelectedChannels() const;
    void PlaceEditor(QWidget* editor);

    ChannelBarContext m_ctx;
    std::string m_strDescriptionFile;
    std::string m_strUnitFile;
    std::string m_strProgramChannelFile;
    std::string m_strProjectChannelFile;
    std::function<void()> m_refreshViews;
    const COperatorRights* m_pRights = nullptr;
    platform::HWND m_hOwner = 0;

    // Current cell: the clicked row's channel, column and row, the type tab,
    // and the selection rows at the click.
    int m_nCurChannel = -1;
    int m_nCurCol = 0;
    int m_nCurRow = 0;
    int m_nTabIndex = 0;
    int m_nFirstRow = 0;
    int m_nLastRow = 0;

    bool m_bPagingByCase = false;
    bool m_bPagingByController = false;
    std::vector<int> m_typeTabs;
    std::vector<int> m_pageChannels;             // channel of row 1, 2, ...
    std::unordered_map<int, int> m_rowOfChannel; // channel -> row on the page
    std::vector<std::int32_t> m_changedChannels;
    bool m_bCtrlDown = false;
    std::vector<int> m_selectedRows;
    std::vector<std::string> m_copyTexts;
    int m_nCopyTab = -1;
    int m_nCopySource = -1;
    bool m_bFilling = false;

    QTabBar* m_pCaseTabs;
    QTabBar* m_pControllerTabs;
    QTabBar* m_pTypeTabs;
    CMSFlexGrid* m_pGrid;
    CPictureTipComboBox* m_pCombo;
    QLineEdit* m_pEdit;
};
