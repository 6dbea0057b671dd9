// The data views' shells and their open-window counting.
// The table view's plain headers come before any Qt header: the online layout
// they include has a member named like one of Qt's keywords.
#include "views/shared/TableWorldFromApp.h"

#include "datafiles/AppTables.h"
#include "datafiles/ExportContext.h"
#include "datafiles/ResultGroupRules.h"

#include "app/DataViews.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "panels/channels/DlgSignalSelect.h"
#include "panels/data/DlgSaveDataOption.h"
#include "panels/data/TableSaveOptionsDialog.h"
#include "platform/Text.h"
#include "project/OpenViewCounters.h"
#include "project/ProjectDocument.h"
#include "views/bar/BarViewWidget.h"
#include "views/bar/BarWorldFromApp.h"
#include "views/curve/CurveResults.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DataCorrectDlg.h"
#include "views/history/HistoryViewWidget.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QVBoxLayout>

#include <algorithm>

CDataViewBase::CDataViewBase(int viewType, const QString& className, QWidget* parent)
    : QWidget(parent), m_nViewType(viewType), m_strClassName(className), m_pLabel(new QLabel(this)) {
    setObjectName(className);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_pLabel);
    setMinimumSize(200, 200);
    OpenViewCounters().ViewOpened(viewType);
}

CDataViewBase::~CDataViewBase() {
    ViewClosing();
}

void CDataViewBase::ViewClosing() {
    if (m_bCounted) {
        m_bCounted = false;
        OpenViewCounters().ViewClosed(m_nViewType);
    }
}

void CDataViewBase::ReloadDataWindow() {
    update();
}

void CDataViewBase::OpenDataCorrection() {
    std::vector<int> channels(g_MeasChanList,
                              g_MeasChanList + std::clamp(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT));
    CDataCorrectDlg dialog(
        channels,
        [](int channel) {
            if (!IsValidChannelId(channel))
                return std::pair{1.0f, 0.0f};
            return std::pair{g_ChannelParams[channel].fCorrectionSlope,
                             g_ChannelParams[channel].fCorrectionOffset};
        },
        this);
    const int result = runDataCorrectDialog ? runDataCorrectDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted && GetDocument() != nullptr)
        GetDocument()->ApplyDataCorrection(dialog.GetChannelId(), dialog.GetA(), dialog.GetB());
}

void CDataViewBase::SetTitle(const std::string& title) {
    const QString text = QString::fromStdString(title);
    m_pLabel->setText(text);
    emit titleChanged(text);
}

CTableView::CTableView(QWidget* parent)
    : CDataViewBase(VIEW_TYPE_TABLE, "CTableView", parent), m_pWorld(std::make_unique<TableWorld>()) {
    FillTableWorldFromAppTables(*m_pWorld);
    m_pTable = CTableViewWidget::Create(*m_pWorld, this);
    if (m_pTable != nullptr) {
        if (auto* box = qobject_cast<QBoxLayout*>(layout()))
            box->addWidget(m_pTable, 1);
        m_pTable->InitialUpdate();
    }
}

CTableView::~CTableView() {
    // The grid reads the world and the export source until it goes.
    delete m_pTable;
}

// What a view's exports read: the online arrangement, the channel
// conversions and the run's files.
struct ViewExportSource {
    ViewExportSource() : layout(OnlineLayoutFromCaseTables()), context(layout, channels) {}
    OnlineLayout layout;
    CAppChannelTable channels;
    ExportContext context;
};

namespace {

// The export source of the settings, and the save-options dialog's lists
// refilled in place (the dialog runner keeps a reference to them).
std::unique_ptr<ViewExportSource> MakeViewExportSource(const ViewExportSettings& settings,
                                                       SaveOptionSources& sources) {
    auto source = std::make_unique<ViewExportSource>();
    ExportContext& context = source->context;
    const std::string base = settings.strDataPath.substr(0, settings.strDataPath.rfind('.'));
    context.dataPath = settings.strDataPath;
    context.statusPath = base + ".stu";
    context.digitalPath = base + ".dst";
    context.nSamplingMode = settings.nSamplingMode;
    context.fSamplingFrequency = settings.fSamplingFrequency;
    context.askExportFileName = settings.askFileName;
    context.reportWritten = settings.reportWritten;
    context.strAppTitle = g_strAppTitle;
    context.channelDescription = [](int channel) {
        return IsValidChannelId(channel) ? platform::GbkToUtf8(g_ChannelParams[channel].szDescription)
                                         : std::string();
    };
    sources = SaveOptionSources{};
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        sources.measureChannels.push_back(g_ChannelList[i]);
        sources.allChannels.push_back(g_ChannelList[i]);
    }
    // The digital channels export from the run's ".dst", by their place in the table.
    for (const TableDigitalChannel& digital : DigitalChannelsFromAppTables()) {
        context.digitalChannels.push_back({digital.nId, digital.strName});
        sources.digitalChannels.push_back({digital.nId, digital.strName});
    }
    for (const RosetteGroupRecord& group : settings.rosetteGroups) {
        context.rosetteGroupTypes.push_back(group.type);
        sources.rosetteGroups.push_back({GroupNameText(group.Name), group.type});
    }
    for (const ResidualStressGroupRecord& group : settings.residualGroups) {
        context.residualGroupNames.push_back(GroupNameText(group.Name));
        sources.residualGroups.push_back(GroupNameText(group.Name));
    }
    sources.nStoredDataCount = settings.nStoredCount;
    sources.strAppTitle = g_strAppTitle;
    return source;
}

