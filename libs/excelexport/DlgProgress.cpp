// The export progress window and its stop test.
#include "libs/excelexport/DlgProgress.h"

#include "libs/excelexport/XlsxCommon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CDlgProgress::CDlgProgress(QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QStringLiteral("正在进行Excel处理,请稍候......"));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QStringLiteral("1000"));
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pExit = new QPushButton(QStringLiteral("退出"), this);
    m_pExit->setObjectName(QStringLiteral("1002"));
    m_pExit->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pExit);
    layout->addLayout(buttons);
    resize(360, 90);
    connect(m_pExit, &QPushButton::clicked, this, &CDlgProgress::OnCancel);
    // A quit asked of the program while the export runs ends the export.
    QCoreApplication::instance()->installEventFilter(this);
}

CDlgProgress::~CDlgProgress() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

void CDlgProgress::SetRange(int n) {
    m_pProgress->setRange(0, n);
}

void CDlgProgress::SetProgress(int nPos) {
    m_pProgress->setValue(nPos);
}

int CDlgProgress::JudgeExit(QCoreApplication* pApp) {
    if (!m_bExit && !m_bQuit && pApp != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return m_bExit || m_bQuit ? 0 : 1;
}

std::string CDlgProgress::GetChannelStrID(int nChannel, int n) const {
    return excelexport::ChannelStrID(nChannel, n);
}

void CDlgProgress::OnCancel() {
    m_bExit = true;
    hide();
}

void CDlgProgress::reject() {
    OnCancel();
    QDialog::reject();
}

bool CDlgProgress::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        m_bQuit = true;
    }
    return QDialog::eventFilter(watched, event);
}
