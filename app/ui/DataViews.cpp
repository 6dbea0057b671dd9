// The data views' shells and their open-window counting.
// The table view's plain headers come before any Qt header: the online layout
// they include has a member named like one of Qt's keywords.
#include "views/TableWorldFromApp.h"

#include "app/ui/DataViews.h"

#include "app/OpenViewCounters.h"
#include "views/TableViewWidget.h"

#include <QVBoxLayout>

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
    // The grid reads the world until it goes.
    delete m_pTable;
}

void CTableView::ReloadDataWindow() {
    CQV7411N_NewFrameDoc* doc = GetDocument();
    if (m_pTable == nullptr || doc == nullptr) {
        CDataViewBase::ReloadDataWindow();
        return;
    }
    FillTableWorldFromAppTables(*m_pWorld);
    m_pWorld->nStoredCount = doc->GetTotal();
    m_pTable->ShowStoredSample(doc->m_nScreenDataLeft);
}

CShowInfoView::CShowInfoView(QWidget* parent) : QWidget(parent) {
    setObjectName("CShowInfoView");
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
