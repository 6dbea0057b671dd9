// The computing-wait box.
#include "panels/run/DlgComputingWait.h"

#include "model/AppSettings.h"

#include <QLabel>
#include <QVBoxLayout>

CDlgComputingWait::CDlgComputingWait(QWidget* parent) : QDialog(parent) {
    setModal(false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* text = new QLabel(QString::fromUtf8("正在进行计算，请稍候......"), this);
    text->setObjectName("text");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

void CDlgComputingWait::showEvent(QShowEvent* event) {
    setWindowTitle(QString::fromUtf8(g_strAppTitle));
    QDialog::showEvent(event);
}
