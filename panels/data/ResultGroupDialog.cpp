// The shared part of the rosette and residual-stress dialogs.
// The data-file headers come before any Qt header: the online layout has a
// member named like one of Qt's keywords.
#include "datafiles/OnlineLayout.h"
#include "datafiles/ResultCalcSource.h"
#include "datafiles/ResultGroupRules.h"
#include "datafiles/ResultWorker.h"

#include "panels/data/ResultGroupDialog.h"

#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr const char* kCaption = "静态测试系统";
constexpr std::uint32_t kStopWaitMs = 2000;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Before the frame hands in its channel records: no channel is a gauge.
class NoChannels : public IChannelTable {
public:
    double ConvertBlockChannelValue(int, const CaseSampleBlock&) const override { return 0.0; }
    double ConvertRawToValue(int, float) const override { return 0.0; }
    ChannelParamView GetChannelParam(int) const override { return ChannelParamView{-1, 0, 0, 0.0f, 0.0f}; }
};

} // namespace

CResultGroupDialog::CResultGroupDialog(const ResultGroupDialogTexts& texts, QWidget* parent)
    : QDialog(parent), m_texts(texts), m_pLayout(std::make_unique<OnlineLayout>()),
      m_pWorker(std::make_unique<CResultWorker>()) {
    setWindowTitle(QString::fromUtf8(texts.caption));
}

CResultGroupDialog::~CResultGroupDialog() {
    // A worker that still runs ends without its message reaching anyone.
    UnregisterTarget();
    m_pWorker.reset();
}

void CResultGroupDialog::SetProjectInfo(const std::string& folder, const std::string& name,
                                        const std::string& programFolder, int projectState) {
    m_strProjectFolder = folder;
    m_strProjectName = name;
    m_strProgramFolder = programFolder;
    m_nProjectState = projectState;
}

void CResultGroupDialog::SetChannelRange(int first, int last) {
    m_nFirstChannel = first;
    m_nLastChannel = last;
}

void CResultGroupDialog::SetRunChannels(const IChannelTable* channels, std::vector<int> channelList,
                                        const OnlineLayout& layout) {
    m_pChannels = channels;
    m_channelList = std::move(channelList);
    *m_pLayout = layout;
}

const IChannelTable& CResultGroupDialog::Channels() const {
    static const NoChannels none;
    return m_pChannels != nullptr ? *m_pChannels : none;
}

bool CResultGroupDialog::IsComputing() const {
    return m_pStop != nullptr && m_pStop->isEnabled();
}

int CResultGroupDialog::exec() {
    OnInitDialog();
    return QDialog::exec();
}

std::string CResultGroupDialog::ParamFilePath() const {
    return m_strParamFile.empty() ? m_strProgramFolder + "/" + m_texts.defaultFileName : m_strParamFile;
}

ResultCalcSource CResultGroupDialog::CalcSource() const {
    ResultCalcSource source;
    source.hOwner = GetSafeHwnd();
    source.strProjectFolder = m_strProjectFolder;
    source.strProjectName = m_strProjectName;
    source.nSampleCount = m_nSampleCount;
    source.layout = *m_pLayout;
    source.channels = &Channels();
    return source;
}

QHBoxLayout* CResultGroupDialog::NewGroupButtons(const char* computeText, int computeId) {
    m_pAdd = NewDialogButton("添加", 1099, this);
    m_pDelete = NewDialogButton("删除", 1100, this);
    m_pModify = NewDialogButton("修改", 1101, this);
    m_pExport = NewDialogButton("参数导出", 1111, this);
    m_pImport = NewDialogButton("参数导入", 1112, this);
    m_pCompute = NewDialogButton(computeText, computeId, this);
    m_pStop = NewDialogButton("停止", 1181, this);
    m_pOk = NewDialogButton("确定", "ok", this);
    QPushButton* cancel = NewDialogButton("取消", "cancel", this);
    m_pNameEditor = NewDialogEdit(1083, this);
    m_pNameEditor->hide();
    connect(m_pNameEditor, &QLineEdit::editingFinished, this, &CResultGroupDialog::CommitName);
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_pDelete, &QPushButton::clicked, this, &CResultGroupDialog::OnDelete);
    connect(m_pModify, &QPushButton::clicked, this, [this] { OnModify(); });
    connect(m_pExport, &QPushButton::clicked, this, &CResultGroupDialog::OnExport);
    connect(m_pImport, &QPushButton::clicked, this, &CResultGroupDialog::OnImport);
    connect(m_pCompute, &QPushButton::clicked, this, [this] { OnCompute(); });
    connect(m_pStop, &QPushButton::clicked, this, &CResultGroupDialog::OnStop);
    connect(m_pOk, &QPushButton::clicked, this, &CResultGroupDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CResultGroupDialog::reject);
    return NewButtonRow(
        {m_pAdd, m_pDelete, m_pModify, m_pExport, m_pImport, m_pCompute, m_pStop, m_pOk, cancel});
}

