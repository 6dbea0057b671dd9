// The frame's table commands: the display modes, the table properties, print,
// print preview and the save-as commands go to the active table view; the
// save-as commands go to the active curve view too and export the open
// project's stored run.
// The table view's plain headers come before any Qt header: the online layout
// they include has a member named like one of Qt's keywords.
#include "acquisition/SamplingControl.h"
#include "views/table/TableData.h"

#include "app/MainFrame.h"

#include "acquisition/NetComm.h"
#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/MainFrameCaseSearch.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "views/bar/BarViewWidget.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/TableWorld.h"
#include "views/table/TableViewWidget.h"

#include <QFileDialog>

#include <algorithm>
#include <cstring>

namespace {

const int kTableViewCommands[] = {
    ID_TABLE_SHOW_BALANCE_STATE, ID_TABLE_SHOW_BALANCE_VALUES,  ID_TABLE_SHOW_MEASURED, ID_TABLE_SHOW_ROSETTE,
    ID_TABLE_SHOW_HISTORY,       ID_TABLE_SHOW_RESIDUAL_STRESS, ID_TABLE_PROPERTIES};
const int kTableSaveCommands[] = {ID_TABLE_SAVE_TEXT, ID_TABLE_SAVE_EXCEL, ID_TABLE_SAVE_MATLAB,
                                  ID_TABLE_SAVE_BITMAP};

// The export file dialog's filter and extension by export type (0 text,
// 1 spreadsheet, 2 bitmap, 3 MATLAB).
struct ExportFileType {
    const char* filter;
    const char* extension;
};
ExportFileType FileTypeOf(int type) {
    switch (type) {
    case 1:
        return {"Excel文件(*.xlsx)", "xlsx"};
    case 2:
        return {"位图文件(*.bmp)", "bmp"};
    case 3:
        return {"Matlab文件(*.mat)", "mat"};
    default:
        return {"文本文件(*.txt)", "txt"};
    }
}

} // namespace

CTableView* CMainFrame::GetActiveTableView() const {
    CChildFrame* child = GetActiveChildFrame();
    auto* view = child == nullptr ? nullptr : qobject_cast<CTableView*>(child->GetActiveView());
    return view != nullptr && view->GetTable() != nullptr ? view : nullptr;
}

CBarIndicatorView* CMainFrame::GetActiveBarView() const {
    CChildFrame* child = GetActiveChildFrame();
    auto* view = child == nullptr ? nullptr : qobject_cast<CBarIndicatorView*>(child->GetActiveView());
    return view != nullptr && view->GetBars() != nullptr ? view : nullptr;
}

CHistoryViewWidget* CMainFrame::GetActiveHistoryView() const {
    CChildFrame* child = GetActiveChildFrame();
    auto* view = child == nullptr ? nullptr : qobject_cast<CHistoryView*>(child->GetActiveView());
    return view != nullptr ? view->GetHistory() : nullptr;
}

