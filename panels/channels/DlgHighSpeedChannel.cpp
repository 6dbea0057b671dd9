// The high-speed sampling channel dialog.
#include "panels/channels/DlgHighSpeedChannel.h"

#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

CDlgHighSpeedChannel::CDlgHighSpeedChannel(std::vector<HighSpeedController> controllers, QWidget* parent)
    : QDialog(parent), m_controllers(std::move(controllers)) {
    setWindowTitle(QString::fromUtf8("设置高速采样通道"));
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(ControlName(1000));
    m_pList->setColumnCount(4);
    m_pList->setHeaderLabels(
        {QString(), QString(), QString::fromUtf8("采集模块"), QString::fromUtf8("高速通道")});
    m_pList->setColumnWidth(0, 0);
    m_pList->setColumnWidth(1, 60);
    m_pList->setColumnWidth(2, 123);
    m_pList->setColumnWidth(3, 123);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);
    auto* buttons = NewButtonRow({ok, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pList);
    layout->addLayout(buttons);
    resize(400, 420);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgHighSpeedChannel::OnInitDialog() {
    m_rows = BuildHighSpeedRows(m_controllers, m_channels);
    m_pList->clear();
    m_choices.clear();
    QTreeWidgetItem* category = nullptr;
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const HighSpeedRow& row = m_rows[r];
        if (category == nullptr || category->text(1) != QString::fromStdString(row.strAddress)) {
            category = new QTreeWidgetItem(m_pList, {QString(), QString::fromStdString(row.strAddress)});
            category->setFirstColumnSpanned(false);
            category->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(category, {QString(), QString(), QString::number(row.nModule + 1)});
        item->setSizeHint(2, QSize(123, 17));
        auto* choice = new QComboBox(m_pList);
        choice->addItem(QString());
        for (int ch = 1; ch <= 16; ++ch)
            choice->addItem(QString::asprintf("%02d", ch));
        m_pList->setItemWidget(item, 3, choice);
        m_choices.push_back(choice);
        const int index = static_cast<int>(r);
        connect(choice, qOverload<int>(&QComboBox::activated), this, [this, index](int entry) {
            OnChoose(index, entry, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
        });
    }
    // The controllers' addresses stand whole in their column.
    const int width = m_pList->columnWidth(1);
    m_pList->resizeColumnToContents(1);
    m_pList->setColumnWidth(1, std::max(width, m_pList->columnWidth(1)));
    ShowChoices();
}

void CDlgHighSpeedChannel::ShowChoices() {
    for (std::size_t r = 0; r < m_rows.size() && r < m_choices.size(); ++r) {
        const QSignalBlocker quiet(m_choices[r]);
        m_choices[r]->setCurrentIndex(m_rows[r].nChoice + 1);
    }
}

int CDlgHighSpeedChannel::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgHighSpeedChannel::OnChoose(int row, int entry, bool shiftHeld) {
    if (row < 0)
        return;
    ChooseHighSpeedChannel(m_rows, static_cast<std::size_t>(row), entry - 1, shiftHeld);
    ShowChoices();
}

void CDlgHighSpeedChannel::accept() {
    m_channels = CollectHighSpeedChannels(m_rows);
    QDialog::accept();
}
