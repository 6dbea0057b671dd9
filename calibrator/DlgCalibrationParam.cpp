#include "calibrator/DlgCalibrationParam.h"

#include "calibrator/KelvaneFrame.h"
#include "calibrator/KelvaneView.h"
#include "calibrator/NamedWidget.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/FolderBrowser.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#ifdef KELVANE_WITH_DIALOGS
#include "calibrator/KelvaneDialogHooks.h"
#endif

namespace {

int ComboInt(const QComboBox* combo) {
    return combo->currentText().toInt();
}

} // namespace

CDlgCalibrationParam::CDlgCalibrationParam(CKelvaneFrame& frame, QWidget* parent)
    : QWidget(parent), m_frame(frame) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_pCases = Named(new QComboBox(this), "1001");
    m_pModules = Named(new QComboBox(this), "1002");
    m_pChanType = Named(new QComboBox(this), "1003");
    m_pChanType->addItems({"应变", "电压"});
    m_pBridge = Named(new QComboBox(this), "1004");
    m_pBridge->addItems({"全桥", "半桥", "三线制1/4桥"});
    m_pRange = Named(new QComboBox(this), "1005");
    m_pUnit = Named(new QLabel("με", this), "1045");
    m_pVoltage = Named(new QComboBox(this), "1006");
    m_pStandardLead = Named(new QRadioButton("标配信号线", this), "1007");
    m_pUserLead = Named(new QRadioButton("自定义信号线", this), "1008");
    auto* leads = new QButtonGroup(this);
    leads->addButton(m_pStandardLead);
    leads->addButton(m_pUserLead);
    m_pLeadR = Named(new QLineEdit(this), "1009");
    m_pStandardLeadR = Named(new QLineEdit(this), "1059");
    m_pStandardLeadR->setReadOnly(true);
    m_pFileName = Named(new QLineEdit(this), "1010");
    m_pFileName->setMaxLength(15);
    m_pSaveMode = Named(new QComboBox(this), "1011");
    m_pSaveMode->addItems({"自动", "手动"});
    m_pSaveType = Named(new QComboBox(this), "1012");
    m_pSaveType->addItem("Excel");
    m_pMultifile = Named(new QCheckBox("自动命名", this), "1013");
    m_pSetName = Named(new QPushButton("设定", this), "1014");
    m_pBrowse = Named(new QPushButton("...", this), "1015");
    m_pFilePath = Named(new QLineEdit(this), "1016");
    m_pStart = Named(new QPushButton("开始标定", this), "1018");
    m_pStop = Named(new QPushButton("停止标定", this), "1019");
    m_pSave = Named(new QPushButton("保存", this), "1020");

    form->addRow("机        号：", m_pCases);
    form->addRow("模        块：", m_pModules);
    form->addRow("通道类型：", m_pChanType);
    form->addRow("桥路方式：", m_pBridge);
    auto* range = new QHBoxLayout;
    range->addWidget(m_pRange, 1);
    range->addWidget(m_pUnit);
    form->addRow("量程范围：", range);
    form->addRow("激励电压：", m_pVoltage);
    auto* lead = new QHBoxLayout;
    lead->addWidget(m_pStandardLead);
    lead->addWidget(m_pStandardLeadR);
    form->addRow(lead);
    auto* user = new QHBoxLayout;
    user->addWidget(m_pUserLead);
    form->addRow(user);
    form->addRow("导线电阻：", m_pLeadR);
    form->addRow("文件名称：", m_pFileName);
    form->addRow("保存方式：", m_pSaveMode);
    form->addRow("存储格式：", m_pSaveType);
    auto* naming = new QHBoxLayout;
    naming->addWidget(m_pMultifile);
    naming->addWidget(m_pSetName);
    form->addRow(naming);
    auto* path = new QHBoxLayout;
    path->addWidget(m_pFilePath, 1);
    path->addWidget(m_pBrowse);
    form->addRow("保存路径：", path);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pStart);
    buttons->addWidget(m_pStop);
    buttons->addWidget(m_pSave);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_pCases, &QComboBox::activated, this, [this](int) {
        m_frame.Block().nCase = ComboInt(m_pCases) - 1;
        FillModules();
    });
    connect(m_pModules, &QComboBox::activated, this,
            [this](int) { m_frame.Block().nModule = ComboInt(m_pModules) - 1; });
    connect(m_pChanType, &QComboBox::activated, this, &CDlgCalibrationParam::OnChanType);
    connect(m_pStandardLead, &QRadioButton::toggled, this, [this](bool) { UpdateLeadControls(); });
    connect(m_pMultifile, &QCheckBox::toggled, m_pSetName, &QWidget::setEnabled);
    connect(m_pSetName, &QPushButton::clicked, this, &CDlgCalibrationParam::OnSetFileName);
    connect(m_pBrowse, &QPushButton::clicked, this, &CDlgCalibrationParam::OnBrowse);
    connect(m_pStart, &QPushButton::clicked, this, &CDlgCalibrationParam::OnStart);
    connect(m_pStop, &QPushButton::clicked, this, &CDlgCalibrationParam::OnStop);
    connect(m_pSave, &QPushButton::clicked, this, &CDlgCalibrationParam::OnSave);
    m_pStop->setEnabled(false);
    m_pStart->setEnabled(false);
}

