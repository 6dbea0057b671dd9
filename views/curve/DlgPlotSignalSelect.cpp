// The signal-selection dialog.
#include "views/curve/DlgPlotSignalSelect.h"

#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "views/curve/SignalSelectRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

CDlgPlotSignalSelect::CDlgPlotSignalSelect(const CurveWorld& world, QWidget* parent)
    : QDialog(parent), m_world(world), m_available(new QListWidget(this)), m_chosen(new QListWidget(this)) {
    setWindowTitle("信号选择");
    m_available->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_chosen->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_available->setObjectName("AvailableSignals");
    m_chosen->setObjectName("ChosenSignals");

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("可选信号", this));
    left->addWidget(m_available);
    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char* text, void (CDlgPlotSignalSelect::*slot)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    buttons->addStretch();
    button(">", &CDlgPlotSignalSelect::AddSelected);
    button("<", &CDlgPlotSignalSelect::RemoveSelected);
    button(">>", &CDlgPlotSignalSelect::AddAll);
    button("<<", &CDlgPlotSignalSelect::RemoveAll);
    buttons->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel("已选信号", this));
    right->addWidget(m_chosen);
    lists->addLayout(left, 1);
    lists->addLayout(buttons);
    lists->addLayout(right, 1);
    connect(m_available, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { MoveToChosen({m_available->row(item)}); });
    connect(m_chosen, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        item->setSelected(true);
        const auto selected = m_chosen->selectedItems();
        for (QListWidgetItem* other : selected)
            other->setSelected(other == item);
        RemoveSelected();
    });

    auto* kinds = new QGroupBox(" 信号种类  ", this);
    auto* kindLayout = new QHBoxLayout(kinds);
    m_kindWave = new QRadioButton("时间波形", kinds);
    m_kindRosette = new QRadioButton("应变花", kinds);
    m_kindResidual = new QRadioButton("残余应变", kinds);
    m_kindThermal = new QRadioButton("污垢热阻", kinds);
    for (QRadioButton* b : {m_kindWave, m_kindRosette, m_kindResidual, m_kindThermal})
        kindLayout->addWidget(b);
    connect(m_kindWave, &QRadioButton::clicked, this, [this] { SetKind(1); });
    connect(m_kindRosette, &QRadioButton::clicked, this, [this] { SetKind(2); });
    connect(m_kindResidual, &QRadioButton::clicked, this, [this] { SetKind(4); });

    auto* modes = new QGroupBox(" 绘图方式 ", this);
    auto* modeLayout = new QHBoxLayout(modes);
    const char* modeTexts[3] = {"普通绘图方式", "XY方式", "分布方式"};
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(QString::fromUtf8(modeTexts[i]), modes);
        modeLayout->addWidget(m_modes[i]);
        connect(m_modes[i], &QRadioButton::clicked, this, [this, i] { SetMode(i + 1); });
    }

    auto* xy = new QGridLayout;
    m_xCheck = new QCheckBox("指定X方向信号:", this);
    m_yCheck = new QCheckBox("指定Y方向信号:", this);
    m_xBox = new QComboBox(this);
    m_yBox = new QComboBox(this);
    xy->addWidget(m_xCheck, 0, 0);
    xy->addWidget(m_xBox, 0, 1);
    xy->addWidget(m_yCheck, 1, 0);
    xy->addWidget(m_yBox, 1, 1);
    connect(m_xCheck, &QCheckBox::clicked, this, [this](bool on) { SetReference(true, on); });
    connect(m_yCheck, &QCheckBox::clicked, this, [this](bool on) { SetReference(false, on); });

    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton("确认(&S)", QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton("取消(&C)", QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { TryAccept(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(kinds);
    layout->addWidget(modes);
    layout->addLayout(xy);
    layout->addWidget(box);
    resize(560, 440);
}

QRadioButton* CDlgPlotSignalSelect::KindButton(int kind) const {
    switch (kind) {
    case 1:
        return m_kindWave;
    case 2:
        return m_kindRosette;
    case 4:
        return m_kindResidual;
    default:
        return m_kindThermal;
    }
}

QRadioButton* CDlgPlotSignalSelect::ModeButton(int mode) const {
    return m_modes[std::clamp(mode, 1, 3) - 1];
}

void CDlgPlotSignalSelect::FillAvailable() {
    m_available->clear();
    const std::vector<int> chosen = ChosenIds();
    for (const std::string& text : AvailablePlotSignals(m_nSignalKind, chosen, m_world)) {
        const QString q = QString::fromStdString(text);
        if (m_chosen->findItems(q, Qt::MatchExactly).isEmpty())
            m_available->addItem(q);
    }
}

void CDlgPlotSignalSelect::InitDialog() {
    m_chosen->clear();
    for (int i = 0; i < m_nSignalCount && i < int(m_SignalIds.size()); ++i)
        m_chosen->addItem(
            QString::fromStdString(PlotSignalText(m_nSignalKind, m_SignalIds[std::size_t(i)], m_world)));
    FillAvailable();
    m_xBox->clear();
    m_yBox->clear();
    for (const std::string& text : ReferenceSignalTexts(m_world)) {
        m_xBox->addItem(QString::fromStdString(text));
        m_yBox->addItem(QString::fromStdString(text));
    }
    // The boxes show the reference the view had.
    if (m_nXYRefId >= 0) {
        const QString ref = QString::fromStdString(PlotSignalText(1, m_nXYRefId, m_world));
        m_xBox->setCurrentIndex(std::max(m_xBox->findText(ref), 0));
        m_yBox->setCurrentIndex(std::max(m_yBox->findText(ref), 0));
    }
    (m_nSignalKind == 1 ? m_kindWave : m_kindRosette)->setChecked(true);
    ModeButton(m_nPlotMode)->setChecked(true);
    ApplyKindRules();
    if (m_world.bSampling) {
        m_kindRosette->setEnabled(false);
        if (m_nSignalKind == 2 || m_nSignalKind == 4) {
            m_nSignalKind = 1;
            m_kindWave->setChecked(true);
        }
    }
    m_xCheck->setChecked(m_bXYRef != 0 && m_bXYRefIsX != 0);
    m_yCheck->setChecked(m_bXYRef != 0 && m_bXYRefIsX == 0);
    ApplyXYEnabling();
    m_kindResidual->hide();
    m_kindThermal->hide();
}

void CDlgPlotSignalSelect::ApplyKindRules() {
    const bool wave = m_nSignalKind == 1;
    m_modes[1]->setEnabled(wave);
    m_modes[2]->setEnabled(wave);
    if (!wave) {
        m_nPlotMode = 1;
        m_modes[0]->setChecked(true);
    }
    if (m_nSignalKind == 6 || m_nSignalKind == 7) {
        m_kindThermal->setChecked(true);
        m_kindWave->setEnabled(false);
        m_kindRosette->setEnabled(false);
    }
}

void CDlgPlotSignalSelect::ApplyXYEnabling() {
    const bool xy = m_nPlotMode == 2;
    for (QWidget* w : std::initializer_list<QWidget*>{m_xCheck, m_yCheck, m_xBox, m_yBox})
        w->setEnabled(xy);
}

std::vector<int> CDlgPlotSignalSelect::ChosenIds() const {
    std::vector<int> ids;
    for (int i = 0; i < m_chosen->count(); ++i)
        ids.push_back(PlotSignalId(m_chosen->item(i)->text().toStdString()));
    return ids;
}

void CDlgPlotSignalSelect::MoveToChosen(const std::vector<int>& rows) {
    std::string message;
    if (!CanAddPlotSignals(m_nPlotMode, m_chosen->count(), int(rows.size()), message)) {
        platform::MessageBox(message, g_strAppTitle, platform::MB_OK);
        return;
    }
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int row : sorted)
        m_chosen->addItem(m_available->item(row)->text());
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
        delete m_available->takeItem(*it);
}

void CDlgPlotSignalSelect::AddSelected() {
    std::vector<int> rows;
    for (QListWidgetItem* item : m_available->selectedItems())
        rows.push_back(m_available->row(item));
    if (!rows.empty())
        MoveToChosen(rows);
}

void CDlgPlotSignalSelect::AddAll() {
    std::vector<int> rows;
    for (int i = 0; i < m_available->count(); ++i)
        rows.push_back(i);
    if (!rows.empty())
        MoveToChosen(rows);
}

void CDlgPlotSignalSelect::RemoveSelected() {
    std::vector<int> rows;
    for (QListWidgetItem* item : m_chosen->selectedItems())
        rows.push_back(m_chosen->row(item));
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows) {
        QListWidgetItem* item = m_chosen->takeItem(row);
        if (m_available->findItems(item->text(), Qt::MatchExactly).isEmpty())
            m_available->addItem(item->text());
        delete item;
    }
}

void CDlgPlotSignalSelect::RemoveAll() {
    m_chosen->selectAll();
    RemoveSelected();
}

void CDlgPlotSignalSelect::SetKind(int kind) {
    m_nSignalKind = kind;
    m_chosen->clear();
    FillAvailable();
    ApplyKindRules();
    ApplyXYEnabling();
}

void CDlgPlotSignalSelect::SetMode(int mode) {
    m_nPlotMode = std::clamp(mode, 1, 3);
    ModeButton(m_nPlotMode)->setChecked(true);
    ApplyXYEnabling();
}

void CDlgPlotSignalSelect::SetReference(bool asX, bool on) {
    (asX ? m_xCheck : m_yCheck)->setChecked(on);
    if (!on) {
        m_bXYRef = 0;
        return;
    }
    m_bXYRef = 1;
    m_bXYRefIsX = asX ? 1 : 0;
    (asX ? m_yCheck : m_xCheck)->setChecked(false);
}

bool CDlgPlotSignalSelect::TryAccept() {
    std::vector<std::string> chosen;
    for (int i = 0; i < m_chosen->count(); ++i)
        chosen.push_back(m_chosen->item(i)->text().toStdString());
    const QComboBox* refBox = m_bXYRefIsX != 0 ? m_xBox : m_yBox;
    const std::string refText = refBox->currentText().toStdString();
    const PlotSignalCheck check =
        CheckPlotSignals(m_nPlotMode, chosen, m_nPlotMode == 2 && m_bXYRef != 0, refText);
    if (!check.ok) {
        platform::MessageBox(check.message, g_strAppTitle,
                             platform::MB_OK | (check.exclamation ? platform::MB_ICONEXCLAMATION : 0));
        return false;
    }
    m_nSignalCount = int(check.ids.size());
    m_SignalIds = check.ids;
    m_nXYRefIndex = 0;
    m_nXYRefId = check.nRefId;
    accept();
    return true;
}
