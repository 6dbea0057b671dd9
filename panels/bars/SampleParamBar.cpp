// The sampling-parameter bar's widgets and their glue to the sampling rules.
#include "panels/bars/SampleParamBar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/NumberTexts.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/SampleBarRules.h"
#include "platform/Text.h"

namespace {

constexpr const char* BAR_TITLE = "采样参数设置";
constexpr int PROJECT_HOLDING_DATA = 2;
constexpr int PROJECT_CONFIRMED = 3;
constexpr int PROJECT_PREPARED = 1;
constexpr int MIN_AVERAGE_WITH_ELIMINATION = 3;

template <class W, class... Args> W* Make(const char* name, QWidget* parent, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    return widget;
}

QString Number(int n) {
    return QString::number(n);
}

} // namespace

CSampleParamBar::CSampleParamBar(QWidget* parent) : QWidget(parent) {
    setObjectName("CSampleParamBar");
    setWindowTitle(BAR_TITLE);
    QWidget* body = this;
    auto* layout = new QVBoxLayout(body);

    m_pModes = new QButtonGroup(this);
    const char* modeTexts[] = {"定时采样", "单次采样", "连续采样", "事件采样"};
    const char* modeIds[] = {"1179", "1180", "1181", "1182"};
    auto* modeRow = new QHBoxLayout;
    for (int mode = 0; mode < 4; ++mode) {
        m_pModeButtons[mode] = Make<QRadioButton>(modeIds[mode], body, modeTexts[mode]);
        m_pModes->addButton(m_pModeButtons[mode], mode);
        modeRow->addWidget(m_pModeButtons[mode]);
    }
    layout->addLayout(modeRow);

    auto* form = new QFormLayout;
    m_pInterval = Make<QLineEdit>("1187", body);
    form->addRow("采样间隔(S)", m_pInterval);
    m_pSetCount = Make<QCheckBox>("1188", body, "设置定时次数");
    m_pCount = Make<QLineEdit>("1189", body);
    form->addRow(m_pSetCount, m_pCount);
    m_pLabel = Make<QLineEdit>("1191", body);
    form->addRow("采样状态", m_pLabel);
    m_pNumbering = Make<QCheckBox>("1388", body, "单次采样计数");
    form->addRow(m_pNumbering);
    m_pCountStartLabel = Make<QLabel>("1389", body, "计数初始值");
    m_pCountStart = Make<QLineEdit>("1045", body);
    form->addRow(m_pCountStartLabel, m_pCountStart);
    m_pFrequency = Make<QComboBox>("1022", body);
    form->addRow("采样频率", m_pFrequency);
    layout->addLayout(form);

    m_pDeviceIps = Make<QListWidget>("1415", body);
    layout->addWidget(m_pDeviceIps);

    m_pAnalysis = Make<QGroupBox>("1454", body, "分析参数");
    auto* analysis = new QFormLayout(m_pAnalysis);
    m_pTimePoints = Make<QComboBox>("1456", m_pAnalysis);
    m_pFrequencyLines = Make<QComboBox>("1455", m_pAnalysis);
    m_pAnalysisResult = Make<QLabel>("1457", m_pAnalysis);
    analysis->addRow("时域点数", m_pTimePoints);
    analysis->addRow("频域线数", m_pFrequencyLines);
    analysis->addRow(m_pAnalysisResult);
    layout->addWidget(m_pAnalysis);

    m_pAveraging = Make<QGroupBox>("1470", body, "数据平均方式");
    auto* averaging = new QFormLayout(m_pAveraging);
    m_pSingleAcquire = Make<QRadioButton>("1465", m_pAveraging, "单次采集");
    m_pMultiAverage = Make<QRadioButton>("1466", m_pAveraging, "多点平均");
    m_pAverageCount = Make<QLineEdit>("1467", m_pAveraging);
    m_pEliminate = Make<QCheckBox>("1468", m_pAveraging, "极大极小值剔除");
    averaging->addRow(m_pSingleAcquire, m_pMultiAverage);
    averaging->addRow("平均点数", m_pAverageCount);
    averaging->addRow(m_pEliminate);
    layout->addWidget(m_pAveraging);
    layout->addStretch(1);

    connect(m_pModes, &QButtonGroup::idClicked, this, &CSampleParamBar::OnModeClicked);
    connect(m_pSetCount, &QCheckBox::clicked, this, [this](bool on) {
        m_Settings.bSetTimerCount = on ? 1 : 0;
        m_pCount->setEnabled(on && m_pSetCount->isEnabled());
    });
    connect(m_pFrequency, qOverload<int>(&QComboBox::activated), this, &CSampleParamBar::OnFrequencySelected);
    connect(m_pTimePoints, qOverload<int>(&QComboBox::activated), this,
            &CSampleParamBar::OnTimePointsSelected);
    connect(m_pFrequencyLines, qOverload<int>(&QComboBox::activated), this,
            &CSampleParamBar::OnTimePointsSelected);
    connect(m_pAverageCount, &QLineEdit::editingFinished, this, &CSampleParamBar::OnAverageCountEdited);
    connect(m_pSingleAcquire, &QRadioButton::clicked, this, [this] {
        m_Settings.nAverageMode = 0;
        m_pAverageCount->setReadOnly(true);
        m_pEliminate->setEnabled(false);
    });
    connect(m_pMultiAverage, &QRadioButton::clicked, this, [this] {
        m_Settings.nAverageMode = 1;
        m_pAverageCount->setReadOnly(false);
        m_pEliminate->setEnabled(true);
    });
    connect(m_pEliminate, &QCheckBox::clicked, this, [this](bool on) {
        if (m_Settings.nAverageMode == 1 && on && m_nAverageCount < MIN_AVERAGE_WITH_ELIMINATION) {
            m_nAverageCount = MIN_AVERAGE_WITH_ELIMINATION;
            m_pAverageCount->setText(Number(m_nAverageCount));
        }
    });
}

