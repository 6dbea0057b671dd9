// The fouling thermal-resistance parameters window.
#include "panels/channels/DlgFoulingResistance.h"

#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstdlib>

namespace {
constexpr const char* kCaption = "提示";

double FieldValue(const QLineEdit* edit) {
    return std::atof(edit->text().toStdString().c_str());
}
} // namespace

CDlgFoulingResistance::CDlgFoulingResistance(QWidget* parent) : QDialog(parent) {
    g_FoulingValues = FoulingValues{};
    setWindowTitle(QString::fromUtf8("污垢热阻参数设置"));
    m_pArea = NewDialogEdit(1462, this);
    m_pFlow = NewDialogEdit(1454, this);
    m_pDensity = NewDialogEdit(1455, this);
    m_pMassFlow = NewDialogEdit(1457, this);
    m_pMassFlow->setReadOnly(true);
    m_pSpecificHeat = NewDialogEdit(1458, this);
    auto* compute = NewDialogButton("计算质量流量", 1456, this);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("换热面积A(m^2)"), m_pArea);
    form->addRow(QString::fromUtf8("流量Q(L/h)"), m_pFlow);
    form->addRow(QString::fromUtf8("循环冷却水密度\nρ水(kg/m^3)"), m_pDensity);
    form->addRow(compute);
    form->addRow(QString::fromUtf8("mc(kg/s)"), m_pMassFlow);
    form->addRow(QString::fromUtf8("循环冷却水定压比热容\nCpc(J/ kg·k)"), m_pSpecificHeat);
    auto* ok = NewDialogButton("确认", 1459, this);
    auto* apply = NewDialogButton("应用", 1461, this);
    auto* cancel = NewDialogButton("取消", 1460, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(NewButtonRow({ok, apply, cancel}));
    connect(compute, &QPushButton::clicked, this, [this] { OnComputeMassFlow(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnApply(true); });
    connect(apply, &QPushButton::clicked, this, [this] { OnApply(false); });
    connect(cancel, &QPushButton::clicked, this, [this] { hide(); });
}

QLineEdit* CDlgFoulingResistance::Field(int id) const {
    return findChild<QLineEdit*>(ControlName(id));
}

void CDlgFoulingResistance::LoadSettings(const std::string& path) {
    const FoulingFileValues values = LoadFoulingFile(path);
    g_FoulingValues.fArea = values.fArea;
    g_FoulingValues.fMassFlow = values.fMassFlow;
    g_FoulingValues.fSpecificHeat = values.fSpecificHeat;
    m_fFlow = values.fFlow;
    m_fDensity = values.fDensity;
}

void CDlgFoulingResistance::RefreshFields() {
    const auto show = [](QLineEdit* edit, float value) {
        edit->setText(QString::fromStdString(FoulingFieldText(value)));
    };
    show(m_pArea, g_FoulingValues.fArea);
    show(m_pFlow, m_fFlow);
    show(m_pDensity, m_fDensity);
    show(m_pMassFlow, g_FoulingValues.fMassFlow);
    show(m_pSpecificHeat, g_FoulingValues.fSpecificHeat);
}

void CDlgFoulingResistance::OnComputeMassFlow() {
    double massFlow = 0.0;
    if (!ComputeMassFlow(FieldValue(m_pFlow), FieldValue(m_pDensity), massFlow)) {
        platform::MessageBox("输入有误!", kCaption, platform::MB_OK);
        return;
    }
    m_pMassFlow->setText(QString::fromStdString(FoulingFieldText(static_cast<float>(massFlow))));
}

bool CDlgFoulingResistance::OnApply(bool hideAfter) {
    const double area = FieldValue(m_pArea), massFlow = FieldValue(m_pMassFlow),
                 specificHeat = FieldValue(m_pSpecificHeat);
    const std::string refused = CheckFoulingInputs(area, massFlow, specificHeat);
    if (!refused.empty()) {
        platform::MessageBox(refused, kCaption, platform::MB_OK);
        return false;
    }
    g_FoulingValues.fArea = static_cast<float>(area);
    g_FoulingValues.fMassFlow = static_cast<float>(massFlow);
    g_FoulingValues.fSpecificHeat = static_cast<float>(specificHeat);
    m_fFlow = static_cast<float>(FieldValue(m_pFlow));
    m_fDensity = static_cast<float>(FieldValue(m_pDensity));
    if (settingsPath) {
        FoulingFileValues values{g_FoulingValues.fArea, g_FoulingValues.fMassFlow,
                                 g_FoulingValues.fSpecificHeat, m_fFlow, m_fDensity};
        SaveFoulingFile(settingsPath(), values);
    }
    if (hideAfter)
        hide();
    return true;
}
