// The eccentricity dialog.
#include "panels/data/DlgEccentricity.h"

#include "datafiles/ResidualGroupEdit.h"
#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

double EditValue(const QLineEdit* edit) {
    return std::atof(edit->text().toStdString().c_str());
}

} // namespace

CDlgEccentricity::CDlgEccentricity(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("偏心修正"));
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(QString::fromUtf8("偏心坐标"), this);
    auto* grid = new QGridLayout(box);
    m_pX = NewDialogEdit(1453, box);
    m_pY = NewDialogEdit(1046, box);
    grid->addWidget(NewDialogLabel("X", box), 0, 0);
    grid->addWidget(m_pX, 0, 1);
    grid->addWidget(NewDialogLabel("mm", box), 0, 2);
    grid->addWidget(NewDialogLabel("Y", box), 1, 0);
    grid->addWidget(m_pY, 1, 1);
    grid->addWidget(NewDialogLabel("mm", box), 1, 2);
    layout->addWidget(box);
    QPushButton* ok = NewDialogButton("确定", "ok", this);
    ok->setDefault(true);
    QPushButton* cancel = NewDialogButton("取消", "cancel", this);
    layout->addLayout(NewButtonRow({ok, cancel}));
    connect(ok, &QPushButton::clicked, this, &CDlgEccentricity::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgEccentricity::reject);
}

void CDlgEccentricity::GetAngles(double& alpha1, double& alpha2, double& alpha3) const {
    alpha1 = m_alpha[0];
    alpha2 = m_alpha[1];
    alpha3 = m_alpha[2];
}

void CDlgEccentricity::accept() {
    if (!EccentricAngles(EditValue(m_pX), EditValue(m_pY), m_dDistance, m_alpha)) {
        platform::MessageBox(RESIDUAL_ECC_BAD_OFFSET, "偏心修正",
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    QDialog::accept();
}
