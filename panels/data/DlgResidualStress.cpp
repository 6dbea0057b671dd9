// The residual-stress dialog: glue between its controls and CResidualGroupEdit.
// The data-file headers come before any Qt header (see ResultGroupDialog.cpp).
#include "datafiles/GroupSettingsFile.h"
#include "datafiles/ResidualStressCalc.h"

#include "panels/data/DlgResidualStress.h"

#include "panels/data/DlgEccentricity.h"
#include "panels/data/GaugePicture.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

struct EditControl {
    int id;
    const char* label;
};
// In the order of CDlgResidualStress::Edit.
const EditControl kEdits[] = {{1045, "A"},
                              {1046, "B"},
                              {1472, "ε0"},
                              {1439, "孔半径"},
                              {1440, "应变片近距r1"},
                              {1441, "应变片远距r2"},
                              {1450, "应变计丝栅半宽度b"},
                              {1451, "应变计丝栅长度l"},
                              {1452, "孔心与应变片中心距离"}};

double EditValue(const QLineEdit* edit) {
    return std::atof(edit->text().toStdString().c_str());
}

std::string Fixed3(double value) {
    return platform::Format("%.3f", value);
}

} // namespace

CDlgResidualStress::CDlgResidualStress(QWidget* parent)
    : CResultGroupDialog({"焊接残余应力", "焊接残余应力参数(*.rsc)", ".rsc", "RemainStress.rsc",
                          RESIDUAL_GROUPS_FULL, RESIDUAL_CHANNEL_REPEATED},
                         parent) {
    BuildControls();
}

void CDlgResidualStress::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* controls = new QGridLayout;
    const char* angles[] = {"0°", "45°", "90°"};
    for (int g = 0; g < 3; ++g) {
        controls->addWidget(NewDialogLabel(angles[g], this), 0, g);
        m_gauges.push_back(NewGaugeCombo(1102 + g, this));
        controls->addWidget(m_gauges.back(), 1, g);
    }
    for (int e = 0; e < EditCount; ++e) {
        m_edits[e] = NewDialogEdit(kEdits[e].id, this);
        controls->addWidget(NewDialogLabel(kEdits[e].label, this), 2 + e / 3 * 2, e % 3);
        controls->addWidget(m_edits[e], 3 + e / 3 * 2, e % 3);
        connect(m_edits[e], &QLineEdit::editingFinished, this, [this, e] { RewriteEdit(e); });
    }
    m_pKnown = new QRadioButton(QString::fromUtf8("释放系数已知"), this);
    m_pKnown->setObjectName(ControlName(1442));
    m_pUnknown = new QRadioButton(QString::fromUtf8("释放系数未知"), this);
    m_pUnknown->setObjectName(ControlName(1443));
    controls->addWidget(m_pKnown, 8, 0);
    controls->addWidget(m_pUnknown, 8, 1);
    connect(m_pKnown, &QRadioButton::toggled, this, &CDlgResidualStress::SetKnownMode);
    auto* top = new QHBoxLayout;
    top->addLayout(controls);
    auto* picture = new CGaugePicture(this);
    picture->SetAngles({"0°", "45°", "90°"});
    picture->SetHole(true);
    top->addWidget(picture);
    layout->addLayout(top);

    m_pList = new CMSFlexGrid(this);
    m_pList->setObjectName(ControlName(1473));
    m_pList->SetCols(9);
    m_pList->SetFormatString("组号|组名称|通道1|通道2|通道3|A|B|ε0|S");
    m_pList->SetRows(1);
    layout->addWidget(NewDialogLabel("焊接残余应力计算列表", this));
    layout->addWidget(m_pList);
    layout->addLayout(NewGroupButtons("计算结果", 1340));

    connect(m_pList, &CMSFlexGrid::Click, this, &CDlgResidualStress::OnListClick);
    connect(m_pList, &CMSFlexGrid::MouseUp, this, &CDlgResidualStress::OnListMouseUp);
}

void CDlgResidualStress::OnInitDialog() {
    CommitName();
    const ResidualGroupInput defaults;
    const double values[EditCount] = {defaults.ParamA,     defaults.ParamB,   defaults.ParamE0,
                                      defaults.HoleRadius, defaults.StrainR1, defaults.StrainR2,
                                      defaults.WidthB,     defaults.LengthL,  defaults.HoleS};
    for (int e = 0; e < EditCount; ++e)
        m_edits[e]->setText(QString::fromStdString(Fixed3(values[e])));
    m_bCombosFilled = FillGaugeCombos(m_gauges);
    // Read even without a strain channel to offer, so that "确定" writes back what the file held.
    m_edit.SetGroups(ReadResidualGroups(ParamFilePath(), Channels()));
    ShowLists();
    RestoreControls();
    m_pKnown->setChecked(true);
    SetKnownMode(true);
}

bool CDlgResidualStress::CanAdd() const {
    return m_bCombosFilled && !m_edit.IsFull();
}

void CDlgResidualStress::SetKnownMode(bool known) {
    for (int e : {EditA, EditB})
        m_edits[e]->setEnabled(known);
    for (int e : {EditRadius, EditR1, EditR2, EditWidth, EditLength})
        m_edits[e]->setEnabled(!known);
}

