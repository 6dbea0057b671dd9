// Channel choice of the bar view: list filling, moves and the chosen table.
#include "panels/channels/DlgSignalSelect.h"

#include "model/ChannelNaming.h"
#include "widgets/DialogControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <string>
#include <vector>

namespace {

QListWidget* NewList(const char* name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

} // namespace

CDlgSignalSelect::CDlgSignalSelect(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("信号选择"));
    m_available = NewList("available", this);                    // 1151
    m_chosen = NewList("chosen", this);                          // 1153
    QPushButton* add = NewDialogButton(">>", "add", this);       // 1164
    QPushButton* remove = NewDialogButton("<<", "remove", this); // 1165
    QPushButton* ok = NewDialogButton("确认", "ok", this);
    QPushButton* cancel = NewDialogButton("取消", "cancel", this);
    ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("可选信号"), this), 0, 0);
    layout->addWidget(new QLabel(QString::fromUtf8("已选信号"), this), 0, 2);
    layout->addWidget(m_available, 1, 0, 4, 1);
    layout->addWidget(add, 2, 1);
    layout->addWidget(remove, 3, 1);
    layout->addWidget(m_chosen, 1, 2, 4, 1);
    layout->addWidget(ok, 5, 0);
    layout->addWidget(cancel, 5, 2);

    connect(add, &QPushButton::clicked, this, [this] { MoveSelected(m_available, m_chosen); });
    connect(remove, &QPushButton::clicked, this, [this] { MoveSelected(m_chosen, m_available); });
    connect(m_available, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { MoveOne(item, m_chosen); });
    connect(m_chosen, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { MoveOne(item, m_available); });
    connect(ok, &QPushButton::clicked, this, &CDlgSignalSelect::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgSignalSelect::reject);
}

void CDlgSignalSelect::SetSelection(int count, const std::int32_t* channels) {
    m_nCount = 0;
    m_channels.fill(0);
    const int n = channels == nullptr ? 0 : std::clamp(count, 0, kMaxChosenSignals);
    for (int i = 0; i < n; ++i)
        m_channels[m_nCount++] = channels[i];
}

void CDlgSignalSelect::OnInitDialog() {
    m_available->clear();
    m_chosen->clear();
    std::vector<int> chosen;
    for (int i = 0; i < m_nCount; ++i) {
        const int channel = m_channels[i];
        if (channel < 0 || channel >= kFirstVirtualChannel)
            continue;
        chosen.push_back(channel);
        m_chosen->addItem(QString::fromStdString(FormatChannelName(channel)));
    }
    for (const int channel : AvailableSignalChannels(chosen))
        m_available->addItem(QString::fromStdString(FormatChannelName(channel)));
}

int CDlgSignalSelect::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgSignalSelect::MoveOne(QListWidgetItem* item, QListWidget* to) {
    if (item == nullptr)
        return;
    QListWidget* from = item->listWidget();
    to->addItem(from->takeItem(from->row(item)));
}

void CDlgSignalSelect::MoveSelected(QListWidget* from, QListWidget* to) {
    // In list order, whatever order the user selected them in.
    std::vector<QListWidgetItem*> items;
    for (int i = 0; i < from->count(); ++i) {
        if (from->item(i)->isSelected())
            items.push_back(from->item(i));
    }
    for (QListWidgetItem* item : items) {
        item->setSelected(false);
        MoveOne(item, to);
    }
}

void CDlgSignalSelect::accept() {
    if (m_chosen->count() == 0)
        return;
    std::vector<std::string> names;
    for (int i = 0; i < m_chosen->count(); ++i)
        names.push_back(m_chosen->item(i)->text().toStdString());
    const std::vector<int> channels = ChosenSignalChannels(names);
    m_channels.fill(0);
    std::copy(channels.begin(), channels.end(), m_channels.begin());
    m_nCount = static_cast<int>(channels.size());
    QDialog::accept();
}