void CSampleParamBar::SetInstrumentModel(int modelType, const std::string& descriptionFile) {
    m_nModelType = modelType;
    m_ini.SetFilePath(descriptionFile);
}

void CSampleParamBar::InitControls() {
    setWindowTitle(BAR_TITLE);
    FillFrequencyList();
    const int mode = std::clamp(m_Settings.nSampleMode, SAMPLE_MODE_TIMED, SAMPLE_MODE_EVENT);
    m_pModeButtons[mode]->setChecked(true);
    m_pInterval->setText(Number(m_Settings.nSampleInterval));
    m_pCount->setText(Number(m_Settings.nTimerCount));
    m_pSetCount->setChecked(m_Settings.bSetTimerCount != 0);
    m_pLabel->setText(QString::fromStdString(SampleStatusText(m_Settings)));
    m_pNumbering->setChecked(m_Settings.bSingleCount != 0);
    m_pCountStart->setText(Number(m_Settings.nCountStart));
    (m_Settings.nAverageMode == 1 ? m_pMultiAverage : m_pSingleAcquire)->setChecked(true);
    m_pAverageCount->setReadOnly(m_Settings.nAverageMode != 1);
    m_nAverageCount = m_Settings.nAveragePointCount;
    m_pAverageCount->setText(Number(m_nAverageCount));
    m_pEliminate->setChecked(m_Settings.bEliminateMaxMin != 0);
    FillAnalysisLists();
    WriteAnalysisResult();
    m_pAnalysis->setVisible(m_Settings.nAnalysisMode == 1);
    // The connected-device list keeps being filled but is not shown.
    m_pDeviceIps->hide();
    m_pDeviceIps->setEnabled(false);
    ApplyModeRules();
    SetRunState(m_nProjectState);
}

void CSampleParamBar::FillFrequencyList() {
    m_frequencyItems = BuildFrequencyItems(m_ini);
    const QSignalBlocker block(m_pFrequency);
    m_pFrequency->clear();
    for (const std::string& item : m_frequencyItems) {
        m_pFrequency->addItem(QString::fromStdString(item));
    }
    if (m_frequencyItems.empty()) {
        return;
    }
    const int index = SelectFrequencyItem(m_frequencyItems, m_Settings.fSampleFreq, m_nModelType);
    m_pFrequency->setCurrentIndex(index);
    m_Settings.nReserved = index;
    m_Settings.fSampleFreq = static_cast<float>(ParseFrequencyText(m_frequencyItems[index]));
}

