// The spectrum window's channel-selection dialog.
#include "libs/spectrum/SpectrumChannelDialog.h"

#include "libs/spectrum/SpectrumChannels.h"
#include "platform/MessageBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

CSpectrumChannelDialog::CSpectrumChannelDialog(const std::vector<int>& selection, QWidget* parent)
    : QDialog(parent), m_pAvailable(new QListWidget(this)), m_pChosen(new QListWidget(this)) {
    setObjectName("8002");
    setWindowTitle(QStringLiteral("信号选择"));
    m_pAvailable->setObjectName("8002");
    m_pChosen->setObjectName("8003");
    for (QListWidget* list : {m_pAvailable, m_pChosen})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* add = new QPushButton(QStringLiteral(">>"), this);
    auto* remove = new QPushButton(QStringLiteral("<<"), this);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* quit = new QPushButton(QStringLiteral("退出"), this);
    add->setObjectName("8004");
    remove->setObjectName("8005");
    ok->setObjectName("IDOK");
    quit->setObjectName("IDCANCEL");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("可选通道"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("已选通道"), this), 0, 2);
    layout->addWidget(m_pAvailable, 1, 0, 4, 1);
    layout->addWidget(add, 1, 1);
    layout->addWidget(remove, 2, 1);
    layout->addWidget(m_pChosen, 1, 2, 4, 1);
    layout->addWidget(ok, 5, 1);
    layout->addWidget(quit, 5, 2);
    connect(add, &QPushButton::clicked, this, &CSpectrumChannelDialog::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CSpectrumChannelDialog::OnRemove);
    connect(ok, &QPushButton::clicked, this, &CSpectrumChannelDialog::accept);
    connect(quit, &QPushButton::clicked, this, &CSpectrumChannelDialog::reject);
    // The item moves once the list has finished with its double-click.
    for (QListWidget* list : {m_pAvailable, m_pChosen}) {
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list](QListWidgetItem* item) {
            const int row = list->row(item);
            QMetaObject::invokeMethod(
                this, [this, list, row] { MoveRow(list, row); }, Qt::QueuedConnection);
        });
    }

    for (int channel : selection)
        m_pChosen->addItem(QString::fromStdString(lurrow::FormatChannelName(channel)));
    for (int channel : lurrow::Tables().channelIds) {
        if (std::find(selection.begin(), selection.end(), channel) == selection.end())
            m_pAvailable->addItem(QString::fromStdString(lurrow::FormatChannelName(channel)));
    }
}

void CSpectrumChannelDialog::Move(QListWidget* from, QListWidget* to) {
    for (QListWidgetItem* item : from->selectedItems())
        to->addItem(item->text());
    // Every text now in the target leaves the source.
    for (int row = from->count() - 1; row >= 0; --row) {
        if (!to->findItems(from->item(row)->text(), Qt::MatchExactly).isEmpty())
            delete from->takeItem(row);
    }
}

void CSpectrumChannelDialog::OnAdd() {
    Move(m_pAvailable, m_pChosen);
}

void CSpectrumChannelDialog::OnRemove() {
    Move(m_pChosen, m_pAvailable);
}

void CSpectrumChannelDialog::MoveRow(QListWidget* from, int row) {
    if (row < 0 || row >= from->count())
        return;
    QListWidget* to = from == m_pAvailable ? m_pChosen : m_pAvailable;
    QListWidgetItem* item = from->takeItem(row);
    to->addItem(item->text());
    delete item;
}

void CSpectrumChannelDialog::accept() {
    if (m_pChosen->count() == 0) {
        platform::MessageBox("未选择要保存的通道，无法进行保存！", "通道选择", platform::MB_ICONSTOP);
        return;
    }
    m_Selection.clear();
    for (int row = 0; row < m_pChosen->count(); ++row) {
        const int channel = lurrow::ParseChannelName(m_pChosen->item(row)->text().toStdString());
        if (channel >= 0 && channel < lurrow::kMaxChannels)
            m_Selection.push_back(channel);
    }
    QDialog::accept();
}