// Hands a graph view the export context of the settings; the view keeps
// the source alive until the next export.
template <class Widget>
void InstallViewExport(Widget* widget, const ViewExportSettings& settings,
                       std::unique_ptr<SaveOptionSources>& sources, std::unique_ptr<ViewExportSource>& kept,
                       QWidget* parent) {
    if (widget == nullptr)
        return;
    if (!sources)
        sources = std::make_unique<SaveOptionSources>();
    auto source = MakeViewExportSource(settings, *sources);
    widget->SetExportContext(&source->context, settings.nStoredCount);
    if (!widget->runSaveOptionsDialog)
        widget->runSaveOptionsDialog = MakeTableSaveOptionsDialogRunner(*sources, parent);
    kept = std::move(source);
}

// The stored run a view's document belongs to: the project's state, its
// stored total and its files; nothing without a document.
void FillStoredRun(TableWorld& world, const CQV7411N_NewFrameDoc* doc) {
    if (doc == nullptr || doc->GetHost() == nullptr)
        return;
    const IDocumentHost& project = *doc->GetHost();
    world.nProjectState = project.GetProjectState();
    world.nStoredCount = project.GetTotalDataCount();
    world.dataPath = project.GetProjectFilePath(".dat");
    world.statusPath = project.GetProjectFilePath(".stu");
    world.digitalPath = project.GetProjectFilePath(".dst");
}

} // namespace

void CTableView::SetExportSettings(const ExportSettings& settings) {
    if (m_pTable == nullptr)
        return;
    if (!m_pSaveSources)
        m_pSaveSources = std::make_unique<SaveOptionSources>();
    // The grid keeps a pointer to the context: hand it the new one first.
    auto source = MakeViewExportSource(settings, *m_pSaveSources);
    // The exports cover what the project has stored.
    m_pWorld->nStoredCount = settings.nStoredCount;
    m_pTable->SetExportContext(&source->context);
    if (!m_pTable->runSaveOptionsDialog)
        m_pTable->runSaveOptionsDialog = MakeTableSaveOptionsDialogRunner(*m_pSaveSources, this);
    m_pExport = std::move(source);
}

void CTableView::OpenPropertySheet() {
    if (m_pTable != nullptr)
        m_pTable->OnCommand(ID_TABLE_PROPERTIES);
}

void CTableView::ReloadDataWindow() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pTable == nullptr || doc == nullptr) {
        CDataViewBase::ReloadDataWindow();
        return;
    }
    FillWorld();
    m_pTable->Relayout();
    if (m_pWorld->nStoredCount > 0) {
        m_pTable->ShowStoredSample(doc->m_nScreenDataLeft);
    } else {
        m_pTable->UpdateTable();
        // The balance time of the balance modes, say; a run writes its own.
        if (!m_pWorld->bSampling)
            m_pTable->UpdateStatusText("", "");
    }
}

void CTableView::OnInitialUpdate() {
    if (fillFromFrame)
        ReloadDataWindow();
}

void CTableView::FillWorld() {
    FillTableWorldFromAppTables(*m_pWorld);
    const CQV7411N_NewFrameDoc* doc = GetDocument();
    if (doc == nullptr || doc->GetHost() == nullptr)
        return;
    FillStoredRun(*m_pWorld, doc);
    if (fillFromFrame)
        fillFromFrame(*m_pWorld);
}

CQV7411N_NewFrameView::CQV7411N_NewFrameView(QWidget* parent)
    : CDataViewBase(VIEW_TYPE_CURVE, "CQV7411N_NewFrameView", parent),
      m_pCurve(CCurveViewWidget::Create(this)) {
    if (m_pCurve != nullptr) {
        TitleLabel()->hide();
        if (auto* box = qobject_cast<QBoxLayout*>(layout()))
            box->addWidget(m_pCurve, 1);
        setFocusProxy(m_pCurve);
    }
}