void CSampleParamBar::SelectFixedModeFrequency() {
    const int index = FixedModeFrequencyItem(m_frequencyItems, m_nModelType);
    if (index < 0) {
        return;
    }
    const QSignalBlocker block(m_pFrequency);
    m_pFrequency->setCurrentIndex(index);
    m_Settings.nReserved = index;
    m_Settings.fSampleFreq = static_cast<float>(ParseFrequencyText(m_frequencyItems[index]));
    WriteAnalysisResult();
}

void CSampleParamBar::FillAnalysisLists() {
    m_timePoints = BuildTimePoints(m_nProjectState, m_Settings.nSampleBlockSize);
    const QSignalBlocker blockPoints(m_pTimePoints);
    const QSignalBlocker blockLines(m_pFrequencyLines);
    m_pTimePoints->clear();
    m_pFrequencyLines->clear();
    for (int points : m_timePoints) {
        m_pTimePoints->addItem(Number(points));
        m_pFrequencyLines->addItem(Number(FrequencyLinesOf(points)));
    }
    const int index = SelectTimePoints(m_timePoints, m_Settings.nAnalysisBlockSize);
    if (index >= 0) {
        m_pTimePoints->setCurrentIndex(index);
        m_pFrequencyLines->setCurrentIndex(index);
        m_Settings.nAnalysisBlockSize = m_timePoints[index];
    }
}

void CSampleParamBar::WriteAnalysisResult() {
    m_pAnalysisResult->setText(
        QString::fromStdString(FormatAnalysisResult(m_Settings.nAnalysisBlockSize, m_Settings.fSampleFreq)));
}

int CSampleParamBar::CheckedMode() const {
    return m_pModes->checkedId();
}

void CSampleParamBar::ApplyModeRules() {
    const SampleControlStates s =
        ComputeSampleControlStates(m_Settings.nSampleMode, m_nInterfaceMode, m_nModelType, m_nProjectState,
                                   m_Settings.bSetTimerCount != 0);
    m_pModeButtons[SAMPLE_MODE_TIMED]->setEnabled(s.timedEnabled);
    m_pModeButtons[SAMPLE_MODE_SINGLE]->setEnabled(s.singleEnabled);
    m_pModeButtons[SAMPLE_MODE_CONTINUOUS]->setEnabled(s.continuousEnabled);
    m_pModeButtons[SAMPLE_MODE_EVENT]->setEnabled(s.eventEnabled);
    if (s.continuousUnchecked && m_pModeButtons[SAMPLE_MODE_CONTINUOUS]->isChecked()) {
        m_pModes->setExclusive(false);
        m_pModeButtons[SAMPLE_MODE_CONTINUOUS]->setChecked(false);
        m_pModes->setExclusive(true);
    }
    m_pNumbering->setEnabled(s.singleCountEnabled);
    m_pCountStart->setEnabled(s.singleCountEnabled);
    m_pCountStartLabel->setEnabled(s.singleCountEnabled);
    m_pInterval->setEnabled(s.intervalEnabled);
    m_pSetCount->setEnabled(s.intervalEnabled);
    m_pCount->setEnabled(s.timedCountEnabled);
    m_pFrequency->setEnabled(s.frequencyEnabled && m_frequencyItems.size() > 1);
    m_pTimePoints->setEnabled(s.analysisEnabled);
    m_pFrequencyLines->setEnabled(s.analysisEnabled);
    for (QWidget* w : {static_cast<QWidget*>(m_pSingleAcquire), static_cast<QWidget*>(m_pMultiAverage),
                       static_cast<QWidget*>(m_pAverageCount), static_cast<QWidget*>(m_pEliminate)}) {
        w->setEnabled(s.analysisEnabled);
    }
    m_pAveraging->hide();
}

void CSampleParamBar::SetRunState(int projectState) {
    m_nProjectState = projectState;
    m_pLabel->setEnabled(projectState != PROJECT_HOLDING_DATA);
    ApplyModeRules();
}

void CSampleParamBar::Send(platform::UINT message, platform::WPARAM wParam) {
    platform::SendMessage(m_hOwner, message, wParam, 0);
}

void CSampleParamBar::NotifyParamsChanged() {
    Send(WM_BAR_TAKE_SAMPLE_SETTINGS);
    if (m_nProjectState == PROJECT_CONFIRMED) {
        m_nProjectState = PROJECT_PREPARED;
    }
    Send(WM_BAR_SAMPLE_PARAMS_CHANGED);
}