ResidualGroupInput CDlgResidualStress::Input() const {
    ResidualGroupInput input;
    for (int g = 0; g < 3; ++g)
        input.Channel[g] = GaugeChannel(m_gauges[std::size_t(g)]);
    input.bABCalc = m_pUnknown->isChecked() ? 1 : 0;
    input.ParamA = EditValue(m_edits[EditA]);
    input.ParamB = EditValue(m_edits[EditB]);
    input.ParamE0 = EditValue(m_edits[EditE0]);
    input.HoleRadius = EditValue(m_edits[EditRadius]);
    input.StrainR1 = EditValue(m_edits[EditR1]);
    input.StrainR2 = EditValue(m_edits[EditR2]);
    input.WidthB = EditValue(m_edits[EditWidth]);
    input.LengthL = EditValue(m_edits[EditLength]);
    input.HoleS = EditValue(m_edits[EditS]);
    input.Poisson = Channels().GetChannelParam(input.Channel[0]).fPoisson;
    return input;
}

void CDlgResidualStress::RewriteEdit(int edit) {
    const double value = EditValue(m_edits[edit]);
    std::string text;
    if (edit == EditA || edit == EditB)
        text = CoefficientText(value);
    else if (edit == EditS)
        text = HoleDistanceText(value);
    else if (edit == EditE0)
        text = Fixed3(value);
    else
        return;
    m_edits[edit]->setText(QString::fromStdString(text));
}

void CDlgResidualStress::ShowRow(int index) {
    if (index >= 0 && index < m_edit.Count())
        ShowGridRow(m_pList, index + 1, m_edit.Row(index));
}

void CDlgResidualStress::ShowLists() {
    m_pList->SetRows(m_edit.Count() + 1);
    for (int i = 0; i < m_edit.Count(); ++i)
        ShowRow(i);
}

void CDlgResidualStress::OnAdd() {
    CommitName();
    FinishAdd(m_edit.Add(Input()));
}

void CDlgResidualStress::OnModify() {
    CommitName();
    FinishModify(m_edit.Modify(m_nSelectedRow - 1, Input()));
}

void CDlgResidualStress::DeleteSelected() {
    CommitName();
    m_edit.Delete(m_nSelectedRow - 1);
    ShowLists();
}

void CDlgResidualStress::OnCompute() {
    CommitName();
    if (m_bEccentric && !AskYesNo(RESIDUAL_ECC_QUESTION))
        return;
    m_bEccentric = false;
    StartComputing([this](CResultWorker& worker) {
        ResidualStressCalcParam param;
        static_cast<ResultCalcSource&>(param) = CalcSource();
        param.groups = m_edit.Groups();
        return StartResidualStressCalc(worker, std::move(param));
    });
    SaveGroups();
}

void CDlgResidualStress::OnEccentricity() {
    const int index = m_nSelectedRow - 1;
    if (index < 0 || index >= m_edit.Count() || IsComputing())
        return;
    CDlgEccentricity dialog(this);
    dialog.SetGaugeDistance(m_edit.Groups()[std::size_t(index)].HoleS);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ResidualStressEccParam param;
    static_cast<ResultCalcSource&>(param) = CalcSource();
    param.nGroupIndex = index;
    param.group = m_edit.Groups()[std::size_t(index)];
    dialog.GetAngles(param.alpha[0], param.alpha[1], param.alpha[2]);
    m_bEccentric = true;
    StartComputing(
        [&param](CResultWorker& worker) { return StartResidualStressEccCalc(worker, std::move(param)); });
    SaveGroups();
}

bool CDlgResidualStress::WriteGroups(const std::string& path) const {
    return SaveRemainStressParam(path, m_edit.Count(), m_edit.Groups().data()) != 0;
}

bool CDlgResidualStress::ImportGroups(const std::string& path) {
    CommitName();
    if (!m_edit.Import(ReadResidualGroups(path, Channels()), LastChannel()))
        return false;
    FinishImport();
    return true;
}

void CDlgResidualStress::OnListClick() {
    CommitName();
    const int row = m_pList->GetRow();
    if (row < 1 || row > m_edit.Count())
        return;
    m_nSelectedRow = row;
    const ResidualStressGroupRecord& group = m_edit.Groups()[std::size_t(row - 1)];
    if (m_pList->GetCol() == 1)
        EditName(m_pList, GroupNameText(group.Name));
    for (int g = 0; g < 3; ++g)
        ShowGaugeChannel(m_gauges[std::size_t(g)], group.Channel[g]);
    const float values[EditCount] = {group.ParamA,     group.ParamB,   group.ParamE0,
                                     group.HoleRadius, group.StrainR1, group.StrainR2,
                                     group.WidthB,     group.LengthL,  group.HoleS};
    for (int e = 0; e < EditCount; ++e)
        m_edits[e]->setText(QString::fromStdString(Fixed3(values[e])));
    (group.bABCalc ? m_pUnknown : m_pKnown)->setChecked(true);
    EnableRowButtons(!IsComputing());
}

void CDlgResidualStress::OnListMouseUp(Qt::MouseButton button) {
    const int row = m_pList->GetRow();
    if (button != Qt::RightButton || !m_bCombosFilled || row < 1 || row > m_edit.Count())
        return;
    CommitName();
    m_nSelectedRow = row;
    QMenu menu(this);
    QAction* correct = menu.addAction(QString::fromUtf8("偏心修正"));
    if (menu.exec(QCursor::pos()) == correct)
        OnEccentricity();
}
