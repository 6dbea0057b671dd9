// The rosette settings dialog: glue between its controls and CRosetteGroupEdit.
// The data-file headers come before any Qt header (see ResultGroupDialog.cpp).
#include "datafiles/GroupSettingsFile.h"
#include "datafiles/RosetteCalc.h"

#include "panels/data/DlgStrainRosette.h"

#include "model/NumberTexts.h"
#include "panels/data/GaugePicture.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

CMSFlexGrid* NewList(int id, int cols, const char* headings, QWidget* parent) {
    auto* grid = new CMSFlexGrid(parent);
    grid->setObjectName(ControlName(id));
    grid->SetCols(cols);
    grid->SetFormatString(headings);
    grid->SetRows(1);
    return grid;
}

} // namespace

CDlgStrainRosette::CDlgStrainRosette(QWidget* parent)
    : CResultGroupDialog({"应变花设置", "应变花参数文件(*.sfc)", ".sfc", "YBH.sfc", ROSETTE_GROUPS_FULL,
                          ROSETTE_CHANNEL_REPEATED},
                         parent) {
    BuildControls();
}

void CDlgStrainRosette::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* gauges = new QGridLayout;
    gauges->addWidget(NewDialogLabel("应变花类型", this), 0, 0);
    m_pKind = new QComboBox(this);
    m_pKind->setObjectName(ControlName(1098));
    for (int kind = 0; kind < 5; ++kind)
        m_pKind->addItem(QString::fromStdString(GetRosetteTypeName(kind)));
    gauges->addWidget(m_pKind, 0, 1);
    for (int g = 0; g < 4; ++g) {
        auto* label = new QLabel(this);
        label->setObjectName(ControlName(1107 + g));
        m_angleLabels.push_back(label);
        m_gauges.push_back(NewGaugeCombo(1102 + g, this));
        gauges->addWidget(label, 1 + g, 0);
        gauges->addWidget(m_gauges.back(), 1 + g, 1);
    }
    auto* top = new QHBoxLayout;
    top->addLayout(gauges);
    m_pPicture = new CGaugePicture(this);
    top->addWidget(m_pPicture);
    layout->addLayout(top);
    connect(m_pKind, &QComboBox::currentIndexChanged, this, &CDlgStrainRosette::LayOutKind);

    layout->addWidget(NewDialogLabel("应变花列表", this));
    m_pRosetteList =
        NewList(1096, 11, "组号|名称|应变花类型|应变1|通道1|应变2|通道2|应变3|通道3|应变4|通道4", this);
    layout->addWidget(m_pRosetteList);
    layout->addWidget(NewDialogLabel("应变花报警", this));
    m_pAlarmList =
        NewList(1379, 8, "组号|名称|应变花类型|参加警戒|警戒项目|警戒类型|警戒上限|警戒下限", this);
    layout->addWidget(m_pAlarmList);
    layout->addLayout(NewGroupButtons("应变花计算", 1380));

    m_pLimitEditor = NewDialogEdit(1045, this);
    m_pChooser = new QComboBox(this);
    m_pChooser->setObjectName(ControlName(1097));
    m_pLimitEditor->hide();
    m_pChooser->hide();
    connect(m_pLimitEditor, &QLineEdit::editingFinished, this, &CDlgStrainRosette::CommitLimit);
    connect(m_pChooser, &QComboBox::activated, this, &CDlgStrainRosette::CommitChoice);
    connect(m_pRosetteList, &CMSFlexGrid::Click, this, &CDlgStrainRosette::OnRosetteListClick);
    connect(m_pAlarmList, &CMSFlexGrid::Click, this, &CDlgStrainRosette::OnAlarmListClick);
    connect(m_pAlarmList, &CMSFlexGrid::DblClick, this, &CDlgStrainRosette::OnAlarmListDblClick);
}

void CDlgStrainRosette::OnInitDialog() {
    HideEditors();
    m_pKind->setCurrentIndex(0);
    LayOutKind(0);
    m_bCombosFilled = FillGaugeCombos(m_gauges);
    // The groups are read even without a strain channel to offer, so that
    // "确定" writes back what the file held.
    m_edit.SetGroups(ReadRosetteGroups(ParamFilePath(), Channels()));
    ShowLists();
    RestoreControls();
}

bool CDlgStrainRosette::CanAdd() const {
    return m_bCombosFilled && !m_edit.IsFull();
}

void CDlgStrainRosette::LayOutKind(int kind) {
    const std::vector<std::string> labels = RosetteAngleLabels(kind);
    m_pPicture->SetAngles(labels);
    for (std::size_t g = 0; g < m_gauges.size(); ++g) {
        const bool used = g < labels.size();
        m_angleLabels[g]->setText(used ? QString::fromStdString(labels[g]) : QString());
        m_angleLabels[g]->setVisible(used);
        m_gauges[g]->setVisible(used);
    }
}

std::vector<int> CDlgStrainRosette::ChosenGauges() const {
    std::vector<int> gauges;
    for (int g = 0; g < RosetteGaugeCount(m_pKind->currentIndex()); ++g)
        gauges.push_back(GaugeChannel(m_gauges[std::size_t(g)]));
    return gauges;
}