QComboBox* CResultGroupDialog::NewGaugeCombo(int id, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(ControlName(id));
    return combo;
}

bool CResultGroupDialog::FillGaugeCombos(const std::vector<QComboBox*>& combos) {
    for (QComboBox* combo : combos) {
        combo->clear();
        for (int channel : m_channelList)
            if (Channels().GetChannelParam(channel).nMeasureType == 0)
                combo->addItem(QString::fromStdString(FormatChannelName(channel)));
        if (combo->count() == 0)
            return false;
        combo->setCurrentIndex(0);
    }
    return true;
}

int CResultGroupDialog::GaugeChannel(const QComboBox* combo) {
    return ParseChannelName(combo->currentText().toStdString());
}

void CResultGroupDialog::ShowGaugeChannel(QComboBox* combo, int channel) {
    const int index = combo->findText(QString::fromStdString(FormatChannelName(channel)));
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void CResultGroupDialog::PlaceOver(CMSFlexGrid* grid, int row, int col, QWidget* editor) {
    const QRect cell = grid->GetCellRect(row, col);
    editor->setGeometry(QRect(grid->viewport()->mapTo(editor->parentWidget(), cell.topLeft()), cell.size()));
    editor->show();
    editor->raise();
    editor->setFocus();
}

void CResultGroupDialog::ShowGridRow(CMSFlexGrid* grid, int row, const std::vector<std::string>& texts) {
    if (grid->GetRows() <= row)
        grid->SetRows(row + 1);
    for (std::size_t col = 0; col < texts.size() && int(col) < grid->GetCols(); ++col)
        grid->SetTextMatrix(row, int(col), texts[col]);
}

void CResultGroupDialog::EnableRowButtons(bool on) {
    m_pModify->setEnabled(on);
    m_pDelete->setEnabled(on);
}

void CResultGroupDialog::SetAddEnabled(bool on) {
    m_pAdd->setEnabled(on);
}

void CResultGroupDialog::RestoreControls() {
    m_pCompute->setEnabled(m_nProjectState == 2 || m_nProjectState == 3);
    for (QPushButton* button : {m_pOk, m_pExport, m_pImport})
        button->setEnabled(true);
    m_pAdd->setEnabled(CanAdd());
    m_pStop->setEnabled(false);
    EnableRowButtons(false);
}

void CResultGroupDialog::BeginComputing() {
    for (QPushButton* button : {m_pCompute, m_pOk, m_pAdd, m_pModify, m_pDelete, m_pExport, m_pImport})
        button->setEnabled(false);
    m_pStop->setEnabled(true);
}

void CResultGroupDialog::StartComputing(const std::function<bool(CResultWorker&)>& start) {
    BeginComputing();
    if (m_nSampleCount <= 0) {
        // Nothing to compute: no end message will come.
        RestoreControls();
        return;
    }
    if (!start(*m_pWorker)) {
        RestoreControls();
        Inform(ResultStatusText(ResultStatus::Busy), platform::MB_ICONEXCLAMATION);
    }
}

void CResultGroupDialog::EndComputing() {
    if (!m_pWorker->IsRunning())
        return;
    m_pWorker->Cancel();
    m_pWorker->Wait(kStopWaitMs);
}

void CResultGroupDialog::OnStop() {
    EndComputing();
    RestoreControls();
}

platform::LRESULT CResultGroupDialog::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                                 platform::LPARAM) {
    // The end of an earlier worker arrives after a new one started: not this one's.
    if (message != WM_RESULT_CALC_DONE || m_pWorker->IsRunning())
        return 0;
    RestoreControls();
    const std::string text = ResultStatusText(static_cast<ResultStatus>(wParam));
    if (!text.empty())
        Inform(text, platform::MB_ICONEXCLAMATION);
    return 0;
}

