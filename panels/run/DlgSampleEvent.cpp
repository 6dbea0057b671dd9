// The event-sampling settings dialog.
#include "panels/run/DlgSampleEvent.h"

#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/Time.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr double kNewTimeOffsetDays = 0.001;

void Message(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_ICONEXCLAMATION);
}

// A whole number of the field within low..high; otherwise the range message.
bool TakeNumber(const QLineEdit* edit, int low, int high, std::int32_t& value) {
    bool ok = false;
    const long long number = edit->text().trimmed().toLongLong(&ok);
    if (!ok || number < low || number > high) {
        Message(platform::Format("请输入一个介于 %d 和 %d 之间的整数。", low, high));
        return false;
    }
    value = static_cast<std::int32_t>(number);
    return true;
}

QLabel* NamedLabel(int id, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(ControlName(id));
    return label;
}

} // namespace

CDlgSampleEvent::CDlgSampleEvent(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("事件采样设置"));
    m_pTable = new CMSFlexGrid(this);
    m_pTable->setObjectName(ControlName(1074));
    m_pTime = NewDialogEdit(1078, this);
    m_pInterval = NewDialogEdit(1081, this);
    m_pCount = NewDialogEdit(1084, this);
    m_pNumber = NewDialogEdit(1089, this);
    m_pNumber->setEnabled(false);
    m_pType = new QComboBox(this);
    m_pType->setObjectName(ControlName(1087));
    m_pType->addItems({QString::fromUtf8("限定次数"), QString::fromUtf8("循环采样")});
    m_pAdd = NewDialogButton("添加", 1080, this);
    m_pModify = NewDialogButton("修改", 1085, this);
    m_pDelete = NewDialogButton("删除", 1077, this);
    m_pTimeMode = new QRadioButton(QString::fromUtf8("时间点事件模式"), this);
    m_pTimeMode->setObjectName(ControlName(1392));
    m_pOpcMode = new QRadioButton(QString::fromUtf8("OPC服务事件模式"), this);
    m_pOpcMode->setObjectName(ControlName(1393));
    m_pLoopMode = new QComboBox(this);
    m_pLoopMode->setObjectName(ControlName(1022));
    m_pLoopMode->addItems({QString::fromUtf8("单次采集"), QString::fromUtf8("循环采集")});
    m_pNotify = new QCheckBox(QString::fromUtf8("采集结束后写入通知事件"), this);
    m_pNotify->setObjectName(ControlName(1401));
    auto* startLabel = NewDialogLabel("启动采集控制项(读)", this);
    startLabel->setObjectName(ControlName(1394));
    m_pStopLabel = NewDialogLabel("停止采集控制项(读)", this);
    m_pStopLabel->setObjectName(ControlName(1395));
    m_pNotifyLabel = NewDialogLabel("采集完成通知项(写)", this);
    m_pNotifyLabel->setObjectName(ControlName(1396));
    m_pStartItem = NamedLabel(1398, this);
    m_pStopItem = NamedLabel(1400, this);
    m_pNotifyItem = NamedLabel(1399, this);
    m_pOk = NewDialogButton("确定(&O)", 1, this);
    m_pCancel = NewDialogButton("取消(&C)", 2, this);

    auto* fields = new QGridLayout;
    fields->addWidget(NewDialogLabel("事件号：", this), 0, 0);
    fields->addWidget(m_pNumber, 0, 1);
    fields->addWidget(NewDialogLabel("触发时间：", this), 0, 2);
    fields->addWidget(m_pTime, 0, 3);
    fields->addWidget(NewDialogLabel("间隔：", this), 1, 0);
    fields->addWidget(m_pInterval, 1, 1);
    fields->addWidget(NewDialogLabel("秒", this), 1, 2);
    fields->addWidget(NewDialogLabel("采样类型：", this), 2, 0);
    fields->addWidget(m_pType, 2, 1);
    fields->addWidget(NewDialogLabel("采样次数：", this), 2, 2);
    fields->addWidget(m_pCount, 2, 3);
    auto* opc = new QGridLayout;
    opc->addWidget(m_pTimeMode, 0, 0);
    opc->addWidget(m_pOpcMode, 0, 1);
    opc->addWidget(NewDialogLabel("采样模式：", this), 1, 0);
    opc->addWidget(m_pLoopMode, 1, 1);
    opc->addWidget(m_pNotify, 2, 0, 1, 2);
    opc->addWidget(startLabel, 3, 0);
    opc->addWidget(m_pStartItem, 3, 1);
    opc->addWidget(m_pStopLabel, 4, 0);
    opc->addWidget(m_pStopItem, 4, 1);
    opc->addWidget(m_pNotifyLabel, 5, 0);
    opc->addWidget(m_pNotifyItem, 5, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTable);
    layout->addLayout(fields);
    layout->addLayout(NewButtonRow({m_pAdd, m_pModify, m_pDelete}));
    layout->addLayout(opc);
    layout->addLayout(NewButtonRow({m_pOk, m_pCancel}));

    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_pModify, &QPushButton::clicked, this, [this] { OnModify(); });
    connect(m_pDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_pOk, &QPushButton::clicked, this, [this] { accept(); });
    connect(m_pCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_pTable, &CMSFlexGrid::Click, this, [this] { OnSelectRow(m_pTable->GetRow()); });
    for (QLineEdit* edit : {m_pTime, m_pInterval, m_pCount}) {
        connect(edit, &QLineEdit::textEdited, this, [this] {
            m_bEdited = true;
            UpdateButtons();
        });
    }
    connect(m_pType, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index == SAMPLE_EVENT_CYCLIC)
            m_pCount->setText("0");
        UpdateButtons();
    });
    connect(m_pTimeMode, &QRadioButton::clicked, this, [this] {
        m_options.nEventMode = 0;
        ShowOptions();
    });
    connect(m_pOpcMode, &QRadioButton::clicked, this, [this] {
        m_options.nEventMode = 1;
        ShowOptions();
    });
    connect(m_pLoopMode, &QComboBox::activated, this, [this](int index) {
        m_options.nOpcLoopMode = index;
        ShowOptions();
    });
    connect(m_pNotify, &QCheckBox::clicked, this, [this](bool on) {
        m_options.bOpcNotify = on ? 1 : 0;
        ShowOptions();
    });
}