void CDlgStrainRosette::ShowRow(int index) {
    if (index < 0 || index >= m_edit.Count())
        return;
    ShowGridRow(m_pRosetteList, index + 1, m_edit.RosetteRow(index));
    ShowGridRow(m_pAlarmList, index + 1, m_edit.AlarmRow(index));
}

void CDlgStrainRosette::ShowLists() {
    m_pRosetteList->SetRows(m_edit.Count() + 1);
    m_pAlarmList->SetRows(m_edit.Count() + 1);
    for (int i = 0; i < m_edit.Count(); ++i)
        ShowRow(i);
}

void CDlgStrainRosette::OnAdd() {
    HideEditors();
    FinishAdd(m_edit.Add(m_pKind->currentIndex(), ChosenGauges()));
}

void CDlgStrainRosette::OnModify() {
    HideEditors();
    FinishModify(m_edit.Modify(m_nSelectedRow - 1, m_pKind->currentIndex(), ChosenGauges()));
}

void CDlgStrainRosette::DeleteSelected() {
    HideEditors();
    m_edit.Delete(m_nSelectedRow - 1);
    ShowLists();
}

void CDlgStrainRosette::OnCompute() {
    HideEditors();
    StartComputing([this](CResultWorker& worker) {
        RosetteCalcParam param;
        static_cast<ResultCalcSource&>(param) = CalcSource();
        param.groups = m_edit.Groups();
        return StartRosetteCalc(worker, std::move(param));
    });
    SaveGroups();
}

bool CDlgStrainRosette::WriteGroups(const std::string& path) const {
    return SaveStrainFlowerParam(path, m_edit.Count(), m_edit.Groups().data()) != 0;
}

bool CDlgStrainRosette::ImportGroups(const std::string& path) {
    if (!m_edit.Import(ReadRosetteGroups(path, Channels()), LastChannel()))
        return false;
    FinishImport();
    return true;
}

void CDlgStrainRosette::HideEditors() {
    CommitName();
    CommitLimit();
    m_pChooser->hide();
}

void CDlgStrainRosette::OnRosetteListClick() {
    HideEditors();
    const int row = m_pRosetteList->GetRow();
    if (row < 1 || row > m_edit.Count())
        return;
    m_nSelectedRow = row;
    const RosetteGroupRecord& group = m_edit.Groups()[std::size_t(row - 1)];
    if (m_pRosetteList->GetCol() == 1)
        EditName(m_pRosetteList, GroupNameText(group.Name));
    m_pKind->setCurrentIndex(group.type);
    for (int g = 0; g < RosetteGaugeCount(group.type); ++g)
        ShowGaugeChannel(m_gauges[std::size_t(g)], group.Channel[g]);
    EnableRowButtons(m_bCombosFilled && !IsComputing());
}

void CDlgStrainRosette::OnAlarmListClick() {
    HideEditors();
    m_nAlarmRow = m_pAlarmList->GetRow();
    m_nAlarmCol = m_pAlarmList->GetCol();
    if (m_nAlarmRow < 1 || m_nAlarmRow > m_edit.Count())
        return;
    const RosetteGroupRecord& group = m_edit.Groups()[std::size_t(m_nAlarmRow - 1)];
    if (m_nAlarmCol == 4 || m_nAlarmCol == 5) {
        m_pChooser->clear();
        const int entries = m_nAlarmCol == 4 ? 6 : 4;
        for (int i = 0; i < entries; ++i)
            m_pChooser->addItem(
                QString::fromStdString(m_nAlarmCol == 4 ? RosetteAlarmItemName(i) : RosetteAlarmTypeName(i)));
        m_pChooser->setCurrentIndex(m_nAlarmCol == 4 ? group.AlarmItem : group.AlarmType);
        PlaceOver(m_pAlarmList, m_nAlarmRow, m_nAlarmCol, m_pChooser);
    } else if (m_nAlarmCol == 6 || m_nAlarmCol == 7) {
        const float value = m_nAlarmCol == 6 ? group.AlarmValUp : group.AlarmValDown;
        m_pLimitEditor->setText(QString::fromStdString(platform::Format("%.3f", double(value))));
        PlaceOver(m_pAlarmList, m_nAlarmRow, m_nAlarmCol, m_pLimitEditor);
    }
}

void CDlgStrainRosette::OnAlarmListDblClick() {
    const int row = m_pAlarmList->GetRow();
    if (m_pAlarmList->GetCol() != 3 || row < 1 || row > m_edit.Count())
        return;
    m_edit.ToggleAlarm(row - 1);
    ShowRow(row - 1);
}

void CDlgStrainRosette::CommitChoice(int index) {
    m_pChooser->hide();
    if (m_nAlarmCol == 4)
        m_edit.SetAlarmItem(m_nAlarmRow - 1, index);
    else if (m_nAlarmCol == 5)
        m_edit.SetAlarmType(m_nAlarmRow - 1, index);
    ShowRow(m_nAlarmRow - 1);
}

void CDlgStrainRosette::CommitLimit() {
    if (m_pLimitEditor->isHidden())
        return;
    m_pLimitEditor->hide();
    const std::string text = m_pLimitEditor->text().trimmed().toStdString();
    if (!text.empty())
        m_edit.SetAlarmLimit(m_nAlarmRow - 1, m_nAlarmCol == 6, float(std::atof(text.c_str())));
    ShowRow(m_nAlarmRow - 1);
}