void CResultGroupDialog::accept() {
    EndComputing();
    SaveGroups();
    QDialog::accept();
}

void CResultGroupDialog::reject() {
    EndComputing();
    QDialog::reject();
}

void CResultGroupDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CResultGroupDialog::Inform(const std::string& text, unsigned icon) {
    platform::MessageBox(text, kCaption, platform::MB_OK | icon);
}

bool CResultGroupDialog::AskYesNo(const std::string& text) {
    return platform::MessageBox(text, kCaption, platform::MB_YESNO | platform::MB_ICONQUESTION) ==
           platform::IDYES;
}

void CResultGroupDialog::OnDelete() {
    if (m_nSelectedRow < 1 || m_nSelectedRow > GroupCount())
        return;
    if (AskYesNo(GROUP_DELETE_QUESTION))
        DeleteSelected();
    m_nSelectedRow = 0;
    EnableRowButtons(false);
    SetAddEnabled(CanAdd());
}

bool CResultGroupDialog::ChooseFile(bool save, const char* title, std::string& path) {
    if (m_fileChooser)
        return m_fileChooser(save, title, m_texts.fileFilter, m_strProjectFolder, path);
    const QString caption = QString::fromUtf8(title), folder = QString::fromStdString(m_strProjectFolder),
                  filter = QString::fromUtf8(m_texts.fileFilter);
    const QString chosen = save ? QFileDialog::getSaveFileName(this, caption, folder, filter)
                                : QFileDialog::getOpenFileName(this, caption, folder, filter);
    path = chosen.toStdString();
    return !chosen.isEmpty();
}

void CResultGroupDialog::OnExport() {
    std::string path;
    if (!ChooseFile(true, "导出参数文件", path))
        return;
    if (!EndsWith(path, m_texts.fileExtension))
        path += m_texts.fileExtension;
    WriteGroups(path);
}

void CResultGroupDialog::OnImport() {
    std::string path;
    if (ChooseFile(false, "导入参数文件", path) && !ImportGroups(path))
        Inform(GROUP_CHANNEL_OUT_OF_RANGE, platform::MB_ICONEXCLAMATION);
}

void CResultGroupDialog::Report(GroupEditResult result) {
    switch (result) {
    case GroupEditResult::Full:
        Inform(m_texts.fullText, platform::MB_ICONINFORMATION);
        break;
    case GroupEditResult::SameChannel:
        Inform(GROUP_SAME_CHANNEL, platform::MB_ICONEXCLAMATION);
        break;
    case GroupEditResult::RepeatedAcross:
        Inform(m_texts.repeatedText, platform::MB_ICONINFORMATION);
        break;
    default:
        break;
    }
}

void CResultGroupDialog::FinishAdd(GroupEditResult result) {
    if (result == GroupEditResult::Done || result == GroupEditResult::RepeatedAcross) {
        ShowRow(GroupCount() - 1);
        EnableRowButtons(false);
        SetAddEnabled(CanAdd());
    }
    Report(result);
}

void CResultGroupDialog::FinishModify(GroupEditResult result) {
    if (result == GroupEditResult::NoSelection)
        return;
    if (result != GroupEditResult::SameChannel) {
        ShowRow(m_nSelectedRow - 1);
        EnableRowButtons(false);
    }
    Report(result);
}

void CResultGroupDialog::FinishImport() {
    m_nSelectedRow = 0;
    ShowLists();
    EnableRowButtons(false);
    SetAddEnabled(CanAdd());
}

void CResultGroupDialog::EditName(CMSFlexGrid* grid, const std::string& name) {
    m_pNameEditor->setText(QString::fromStdString(name));
    PlaceOver(grid, m_nSelectedRow, 1, m_pNameEditor);
}

void CResultGroupDialog::CommitName() {
    if (m_pNameEditor == nullptr || m_pNameEditor->isHidden())
        return;
    m_pNameEditor->hide();
    RenameSelected(m_pNameEditor->text().toStdString());
    ShowRow(m_nSelectedRow - 1);
}