double CDlgSampleEvent::Now() const {
    return m_now ? m_now() : platform::NowOleDate();
}

int CDlgSampleEvent::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgSampleEvent::OnInitDialog() {
    m_pType->setCurrentIndex(0);
    std::vector<int> badTimes;
    ReadSampleEventFile(m_strFile, m_events, &badTimes);
    if (!badTimes.empty()) {
        std::string numbers;
        for (int n : badTimes)
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
        Message("事件采样设置文件中以下事件的触发时间无效: " + numbers);
    }
    if (m_events.empty()) {
        SampleEvent fresh;
        fresh.dTriggerTime = Now() + kNewTimeOffsetDays;
        ShowEvent(fresh);
        m_pNumber->clear();
        m_nSelectedRow = 0;
    } else {
        m_nSelectedRow = 1;
        ShowEvent(m_events.front());
    }
    FillTable();
    ShowOptions();
    ReadOpcSettings();
    m_bEdited = false;
    UpdateButtons();
}

void CDlgSampleEvent::ShowOptions() {
    // The OPC service mode is not offered here, whatever the stored mode.
    m_pTimeMode->setChecked(true);
    m_pTimeMode->setEnabled(false);
    m_pOpcMode->setEnabled(false);
    m_pLoopMode->setCurrentIndex(m_options.nOpcLoopMode == 1 ? 1 : 0);
    m_pNotify->setChecked(m_options.bOpcNotify != 0);
    m_pStopLabel->setEnabled(m_options.nOpcLoopMode == 1);
    m_pStopItem->setEnabled(m_options.nOpcLoopMode == 1);
    m_pNotifyLabel->setEnabled(m_options.bOpcNotify != 0);
    m_pNotifyItem->setEnabled(m_options.bOpcNotify != 0);
}

void CDlgSampleEvent::ReadOpcSettings() {
    const std::string file = platform::JoinPath(m_strProgramFolder, "OPCSetting.ini");
    const auto read = [&file](const char* key) {
        char buffer[260];
        platform::GetPrivateProfileString("OPCSetting", key, "", buffer, sizeof buffer, file);
        return std::string(buffer);
    };
    m_strProgID = read("ProgID");
    m_strRemoteMachine = read("RetoteMachine");
    m_pStartItem->setText(QString::fromStdString(read("ReadItem1")));
    m_pStopItem->setText(QString::fromStdString(read("ReadItem2")));
    m_pNotifyItem->setText(QString::fromStdString(read("WriteItem")));
}

void CDlgSampleEvent::ShowEvent(const SampleEvent& event) {
    m_pTime->setText(QString::fromStdString(FormatEventTime(event.dTriggerTime)));
    m_pInterval->setText(QString::number(event.nInterval));
    m_pCount->setText(QString::number(event.nSampleCount));
    m_pNumber->setText(QString::number(event.nEventNumber));
    const QSignalBlocker quiet(m_pType);
    m_pType->setCurrentIndex(event.nType == SAMPLE_EVENT_CYCLIC ? 1 : 0);
    m_pCount->setEnabled(event.nType != SAMPLE_EVENT_CYCLIC);
}

bool CDlgSampleEvent::TakeFields(SampleEvent& event) {
    if (!TakeNumber(m_pInterval, 0, SAMPLE_EVENT_MAX_INTERVAL, event.nInterval))
        return false;
    event.nType = m_pType->currentIndex() == 1 ? SAMPLE_EVENT_CYCLIC : SAMPLE_EVENT_LIMITED;
    if (event.nType == SAMPLE_EVENT_CYCLIC)
        event.nSampleCount = 0;
    else if (!TakeNumber(m_pCount, 0, SAMPLE_EVENT_MAX_COUNT, event.nSampleCount))
        return false;
    if (!ParseEventTime(m_pTime->text().toStdString(), event.dTriggerTime)) {
        Message("输入时间无效!");
        return false;
    }
    event.nTimeStatus = 0;
    return true;
}