CQV7411N_NewFrameView::~CQV7411N_NewFrameView() {
    delete m_pCurve;
}

void CQV7411N_NewFrameView::SetExportSettings(const ViewExportSettings& settings) {
    InstallViewExport(m_pCurve, settings, m_pSaveSources, m_pExport, this);
}

void CQV7411N_NewFrameView::ViewClosing() {
    if (m_pCurve != nullptr)
        m_pCurve->Unregister();
    CDataViewBase::ViewClosing();
}

void CQV7411N_NewFrameView::OnInitialUpdate() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pCurve == nullptr || doc == nullptr)
        return;
    CCurveViewModel& model = m_pCurve->Model();
    model.m_bStoredData = doc->IsStoredData();
    if (doc->IsStoredData() && model.m_nShowGraphType != 3) {
        model.m_nFirstSample = doc->m_nScreenDataLeft;
        model.m_nWindowCount = std::max(doc->m_nScreenDataCount, 1);
        model.SetPointCount(doc->m_nNowDataCount);
    }
    m_pCurve->InitialUpdate();
    if (doc->IsStoredData())
        ReloadDataWindow();
    doc->UpdateTitle();
}

void CQV7411N_NewFrameView::ReloadDataWindow() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pCurve == nullptr || doc == nullptr) {
        CDataViewBase::ReloadDataWindow();
        return;
    }
    m_pCurve->RefreshWorld();
    m_pCurve->SyncWithDocument(doc->m_nScreenDataLeft, doc->m_nNowDataCount, doc->m_nScreenDataCount,
                               doc->IsStoredData());
    if (doc->IsStoredData() && !m_pCurve->Model().m_bSampling)
        m_pCurve->LoadCurveData();
    else
        m_pCurve->Invalidate();
}

void CQV7411N_NewFrameView::OpenPropertySheet() {
    if (m_pCurve != nullptr)
        m_pCurve->ShowPropertySheet();
}

void CQV7411N_NewFrameView::ZoomDistribution(bool zoomIn) {
    if (m_pCurve == nullptr)
        return;
    // The value axis halves or doubles; zooming out raises the zoom level.
    m_pCurve->OnCommand(zoomIn ? ID_CURVE_ZOOM_IN_X : ID_CURVE_ZOOM_OUT_X);
}

std::vector<TitleSignal> CQV7411N_NewFrameView::GetTitleSignals() const {
    std::vector<TitleSignal> signals_;
    if (m_pCurve == nullptr)
        return signals_;
    const CCurveViewModel& model = m_pCurve->Model();
    for (int id : model.GetChannelIDs()) {
        TitleSignal signal;
        signal.id = id;
        if (model.m_nLineType == 2)
            signal.kind = TitleSignal::Rosette;
        else if (model.m_nLineType == 4)
            signal.kind = TitleSignal::ResidualStress;
        else if (id >= 4224)
            signal.kind = TitleSignal::Digital;
        else if (id >= 4096)
            signal.kind = TitleSignal::Virtual;
        signal.name = ResultGroupName(m_pCurve->World(), model.m_nLineType, id);
        signals_.push_back(signal);
    }
    return signals_;
}

void CQV7411N_NewFrameView::SaveLayout(const std::string& file, int index) const {
    if (m_pCurve != nullptr)
        m_pCurve->SaveLayout(file, index);
}

void CQV7411N_NewFrameView::LoadLayout(const std::string& file, int index) {
    if (m_pCurve != nullptr)
        m_pCurve->LoadLayout(file, index);
}

CHistoryView::CHistoryView(QWidget* parent)
    : CDataViewBase(VIEW_TYPE_HISTORY, "CHistoryView", parent), m_pHistory(CHistoryViewWidget::Create(this)) {
    if (m_pHistory != nullptr) {
        TitleLabel()->hide();
        if (auto* box = qobject_cast<QBoxLayout*>(layout()))
            box->addWidget(m_pHistory, 1);
        setFocusProxy(m_pHistory);
    }
}

CHistoryView::~CHistoryView() {
    delete m_pHistory;
}

void CHistoryView::ViewClosing() {
    if (m_pHistory != nullptr)
        m_pHistory->Unregister();
    CDataViewBase::ViewClosing();
}

void CHistoryView::OnInitialUpdate() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pHistory == nullptr || doc == nullptr)
        return;
    if (doc->IsStoredData())
        m_pHistory->SyncWithDocument(doc->m_nScreenDataLeft, doc->m_nScreenDataCount, doc->m_nNowDataCount,
                                     true);
    m_pHistory->InitialUpdate();
    doc->UpdateTitle();
}

