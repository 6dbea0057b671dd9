// The start-up progress window.
#include "app/DlgShowStartDetail.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

void ApplyLine(const StartProgressLine& line, QLabel* text, QProgressBar* bar) {
    text->setText(QString::fromStdString(line.text));
    bar->setRange(line.low, std::max(line.low, line.high));
    bar->setValue(line.pos);
}

} // namespace

CDlgShowStartDetail::CDlgShowStartDetail(CStartProgressState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_state(state), m_pText1(new QLabel),
      m_pBar1(new QProgressBar), m_pText2(new QLabel), m_pBar2(new QProgressBar) {
    setWindowTitle("提示");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(m_pText1), static_cast<QWidget*>(m_pBar1),
                       static_cast<QWidget*>(m_pText2), static_cast<QWidget*>(m_pBar2)}) {
        layout->addWidget(w);
    }
    m_pBar1->setTextVisible(false);
    m_pBar2->setTextVisible(false);
    setMinimumWidth(360);
    m_state.SetWindow(GetSafeHwnd());
}

CDlgShowStartDetail::~CDlgShowStartDetail() {
    m_state.SetWindow(0);
}

platform::LRESULT CDlgShowStartDetail::WindowProc(platform::UINT message, platform::WPARAM,
                                                  platform::LPARAM) {
    if (message == WM_START_PROGRESS_CHANGED) {
        ApplyState();
    }
    return 0;
}

void CDlgShowStartDetail::ApplyState() {
    const StartProgressSnapshot s = m_state.TakeSnapshot();
    setWindowTitle(QString::fromStdString(s.caption));
    ApplyLine(s.line1, m_pText1, m_pBar1);
    ApplyLine(s.line2, m_pText2, m_pBar2);
    if (!s.visible) {
        hide();
        return;
    }
    if (!isVisible()) {
        show();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    if (s.raise) {
        raise();
    }
}

QString CDlgShowStartDetail::Text1() const {
    return m_pText1->text();
}
QString CDlgShowStartDetail::Text2() const {
    return m_pText2->text();
}

void CDlgShowStartDetail::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