void CDlgCalibrationParam::LoadControls() {
    const CalibrateChannelParam& block = m_frame.Block();
    const DataFileOption& option = m_frame.FileOption();
    m_pChanType->setCurrentIndex(block.ChanType == CHAN_TYPE_VOLTAGE ? 1 : 0);
    m_pBridge->setCurrentIndex(std::clamp(block.BridgeType, 0, 2));
    m_pUserLead->setChecked(block.UserDefined != 0);
    m_pStandardLead->setChecked(block.UserDefined == 0);
    m_pLeadR->setText(QString::fromStdString(platform::Format("%.2f", static_cast<double>(block.LeadR))));
    m_pStandardLeadR->setText(
        QString::fromStdString(platform::Format("%.2f", static_cast<double>(block.StandardLeadR))));
    m_pFileName->setText(QString::fromStdString(option.FileName));
    m_pSaveMode->setCurrentIndex(option.SaveMode == 1 ? 1 : 0);
    m_pMultifile->setChecked(option.Multifile);
    m_pSetName->setEnabled(option.Multifile);
    m_pFilePath->setText(QString::fromStdString(option.FilePath));
    FillRanges();
    FillCases();
}

void CDlgCalibrationParam::FillRanges() {
    const CalibrateChannelParam& block = m_frame.Block();
    const std::vector<int> full = m_frame.FullValues();
    m_pRange->clear();
    const bool voltage = m_pChanType->currentIndex() == 1;
    if (voltage) {
        for (std::size_t i = 0; i + 1 < full.size(); ++i) {
            m_pRange->addItem(QString::number(full[i]));
            if (full[i] == block.MeasureRange)
                m_pRange->setCurrentIndex(m_pRange->count() - 1);
        }
    } else if (!full.empty()) {
        m_pRange->addItem(QString::number(static_cast<long long>(full.back()) * 1000));
    }
    m_pUnit->setText(voltage ? "mV" : "με");
    m_pVoltage->clear();
    for (int value : m_frame.BridgeVoltages()) {
        m_pVoltage->addItem(QString::number(value));
        if (value == block.BridgeVoltage)
            m_pVoltage->setCurrentIndex(m_pVoltage->count() - 1);
    }
    UpdateLeadControls();
}

void CDlgCalibrationParam::UpdateLeadControls() {
    const bool strain = m_pChanType->currentIndex() == 0;
    const bool editable = !m_bRunning;
    for (QWidget* w : {static_cast<QWidget*>(m_pBridge), static_cast<QWidget*>(m_pVoltage),
                       static_cast<QWidget*>(m_pStandardLead), static_cast<QWidget*>(m_pUserLead)})
        w->setEnabled(strain && editable);
    m_pLeadR->setEnabled(strain && editable && m_pUserLead->isChecked());
}

void CDlgCalibrationParam::OnChanType(int index) {
    CalibrateChannelParam& block = m_frame.Block();
    block.ChanType = index == 1 ? CHAN_TYPE_VOLTAGE : CHAN_TYPE_STRAIN;
    m_frame.Data().SetRun(block.ChanType, block.BridgeType, block.MeasureRange);
    FillRanges();
    m_frame.Notify(NOTIFY_REFRESH);
}

void CDlgCalibrationParam::FillCases() {
    const QString current = m_pCases->currentText();
    m_pCases->clear();
    for (const CalibrateControllerRecord& record : m_frame.Link().Controllers())
        m_pCases->addItem(QString::number(static_cast<long long>(record.nCase) + 1));
    const int keep = m_pCases->findText(current);
    const int wanted = m_pCases->findText(QString::number(static_cast<long long>(m_frame.Block().nCase) + 1));
    m_pCases->setCurrentIndex(wanted >= 0 ? wanted : (keep >= 0 ? keep : (m_pCases->count() > 0 ? 0 : -1)));
    FillModules();
}

void CDlgCalibrationParam::FillModules() {
    m_pModules->clear();
    if (m_pCases->currentIndex() < 0)
        return;
    // The record of the chosen case by its number, wherever it stands in the reply.
    const auto record = m_frame.Link().FindCase(ComboInt(m_pCases) - 1);
    if (!record)
        return;
    const int modules = std::clamp(record->nModules, 0, kModulesPerCase);
    for (int i = 0; i < modules; ++i)
        m_pModules->addItem(QString::number(static_cast<long long>(record->nModuleNo[i]) + 1));
    const int wanted =
        m_pModules->findText(QString::number(static_cast<long long>(m_frame.Block().nModule) + 1));
    m_pModules->setCurrentIndex(wanted >= 0 ? wanted : (m_pModules->count() > 0 ? 0 : -1));
}