void CHistoryView::ReloadDataWindow() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pHistory == nullptr || doc == nullptr) {
        CDataViewBase::ReloadDataWindow();
        return;
    }
    m_pHistory->RefreshWorld();
    m_pHistory->SyncWithDocument(doc->m_nScreenDataLeft, doc->m_nScreenDataCount, doc->m_nNowDataCount,
                                 doc->IsStoredData());
    if (doc->IsStoredData() && !m_pHistory->Model().m_bSampling && !m_pHistory->IsLive())
        m_pHistory->LoadCurveData();
    else
        m_pHistory->Invalidate();
}

void CHistoryView::OpenPropertySheet() {
    if (m_pHistory != nullptr)
        m_pHistory->ShowPropertySheet();
}

void CHistoryView::SaveLayout(const std::string& file, int index) const {
    if (m_pHistory != nullptr)
        m_pHistory->SaveLayout(file, index);
}

void CHistoryView::LoadLayout(const std::string& file, int index) {
    if (m_pHistory != nullptr)
        m_pHistory->LoadLayout(file, index);
}

void CHistoryView::SetExportSettings(const ViewExportSettings& settings) {
    InstallViewExport(m_pHistory, settings, m_pSaveSources, m_pExport, this);
}

CBarIndicatorView::CBarIndicatorView(QWidget* parent)
    : CDataViewBase(VIEW_TYPE_BAR, "CBarIndicatorView", parent), m_pBars(CBarViewWidget::Create(this)) {
    if (m_pBars != nullptr) {
        TitleLabel()->hide();
        if (auto* box = qobject_cast<QBoxLayout*>(layout()))
            box->addWidget(m_pBars, 1);
        setFocusProxy(m_pBars);
        // The program's tables and the stored run of the view's document,
        // whose current batch the bars show outside a run.
        m_pBars->fillWorld = [this](BarWorld& world) {
            FillBarWorldFromAppTables(world);
            FillStoredRun(world.table, GetDocument());
        };
        m_pBars->TakeOnlineChannels();
        m_pBars->runChannelChoice = [this](std::vector<int>& ids) {
            CDlgSignalSelect dialog(this);
            std::vector<std::int32_t> chosen(ids.begin(), ids.end());
            dialog.SetSelection(int(chosen.size()), chosen.data());
            const int result = runSignalDialog ? runSignalDialog(dialog) : dialog.exec();
            if (result != QDialog::Accepted)
                return false;
            ids.assign(dialog.GetChannels().begin(), dialog.GetChannels().begin() + dialog.GetCount());
            return true;
        };
    }
}

CBarIndicatorView::~CBarIndicatorView() {
    delete m_pBars;
}

void CBarIndicatorView::ViewClosing() {
    if (m_pBars != nullptr)
        m_pBars->Unregister();
    CDataViewBase::ViewClosing();
}

void CBarIndicatorView::OnInitialUpdate() {
    ReloadDataWindow();
    if (CQV7411N_NewFrameDoc* doc = GetDocument())
        doc->UpdateTitle();
}

void CBarIndicatorView::ReloadDataWindow() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pBars == nullptr || doc == nullptr) {
        CDataViewBase::ReloadDataWindow();
        return;
    }
    m_pBars->RefreshWorld();
    const TableWorld& table = m_pBars->World().table;
    const bool stored = (table.nProjectState == 2 || table.nProjectState == 3) && table.nStoredCount >= 1;
    if (stored && !table.bSampling &&
        m_pBars->LoadBatchData(std::clamp(doc->m_nScreenDataLeft, 0, table.nStoredCount - 1)))
        m_pBars->RefreshValues(1);
    else
        m_pBars->viewport()->update();
}

void CBarIndicatorView::OpenPropertySheet() {
    if (m_pBars != nullptr)
        m_pBars->ShowPropertySheet();
}

void CBarIndicatorView::SaveLayout(const std::string& file, int index) const {
    if (m_pBars != nullptr)
        m_pBars->SaveLayout(file, index);
}

void CBarIndicatorView::LoadLayout(const std::string& file, int index) {
    if (m_pBars != nullptr)
        m_pBars->LoadLayout(file, index);
}

void CBarIndicatorView::SetExportSettings(const ViewExportSettings& settings) {
    InstallViewExport(m_pBars, settings, m_pSaveSources, m_pExport, this);
}

CDataViewBase* CreateDataView(int viewType) {
    switch (viewType) {
    case VIEW_TYPE_HISTORY:
        return new CHistoryView;
    case VIEW_TYPE_CURVE:
        return new CQV7411N_NewFrameView;
    case VIEW_TYPE_TABLE:
        return new CTableView;
    case VIEW_TYPE_BAR:
        return new CBarIndicatorView;
    default:
        return nullptr;
    }
}
