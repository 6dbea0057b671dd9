// The locate-data window: the slider and the move of the attached window.
#include "panels/run/DlgLocateData.h"

#include "model/RunFlags.h"
#include "project/OpenViewCounters.h"
#include "project/ProjectDocument.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

CDlgLocateData::CDlgLocateData(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("定位数据"));
    setModal(false);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName("slider");
    m_slider->setMinimumWidth(320);
    m_syncAll = new QCheckBox(QString::fromUtf8("同步移动所有窗口"), this);
    m_syncAll->setObjectName("syncAll");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_slider);
    layout->addWidget(m_syncAll);
    connect(m_slider, &QSlider::valueChanged, this, &CDlgLocateData::OnScroll);
}

void CDlgLocateData::AttachView(QWidget* view, CQV7411N_NewFrameDoc* document, int kind) {
    const bool accepted = view != nullptr && document != nullptr && kind >= 1 && kind <= 3;
    m_view = accepted ? view : nullptr;
    m_pDocument = accepted ? document : nullptr;
    m_nViewKind = accepted ? kind : 0;
}

void CDlgLocateData::InitSlider(int position, int pageSize, int maximum) {
    const QSignalBlocker blocker(m_slider);
    m_slider->setRange(0, std::max(0, maximum));
    m_slider->setPageStep(std::max(1, pageSize));
    m_slider->setValue(position);
    m_nPosition = m_slider->value();
}

bool CDlgLocateData::IsSyncAll() const {
    return m_syncAll->isChecked();
}

void CDlgLocateData::OnScroll(int position) {
    if (IsRunActive() || OpenViewCounters().GetTotal() == 0)
        return;
    if (position == m_nPosition || m_view.isNull() || m_pDocument == nullptr || !m_pDocument->IsStoredData())
        return;
    m_nPosition = std::max(0, position);
    m_pDocument->LocateData(m_nPosition, IsSyncAll());
}

void CDlgLocateData::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (onClosed)
        onClosed();
}
