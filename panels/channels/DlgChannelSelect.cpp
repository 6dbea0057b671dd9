// The channel check list of the key-point observation window.
#include "panels/channels/DlgChannelSelect.h"

#include "model/ChannelNaming.h"
#include "model/KeyPointDecimals.h"
#include "widgets/DialogControls.h"

#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

CDlgChannelSelect::CDlgChannelSelect(const std::vector<int>& channels,
                                     const std::vector<std::string>& virtualNames,
                                     const std::vector<int>& chosen, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("通道选择"));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1477));
    const auto add = [&](int channel, const std::string& name) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), m_pList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool checked = std::find(chosen.begin(), chosen.end(), channel) != chosen.end();
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        m_Entries.push_back(channel);
    };
    for (int channel : channels)
        add(channel, FormatChannelName(channel));
    for (std::size_t n = 0; n < virtualNames.size(); ++n)
        add(KEY_POINT_FIRST_VIRTUAL + int(n), virtualNames[n]);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pList);
    layout->addLayout(NewButtonRow({ok, cancel}));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgChannelSelect::accept() {
    m_Chosen.clear();
    for (int row = 0; row < m_pList->count(); ++row)
        if (m_pList->item(row)->checkState() == Qt::Checked)
            m_Chosen.push_back(m_Entries[std::size_t(row)]);
    QDialog::accept();
}
