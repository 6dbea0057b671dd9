// The data views' shells and their open-window counting.
#include "app/ui/DataViews.h"

#include "app/OpenViewCounters.h"

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