void CDlgCalibrationParam::SelectModule(int nCase, int nModule) {
    const int caseIndex = m_pCases->findText(QString::number(static_cast<long long>(nCase) + 1));
    if (caseIndex < 0)
        return;
    m_pCases->setCurrentIndex(caseIndex);
    FillModules();
    const int moduleIndex = m_pModules->findText(QString::number(static_cast<long long>(nModule) + 1));
    if (moduleIndex >= 0)
        m_pModules->setCurrentIndex(moduleIndex);
}

bool CDlgCalibrationParam::ReadForm() {
    CalibrateChannelParam& block = m_frame.Block();
    block.ChanType = m_pChanType->currentIndex() == 1 ? CHAN_TYPE_VOLTAGE : CHAN_TYPE_STRAIN;
    block.BridgeType = std::max(0, m_pBridge->currentIndex());
    if (m_pRange->currentIndex() >= 0)
        block.MeasureRange =
            block.ChanType == CHAN_TYPE_VOLTAGE ? ComboInt(m_pRange) : ComboInt(m_pRange) / 1000;
    if (m_pVoltage->currentIndex() >= 0)
        block.BridgeVoltage = ComboInt(m_pVoltage);
    block.UserDefined = m_pUserLead->isChecked() ? 1 : 0;
    block.LeadR = m_pLeadR->text().toFloat();
    block.StandardLeadR = m_frame.Settings().StandardLeadR;
    if (m_pCases->currentIndex() < 0 || m_pModules->currentIndex() < 0)
        return false;
    block.nCase = ComboInt(m_pCases) - 1;
    block.nModule = ComboInt(m_pModules) - 1;
    return true;
}

void CDlgCalibrationParam::StoreFileOptions() {
    DataFileOption& option = m_frame.FileOption();
    option.FileName = m_pFileName->text().toStdString();
    option.SaveMode = m_pSaveMode->currentIndex() == 1 ? 1 : 0;
    option.Multifile = m_pMultifile->isChecked();
    option.FilePath = m_pFilePath->text().toStdString();
}

void CDlgCalibrationParam::SetRunButtons(bool running, bool withStop) {
    m_bRunning = running;
    m_pStart->setText(running ? (m_frame.Run().IsPaused() ? "继续标定" : "暂停标定") : "启动标定");
    if (running)
        m_pStart->setEnabled(m_frame.IsGeneratorFound());
    m_pStop->setEnabled(running && withStop);
    m_pSave->setEnabled(!running);
    EnableForm(!running);
}

void CDlgCalibrationParam::EnableForm(bool enable) {
    m_bRunning = !enable;
    for (QWidget* w : {static_cast<QWidget*>(m_pCases), static_cast<QWidget*>(m_pModules),
                       static_cast<QWidget*>(m_pChanType), static_cast<QWidget*>(m_pRange),
                       static_cast<QWidget*>(m_pFileName), static_cast<QWidget*>(m_pSaveMode),
                       static_cast<QWidget*>(m_pSaveType), static_cast<QWidget*>(m_pMultifile),
                       static_cast<QWidget*>(m_pBrowse)})
        w->setEnabled(enable);
    m_pSetName->setEnabled(enable && m_pMultifile->isChecked());
    UpdateLeadControls();
}

void CDlgCalibrationParam::EnableStart(bool enable) {
    m_pStart->setText("启动标定");
    m_pStart->setEnabled(enable);
}

void CDlgCalibrationParam::OnStart() {
    CCalibrateRun& run = m_frame.Run();
    run.ResetRunCounter();
    if (run.IsCalibrating()) {
        run.TogglePause();
        m_pStart->setText(run.IsPaused() ? "继续标定" : "暂停标定");
        return;
    }
    if (m_frame.Data().ChannelList().empty()) {
        platform::MessageBox("未选择需要标定的通道，请重新选择。", "Kelvane", platform::MB_OK);
        return;
    }
    if (!ReadForm())
        return;
    StoreFileOptions();
    m_frame.Notify(NOTIFY_START);
}

void CDlgCalibrationParam::OnStop() {
    if (m_frame.Run().IsCalibrating())
        m_frame.Notify(NOTIFY_STOP);
}

void CDlgCalibrationParam::OnSave() {
    if (m_frame.Run().IsCalibrating())
        return;
    ReadForm();
    StoreFileOptions();
    m_frame.SaveCalibrateResult();
}

void CDlgCalibrationParam::OnBrowse() {
    QString folder = CFolderBrowser::BrowseForFolder(this, QDir::currentPath(), "文件目录选择");
    if (folder.isEmpty())
        return;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    m_pFilePath->setText(folder);
    m_frame.FileOption().FilePath = folder.toStdString();
}

void CDlgCalibrationParam::OnSetFileName() {
#ifdef KELVANE_WITH_DIALOGS
    DataFileOption copy = m_frame.FileOption();
    copy.FileName = m_pFileName->text().toStdString();
    if (kelvane_dialogs::RunSetSaveFileNameDialog(this, copy)) {
        m_frame.FileOption() = copy;
        m_pFileName->setText(QString::fromStdString(copy.FileName));
    }
#endif
}
