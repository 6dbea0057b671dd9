// Save-as options dialog: list filling, moves between the lists, the
// control rules and the checks on OK.
#include "panels/data/DlgSaveDataOption.h"

#include "model/ChannelNaming.h"
#include "model/FieldTexts.h"
#include "model/NumberTexts.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum ItemRole { kKindRole = Qt::UserRole, kNumberRole = Qt::UserRole + 1 };
enum EntryKind { kReal = 0, kVirtual = 1, kDigital = 2, kGroup = 3 };

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

QCheckBox* NewCheck(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(name);
    return box;
}

QRadioButton* NewRadio(const char* text, const char* name, QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
    radio->setObjectName(name);
    return radio;
}

} // namespace

CDlgSaveDataOption::CDlgSaveDataOption(const SaveOptionSources& sources, QWidget* parent)
    : QDialog(parent), m_sources(sources) {
    setWindowTitle(QString::fromUtf8("另存数据设置"));
    BuildControls();
}

void CDlgSaveDataOption::BuildControls() {
    auto* sourceBox = new QGroupBox(this);
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    const char* sourceTexts[3] = {"窗口显示的测点", "所有可显示的测点", "所有测点"};
    for (int i = 0; i < 3; ++i) {
        m_pointSource[i] = NewRadio(sourceTexts[i], platform::Format("pointSource%d", i).c_str(), sourceBox);
        sourceLayout->addWidget(m_pointSource[i]);
        connect(m_pointSource[i], &QRadioButton::clicked, this, [this, i] {
            m_nPointSource = i;
            FillPointLists(i);
            AfterMove();
        });
    }

    auto* rangeBox = new QGroupBox(this);
    auto* rangeLayout = new QVBoxLayout(rangeBox);
    const char* rangeTexts[3] = {"全部的数据", "显示的数据", "光标选定的数据"};
    for (int i = 0; i < 3; ++i) {
        m_range[i] = NewRadio(rangeTexts[i], platform::Format("range%d", i).c_str(), rangeBox);
        rangeLayout->addWidget(m_range[i]);
    }

    auto* layoutBox = new QGroupBox(this);
    auto* layoutLayout = new QVBoxLayout(layoutBox);
    m_perFile = NewRadio("各测点的数据分别保存", "perFile", layoutBox);
    m_oneFile = NewRadio("所有测点的数据保存于同一个文件", "oneFile", layoutBox);
    layoutLayout->addWidget(m_perFile);
    layoutLayout->addWidget(m_oneFile);

    m_relativeTime = NewCheck("保存相对时间", "relativeTime", this);
    m_absoluteTime = NewCheck("保存绝对时间", "absoluteTime", this);
    m_sampleStatus = NewCheck("保存采样状态", "sampleStatus", this);
    m_channelMark = NewCheck("保存测点标记", "channelMark", this);
    m_description = NewCheck("保存测点描述", "description", this);
    m_makeFolder = NewCheck("建立文件夹", "makeFolder", this);
    m_decimate = NewCheck("抽点输出", "decimate", this);
    m_average = NewCheck("抽点步长内数据平均", "average", this);
    m_standardExcel = NewCheck("标准excel输出", "standardExcel", this);
    m_step = new QLineEdit(this);
    m_step->setObjectName("step");
    connect(m_decimate, &QCheckBox::toggled, this, [this] { ApplyControlState(); });

    m_available = new QListWidget(this);
    m_available->setObjectName("available");
    m_chosen = new QListWidget(this);
    m_chosen->setObjectName("chosen");
    for (QListWidget* list : {m_available, m_chosen})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_available, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_chosen->addItem(m_available->takeItem(m_available->row(item)));
        AfterMove();
    });
    connect(m_chosen, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_available->addItem(m_chosen->takeItem(m_chosen->row(item)));
        AfterMove();
    });

    auto* moveLayout = new QVBoxLayout;
    struct Move {
        const char* text;
        const char* name;
        bool forward;
        bool all;
    };
    for (const Move& move : {Move{">", "add", true, false}, Move{"<", "remove", false, false},
                             Move{">>", "addAll", true, true}, Move{"<<", "removeAll", false, true}}) {
        QPushButton* button = NewDialogButton(move.text, move.name, this);
        moveLayout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, move] {
            if (move.forward)
                MoveItems(m_available, m_chosen, move.all);
            else
                MoveItems(m_chosen, m_available, move.all);
        });
    }

    auto* lists = new QHBoxLayout;
    auto* availableColumn = new QVBoxLayout;
    availableColumn->addWidget(new QLabel(QString::fromUtf8("可选测点"), this));
    availableColumn->addWidget(m_available);
    auto* chosenColumn = new QVBoxLayout;
    chosenColumn->addWidget(new QLabel(QString::fromUtf8("已选测点"), this));
    chosenColumn->addWidget(m_chosen);
    lists->addLayout(availableColumn);
    lists->addLayout(moveLayout);
    lists->addLayout(chosenColumn);

    auto* options = new QGridLayout;
    int row = 0;
    for (QWidget* widget : {static_cast<QWidget*>(m_relativeTime), static_cast<QWidget*>(m_absoluteTime),
                            static_cast<QWidget*>(m_sampleStatus), static_cast<QWidget*>(m_channelMark),
                            static_cast<QWidget*>(m_description), static_cast<QWidget*>(m_makeFolder),
                            static_cast<QWidget*>(m_decimate), static_cast<QWidget*>(m_average),
                            static_cast<QWidget*>(m_standardExcel)})
        options->addWidget(widget, row++, 0);
    options->addWidget(new QLabel(QString::fromUtf8("间隔点数"), this), row, 0);
    options->addWidget(m_step, row, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = NewDialogButton("确认", "ok", this);
    QPushButton* cancel = NewDialogButton("取消", "cancel", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDlgSaveDataOption::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgSaveDataOption::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* top = new QHBoxLayout;
    top->addWidget(sourceBox);
    top->addWidget(rangeBox);
    top->addWidget(layoutBox);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(lists);
    main->addLayout(options);
    main->addLayout(buttons);
}

QListWidgetItem* CDlgSaveDataOption::AddItem(QListWidget* list, const QString& text, int kind, int number) {
    auto* item = new QListWidgetItem(text, list);
    item->setData(kKindRole, kind);
    item->setData(kNumberRole, number);
    return item;
}

void CDlgSaveDataOption::FillPointLists(int source) {
    m_available->clear();
    m_chosen->clear();
    std::vector<int> channels;
    if (source == 0) {
        if (m_displayedPoints.empty()) {
            Warn("当前显示的测点个数为零!");
            return;
        }
        const std::size_t n = std::min(m_displayedPoints.size(), m_sources.measureChannels.size());
        channels.assign(m_displayedPoints.begin(), m_displayedPoints.begin() + std::ptrdiff_t(n));
    } else {
        const std::vector<int>& list = source == 1 ? m_sources.measureChannels : m_sources.allChannels;
        if (list.empty())
            return;
        channels = list;
        for (const SaveOptionSources::Named& v : m_sources.virtualChannels)
            channels.push_back(kFirstVirtualChannel - 1 + v.nNumber);
    }
    for (int channel : channels) {
        if (IsVirtualChannel(channel)) {
            const int n = channel - (kFirstVirtualChannel - 1);
            std::string name;
            for (const SaveOptionSources::Named& v : m_sources.virtualChannels)
                if (v.nNumber == n)
                    name = v.strName;
            AddItem(m_available, ToQ(platform::Format("虚拟%d:", n) + name), kVirtual, channel);
        } else if (channel >= 0 && channel < kFirstVirtualChannel &&
                   (!m_sources.isChannelBalanced || m_sources.isChannelBalanced(channel))) {
            AddItem(m_available, ToQ(FormatChannelName(channel)), kReal, channel);
        }
    }
    for (const SaveOptionSources::Named& d : m_sources.digitalChannels)
        AddItem(m_available, ToQ(d.strName), kDigital, d.nNumber);
}

void CDlgSaveDataOption::FillGroupLists() {
    m_available->clear();
    m_chosen->clear();
    const bool rosette = m_nItemKind == kRosetteGroups;
    const int count = int(rosette ? m_sources.rosetteGroups.size() : m_sources.residualGroups.size());
    for (int number = 1; number <= count; ++number) {
        std::string text = "组";
        if (rosette) {
            const SaveOptionSources::RosetteGroup& group = m_sources.rosetteGroups[std::size_t(number - 1)];
            text += platform::Format("%02d:%s", number, group.strName.c_str()) + "(" +
                    GetRosetteTypeName(group.nType) + ")";
        } else {
            text += platform::Format("%02d:%s", number,
                                     m_sources.residualGroups[std::size_t(number - 1)].c_str()) +
                    "(残余应力)";
        }
        const bool chosen = std::find(m_preselectedGroups.begin(), m_preselectedGroups.end(), number) !=
                            m_preselectedGroups.end();
        AddItem(chosen ? m_chosen : m_available, ToQ(text), kGroup, number);
    }
}

void CDlgSaveDataOption::OnInitDialog() {
    m_nPointSource = 0;
    if (m_nItemKind == kPoints) {
        FillPointLists(0);
    } else if (m_nItemKind == kRosetteGroups || m_nItemKind == kResidualGroups) {
        FillGroupLists();
        m_options.nFileLayout = 1;
    } else if (m_nItemKind == kDigitalChannels) {
        m_available->clear();
        m_chosen->clear();
        for (const SaveOptionSources::Named& d : m_sources.digitalChannels)
            AddItem(m_available, ToQ(d.strName), kDigital, d.nNumber);
    }

    m_pointSource[0]->setChecked(true);
    if (m_nCursorMode != 2 && m_options.nDataRange == 2)
        m_options.nDataRange = 1;
    m_range[std::clamp(int(m_options.nDataRange), 0, 2)]->setChecked(true);
    (m_options.nFileLayout == 0 ? m_perFile : m_oneFile)->setChecked(true);

    const bool matlab = m_nExportKind == kMatlab;
    const std::pair<QCheckBox*, std::int32_t> columns[5] = {{m_relativeTime, m_options.bRelativeTime},
                                                            {m_absoluteTime, m_options.bAbsoluteTime},
                                                            {m_sampleStatus, m_options.bSampleStatus},
                                                            {m_channelMark, m_options.bChannelMark},
                                                            {m_description, m_options.bDescription}};
    for (const auto& [box, flag] : columns)
        box->setChecked(!matlab && flag != 0);
    m_makeFolder->setChecked(m_options.bMakeFolder != 0);
    const bool decimationAllowed = m_nExportKind != kSpreadsheet && m_nExportKind != kMatlab;
    m_decimate->setChecked(decimationAllowed && m_options.bDecimate != 0);
    m_average->setChecked(m_decimate->isChecked() && m_options.bAverage != 0);
    m_step->setText(QString::number(m_options.nStep));
    if (m_nItemKind == kRosetteGroups || m_nItemKind == kResidualGroups)
        m_oneFile->setChecked(true);
    if (m_nExportKind == kSpreadsheet) {
        m_standardExcel->setChecked(false);
        m_standardExcel->hide();
    } else {
        m_standardExcel->setChecked(m_options.bStandardExcel != 0);
    }
    AfterMove();
}

// The enabled state of every control from the kinds and the current choices.
void CDlgSaveDataOption::ApplyControlState() {
    const bool groups = m_nItemKind == kRosetteGroups || m_nItemKind == kResidualGroups;
    for (QRadioButton* radio : m_pointSource)
        radio->setEnabled(!groups);
    m_range[2]->setEnabled(m_nCursorMode == 2);
    for (QCheckBox* box : {m_relativeTime, m_absoluteTime, m_sampleStatus, m_channelMark, m_description})
        box->setEnabled(m_nExportKind != kMatlab);
    m_perFile->setEnabled(!groups && !m_bVirtualChosen);
    if (!m_perFile->isEnabled() && m_perFile->isChecked())
        m_oneFile->setChecked(true);
    const bool decimationAllowed =
        m_nExportKind != kSpreadsheet && m_nExportKind != kMatlab && !m_bVirtualChosen;
    m_decimate->setEnabled(decimationAllowed);
    m_average->setEnabled(decimationAllowed && m_decimate->isChecked());
    m_step->setEnabled(decimationAllowed && m_decimate->isChecked());
}

void CDlgSaveDataOption::MoveItems(QListWidget* from, QListWidget* to, bool all) {
    for (int row = 0; row < from->count();) {
        if (all || from->item(row)->isSelected())
            to->addItem(from->takeItem(row));
        else
            ++row;
    }
    AfterMove();
}

bool CDlgSaveDataOption::ChosenHoldsVirtual() const {
    for (int row = 0; row < m_chosen->count(); ++row)
        if (m_chosen->item(row)->data(kKindRole).toInt() == kVirtual)
            return true;
    return false;
}

void CDlgSaveDataOption::AfterMove() {
    m_bVirtualChosen = m_nItemKind == kPoints && ChosenHoldsVirtual();
    if (m_bVirtualChosen) {
        m_options.nFileLayout = 1;
        m_options.bDecimate = 0;
        m_oneFile->setChecked(true);
        m_decimate->setChecked(false);
    }
    ApplyControlState();
}

void CDlgSaveDataOption::Warn(const char* text) const {
    platform::MessageBox(text, m_sources.strAppTitle, platform::MB_ICONEXCLAMATION);
}

bool CDlgSaveDataOption::ReadStep() {
    const std::string text = m_step->text().toStdString();
    // An empty or zero step would export every sample although decimation
    // was asked for.
    if (!IsValidNumberText(2, text) || text.find_first_not_of('0') == std::string::npos) {
        Warn("请确认输入间隔点数的正确性!");
        return false;
    }
    long long step = 0;
    if (!ParseWholeNumberText(text, std::max(m_sources.nStoredDataCount, 0), step)) {
        Warn("输入间隔点数大于总数据量!");
        return false;
    }
    m_options.nStep = static_cast<int>(step);
    return true;
}

bool CDlgSaveDataOption::CollectChosen() {
    if (m_chosen->count() == 0) {
        Warn(m_nItemKind == kRosetteGroups    ? "至少要选择一个应变花组号。"
             : m_nItemKind == kResidualGroups ? "至少要选择一个组号。"
                                              : "您没有选择要保存的测点，无法进行保存");
        return false;
    }
    int items = 0;
    int digital = 0;
    for (int row = 0; row < m_chosen->count(); ++row) {
        const QListWidgetItem* item = m_chosen->item(row);
        const int kind = item->data(kKindRole).toInt();
        const int number = item->data(kNumberRole).toInt();
        if (kind == kDigital) {
            if (digital < 8)
                m_options.nDigitalChannels[digital++] = number;
        } else if (items < 4096) {
            m_options.nChannels[items++] = kind == kGroup ? number - 1 : number;
        }
    }
    m_options.nChannelCount = m_nItemKind == kDigitalChannels ? 0 : items;
    m_options.nDigitalCount = digital;
    return true;
}

void CDlgSaveDataOption::accept() {
    m_options.bRelativeTime = m_relativeTime->isChecked();
    m_options.bAbsoluteTime = m_absoluteTime->isChecked();
    m_options.bSampleStatus = m_sampleStatus->isChecked();
    m_options.bChannelMark = m_channelMark->isChecked();
    m_options.bDescription = m_description->isChecked();
    m_options.bMakeFolder = m_makeFolder->isChecked();
    for (int i = 0; i < 3; ++i)
        if (m_range[i]->isChecked())
            m_options.nDataRange = i;
    if (m_decimate->isChecked()) {
        m_options.bDecimate = 1;
        m_options.bAverage = m_average->isChecked();
        if (!ReadStep())
            return;
    } else {
        m_options.bDecimate = 0;
    }
    m_options.nFileLayout = m_perFile->isChecked() ? 0 : 1;
    if (!CollectChosen())
        return;
    if (m_nExportKind == kSpreadsheet)
        m_options.bStandardExcel = m_standardExcel->isChecked();
    if (m_options.nDigitalCount > 0 && m_options.nFileLayout == 0) {
        Warn("数字量通道数据不支持分别保存，请重新设置。");
        return;
    }
    if (m_options.nDigitalCount > 0 && m_options.bDecimate) {
        Warn("数字量通道数据不支持抽点输出，请重新设置。");
        return;
    }
    QDialog::accept();
}

int CDlgSaveDataOption::exec() {
    OnInitDialog();
    return QDialog::exec();
}