void CSampleParamBar::OnModeClicked(int mode) {
    if (mode < SAMPLE_MODE_TIMED || mode > SAMPLE_MODE_EVENT) {
        return;
    }
    const int previous = m_Settings.nSampleMode;
    m_Settings.nSampleMode = mode;
    m_pModeButtons[mode]->setChecked(true);
    ApplyModeRules();
    if (mode != SAMPLE_MODE_CONTINUOUS) {
        SelectFixedModeFrequency();
    }
    Send(WM_BAR_TAKE_SAMPLE_SETTINGS);
    if (mode != previous) {
        Send(WM_BAR_SAMPLE_MODE_CHANGED, static_cast<platform::WPARAM>(previous));
    }
}

void CSampleParamBar::OnFrequencySelected(int index) {
    if (index < 0 || index >= static_cast<int>(m_frequencyItems.size())) {
        const QSignalBlocker block(m_pFrequency);
        m_pFrequency->setCurrentIndex(m_Settings.nReserved);
        return;
    }
    const int previous = m_Settings.nReserved;
    m_Settings.nReserved = index;
    m_Settings.fSampleFreq = static_cast<float>(ParseFrequencyText(m_frequencyItems[index]));
    if (index != previous) {
        NotifyParamsChanged();
    }
    WriteAnalysisResult();
}

void CSampleParamBar::OnTimePointsSelected(int index) {
    if (index < 0 || index >= static_cast<int>(m_timePoints.size())) {
        return;
    }
    {
        const QSignalBlocker blockPoints(m_pTimePoints);
        const QSignalBlocker blockLines(m_pFrequencyLines);
        m_pTimePoints->setCurrentIndex(index);
        m_pFrequencyLines->setCurrentIndex(index);
    }
    m_Settings.nAnalysisBlockSize = m_timePoints[index];
    NotifyParamsChanged();
    WriteAnalysisResult();
}

void CSampleParamBar::OnAverageCountEdited() {
    const std::string text = m_pAverageCount->text().toStdString();
    m_nAverageCount = CheckAverageCount(text, true);
    if (Number(m_nAverageCount).toStdString() != text) {
        m_pAverageCount->setText(Number(m_nAverageCount));
    }
}

int CSampleParamBar::GetSampleSettings(SampleSettings& settings, int showMessages) {
    SampleInputs in;
    in.mode = CheckedMode();
    in.intervalText = m_pInterval->text().toStdString();
    in.countText = m_pCount->text().toStdString();
    in.bSetCount = m_pSetCount->isChecked();
    in.label = m_pLabel->text().toStdString();
    in.bNumbering = m_pNumbering->isChecked();
    in.countStartText = m_pCountStart->text().toStdString();
    in.averageText = m_pAverageCount->text().toStdString();
    in.bEliminate = m_pEliminate->isChecked();
    const std::string typedLabel = in.label;
    const int ok = ValidateSampleInputs(in, m_Settings, showMessages != 0);
    m_pModeButtons[m_Settings.nSampleMode]->setChecked(true);
    if (in.label != typedLabel) {
        m_pLabel->setText(QString::fromStdString(in.label));
    }
    if (ok == 0) {
        return 0;
    }
    settings = m_Settings;
    return 1;
}

void CSampleParamBar::AddDeviceIp(bool clear, const std::string& address) {
    if (clear || m_pDeviceIps->count() == 0) {
        m_pDeviceIps->clear();
    }
    const QString text = QString::fromStdString(address);
    for (int i = m_pDeviceIps->count() - 1; i >= 0; --i) {
        if (m_pDeviceIps->item(i)->text() == text) {
            delete m_pDeviceIps->takeItem(i);
        }
    }
    m_pDeviceIps->addItem(text);
}

void CSampleParamBar::SetDeviceIpList(const std::vector<std::string>& addresses) {
    m_pDeviceIps->clear();
    for (const std::string& address : addresses) {
        m_pDeviceIps->addItem(QString::fromStdString(address));
    }
}

void CSampleParamBar::ShowEventSampleOption(bool show) {
    m_pModeButtons[SAMPLE_MODE_EVENT]->setVisible(show);
}