bool CMainFrame::ChooseFile(bool save, const std::string& filter, const std::string& title,
                            const std::string& folder, std::string& path) {
    if (m_fileChooser)
        return m_fileChooser(save, filter, title, folder, path);
    const QString chosen =
        save ? QFileDialog::getSaveFileName(this, QString::fromStdString(title),
                                            QString::fromStdString(folder), QString::fromStdString(filter))
             : QFileDialog::getOpenFileName(this, QString::fromStdString(title),
                                            QString::fromStdString(folder), QString::fromStdString(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

void CMainFrame::FillTableWorld(TableWorld& world) const {
    if (m_pCaseSearch != nullptr) {
        world.bPageByUnit = m_pCaseSearch->m_TablePaging.bByCase != 0;
        world.bPageByController = m_pCaseSearch->m_TablePaging.bByIp != 0;
    }
    world.controllers.clear();
    for (const ControllerRecord& record : ControllerTable()) {
        TableController controller;
        controller.strAddress =
            std::string(record.szAddress, strnlen(record.szAddress, sizeof record.szAddress));
        controller.nIndex = int(world.controllers.size());
        for (int k = 0; k < std::clamp<int>(record.nCases, 0, 8); ++k)
            controller.units.push_back(record.nController * 8 + record.nCaseNo[k]);
        world.controllers.push_back(std::move(controller));
    }
    world.rosetteGroups = m_project.m_RosetteGroups;
    world.residualGroups = m_project.m_ResidualGroups;
    // The balance results: their time and, by slot, the zero sample set the
    // balance converted (the frame keeps it by unit number).
    world.bBalanceResults = m_project.m_bBalanceStatus != 0;
    world.strBalanceTime = m_project.m_strBalanceTime;
    world.zeroSet.clear();
    if (m_pSampling != nullptr) {
        const CaseSampleBlock* zeroSet = m_pSampling->GetZeroSet();
        for (int unit : world.caseList)
            world.zeroSet.push_back(unit >= 0 && unit < MAX_CHANNEL_CASE_COUNT ? zeroSet[unit]
                                                                               : CaseSampleBlock{});
    }
}

void CMainFrame::SetupTableView(CChildFrame* child) {
    auto* view = qobject_cast<CTableView*>(child->GetActiveView());
    if (view == nullptr)
        return;
    view->fillFromFrame = [this](TableWorld& world) { FillTableWorld(world); };
    CTableViewWidget* table = view->GetTable();
    if (table == nullptr)
        return;
    // Another display mode: the document keeps it for its title, and the
    // table takes the frame's tables again (a balance may have come since).
    CQV7411N_NewFrameDoc* doc = child->GetDocument();
    table->onModeChanged = [view, table, doc] {
        doc->m_nShowGraphType = table->Data().m_nShowDataType;
        view->ReloadDataWindow();
        doc->UpdateTitle();
    };
}

void CMainFrame::RefreshTableViews() {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        if (auto* view = qobject_cast<CTableView*>(child->GetActiveView())) {
            view->ReloadDataWindow();
            child->GetDocument()->UpdateTitle();
        }
    }
}

int CMainFrame::AskExportFileName(int type, std::string& folder, std::string& title, std::string& extension) {
    const ExportFileType fileType = FileTypeOf(type);
    std::string path;
    if (!ChooseFile(true, fileType.filter, "另存为", m_project.m_strProjectFolder, path))
        return 0;
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : path.substr(0, slash);
    title = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = title.rfind('.');
    extension = dot == std::string::npos ? fileType.extension : title.substr(dot + 1);
    if (dot != std::string::npos)
        title.resize(dot);
    return 1;
}

void CMainFrame::ReportFileWritten(const std::string& what, const std::string& path) {
    SetStatusText(QString::fromStdString("已保存" + what + ": " + path));
}

ViewExportSettings CMainFrame::MakeViewExportSettings() {
    ViewExportSettings settings;
    settings.strDataPath = m_project.GetFilePath(".dat");
    settings.nSamplingMode = m_project.m_SampleSettings.nSampleMode;
    settings.fSamplingFrequency = m_project.m_SampleSettings.fSampleFreq;
    settings.nStoredCount = m_project.m_nTotalDataCount;
    settings.askFileName = [this](int type, std::string& folder, std::string& title, std::string& extension) {
        return AskExportFileName(type, folder, title, extension);
    };
    settings.reportWritten = [this](const std::string& what, const std::string& path) {
        ReportFileWritten(what, path);
    };
    settings.rosetteGroups = m_project.m_RosetteGroups;
    settings.residualGroups = m_project.m_ResidualGroups;
    return settings;
}

void CMainFrame::UpdateTableExport(CTableView& view) {
    view.SetExportSettings(MakeViewExportSettings());
}

CQV7411N_NewFrameView* CMainFrame::GetActiveCurveView() const {
    CChildFrame* child = GetActiveChildFrame();
    auto* view = child == nullptr ? nullptr : qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView());
    return view != nullptr && view->GetCurve() != nullptr ? view : nullptr;
}

void CMainFrame::RegisterTableCommands() {
    const auto routeToTable = [this](int id) {
        return [this, id] {
            if (CTableView* view = GetActiveTableView())
                view->GetTable()->OnCommand(id);
        };
    };
    for (const int id : kTableViewCommands) {
        OnCommand(id, routeToTable(id), [this, id](CCmdUI& ui) {
            const CTableView* view = GetActiveTableView();
            ui.Enable(view != nullptr && view->GetTable()->IsCommandEnabled(id));
            ui.SetCheck(view != nullptr && view->GetTable()->IsCommandChecked(id));
        });
    }
    // The save-as commands, for the active table or graph view: not while
    // sampling, and only with stored data.
    for (const int id : kTableSaveCommands) {
        OnCommand(
            id,
            [this, id] {
                if (CTableView* view = GetActiveTableView()) {
                    UpdateTableExport(*view);
                    view->GetTable()->OnCommand(id);
                } else if (CQV7411N_NewFrameView* curve = GetActiveCurveView()) {
                    curve->SetExportSettings(MakeViewExportSettings());
                    curve->GetCurve()->OnCommand(id);
                } else if (CHistoryViewWidget* history = GetActiveHistoryView()) {
                    history->OnCommand(id);
                } else if (CBarIndicatorView* bar = GetActiveBarView()) {
                    bar->GetBars()->OnCommand(id);
                }
            },
            [this, id](CCmdUI& ui) {
                const bool stored =
                    g_bSampling.load() == 0 && (m_project.m_nProjectState == PROJECT_OPENED ||
                                                m_project.m_nProjectState == PROJECT_CONFIRMED);
                const CTableView* view = GetActiveTableView();
                const CQV7411N_NewFrameView* curve = GetActiveCurveView();
                bool enabled = false;
                if (view != nullptr)
                    enabled = id == ID_TABLE_SAVE_BITMAP || view->GetTable()->IsCommandEnabled(id);
                else if (curve != nullptr)
                    enabled = curve->GetCurve()->IsCommandEnabled(id);
                else if (const CHistoryViewWidget* history = GetActiveHistoryView())
                    enabled = history->IsCommandEnabled(id);
                else if (const CBarIndicatorView* bar = GetActiveBarView())
                    enabled = bar->GetBars()->IsCommandEnabled(id);
                ui.Enable(stored && enabled);
            });
    }
    // Print and print preview, for the active table, curve or history view:
    // not while sampling.
    for (const int id : {ID_TABLE_PRINT, ID_TABLE_PRINT_PREVIEW}) {
        OnCommand(
            id,
            [this, id] {
                if (CTableView* view = GetActiveTableView())
                    view->GetTable()->OnCommand(id);
                else if (CQV7411N_NewFrameView* curve = GetActiveCurveView())
                    curve->GetCurve()->OnCommand(id);
                else if (CHistoryViewWidget* history = GetActiveHistoryView())
                    history->OnCommand(id);
            },
            [this](CCmdUI& ui) {
                const bool printable = GetActiveTableView() != nullptr || GetActiveCurveView() != nullptr ||
                                       GetActiveHistoryView() != nullptr;
                ui.Enable(printable && g_bSampling.load() == 0);
            });
    }
}