void CDlgSampleEvent::FillTable() {
    m_pTable->SetRedraw(false);
    m_pTable->SetRows(static_cast<int>(m_events.size()) + 1);
    m_pTable->SetFormatString(" |^事件号|^触发时间      |^间隔(s) |^采样类型    |^采样次数 ");
    m_pTable->setColumnWidth(0, 300 / 15);
    for (std::size_t i = 0; i < m_events.size(); ++i) {
        const SampleEvent& e = m_events[i];
        const int row = static_cast<int>(i) + 1;
        const bool cyclic = e.nType == SAMPLE_EVENT_CYCLIC;
        m_pTable->SetTextMatrix(row, 1, std::to_string(e.nEventNumber));
        m_pTable->SetTextMatrix(row, 2, FormatEventTime(e.dTriggerTime));
        m_pTable->SetTextMatrix(row, 3, std::to_string(e.nInterval));
        m_pTable->SetTextMatrix(row, 4, cyclic ? "循环方式" : "限定次数");
        m_pTable->SetTextMatrix(row, 5, cyclic ? "--" : std::to_string(e.nSampleCount));
    }
    if (m_nSelectedRow >= 1 && m_nSelectedRow <= static_cast<int>(m_events.size()))
        m_pTable->SelectRange(m_nSelectedRow, 1, m_nSelectedRow, 1);
    m_pTable->SetRedraw(true);
}

void CDlgSampleEvent::UpdateButtons() {
    const bool sampling = m_sampling ? m_sampling() : g_bSampling.load() != 0;
    const bool hasEvents = !m_events.empty();
    m_pDelete->setEnabled(!sampling && hasEvents);
    m_pModify->setEnabled(!sampling && hasEvents && m_bEdited);
    m_pAdd->setEnabled(!sampling && static_cast<int>(m_events.size()) < SAMPLE_EVENT_TABLE_LIMIT);
    for (QWidget* w : {static_cast<QWidget*>(m_pTime), static_cast<QWidget*>(m_pInterval),
                       static_cast<QWidget*>(m_pType), static_cast<QWidget*>(m_pOk)})
        w->setEnabled(!sampling);
    m_pCount->setEnabled(!sampling && m_pType->currentIndex() != SAMPLE_EVENT_CYCLIC);
    if (sampling)
        m_pCancel->setFocus();
}

void CDlgSampleEvent::OnSelectRow(int row) {
    if (row < 1 || row > static_cast<int>(m_events.size()))
        return;
    m_nSelectedRow = row;
    SampleEvent shown = m_events[std::size_t(row - 1)];
    shown.nEventNumber = row;
    ShowEvent(shown);
    UpdateButtons();
}

void CDlgSampleEvent::OnAdd() {
    if (static_cast<int>(m_events.size()) >= SAMPLE_EVENT_TABLE_LIMIT)
        return;
    SampleEvent event;
    if (!TakeFields(event))
        return;
    const EventTimeCheck check = CheckEventTime(m_events, m_events.size(), event.dTriggerTime, Now());
    if (check != EventTimeCheck::Ok) {
        Message(EventTimeMessage(check));
        return;
    }
    event.nEventNumber = m_events.empty() ? 1 : m_events.back().nEventNumber + 1;
    m_events.push_back(event);
    m_nSelectedRow = static_cast<int>(m_events.size());
    m_pNumber->setText(QString::number(event.nEventNumber));
    FillTable();
    UpdateButtons();
}

void CDlgSampleEvent::OnModify() {
    if (m_nSelectedRow < 1 || m_nSelectedRow > static_cast<int>(m_events.size()))
        return;
    SampleEvent event;
    if (!TakeFields(event))
        return;
    const std::size_t index = std::size_t(m_nSelectedRow - 1);
    // The same rules as a new event, against every other event.
    const EventTimeCheck check = CheckEventTime(m_events, index, event.dTriggerTime, Now());
    if (check != EventTimeCheck::Ok) {
        Message(EventTimeMessage(check));
        return;
    }
    RenumberEvents(m_events);
    event.nEventNumber = m_events[index].nEventNumber;
    m_events[index] = event;
    m_bEdited = false;
    FillTable();
    UpdateButtons();
}

void CDlgSampleEvent::OnDelete() {
    if (m_nSelectedRow < 1 || m_nSelectedRow > static_cast<int>(m_events.size()))
        return;
    m_events.erase(m_events.begin() + (m_nSelectedRow - 1));
    RenumberEvents(m_events);
    if (m_nSelectedRow > static_cast<int>(m_events.size()))
        m_nSelectedRow = static_cast<int>(m_events.size());
    FillTable();
    UpdateButtons();
}

void CDlgSampleEvent::accept() {
    if (!WriteSampleEventFile(m_strFile, m_events)) {
        Message("Save EventCount failed!");
        return;
    }
    QDialog::accept();
}
