// Choice of the distribution batches: the stored samples, adding and removing.
#include "panels/run/DlgDistributionBatch.h"

#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <vector>

namespace {

QTreeWidget* NewList(const char* name, const char* first, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setColumnCount(2);
    list->setHeaderLabels({QString::fromUtf8(first), QString::fromUtf8("采集时间")});
    return list;
}

} // namespace

CDlgDistributionBatch::CDlgDistributionBatch(const std::string& statusPath, int storedCount, QWidget* parent)
    : QDialog(parent), m_strStatusPath(statusPath), m_nStoredCount(storedCount) {
    setWindowTitle(QString::fromUtf8("分布显示设置"));
    m_batches = NewList("batches", "采集批次", this);
    m_chosen = NewList("chosenBatches", "已选批次", this);
    QPushButton* ok = NewDialogButton("确定(&O)", "ok", this);
    QPushButton* cancel = NewDialogButton("取消(&C)", "cancel", this);
    ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("当前项目存在批次数"), this), 0, 0);
    layout->addWidget(new QLabel(QString::fromUtf8("已选批次 "), this), 0, 1);
    layout->addWidget(m_batches, 1, 0);
    layout->addWidget(m_chosen, 1, 1);
    layout->addWidget(ok, 2, 0);
    layout->addWidget(cancel, 2, 1);

    connect(m_batches, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { AddBatch(item); });
    connect(m_chosen, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { RemoveBatch(item); });
    connect(ok, &QPushButton::clicked, this, &CDlgDistributionBatch::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgDistributionBatch::reject);
}

void CDlgDistributionBatch::OnInitDialog() {
    m_batches->clear();
    const std::vector<std::string> times = ReadBatchTimeTexts(m_strStatusPath, m_nStoredCount);
    for (std::size_t i = 0; i < times.size(); ++i) {
        m_batches->addTopLevelItem(new QTreeWidgetItem(
            {QString::number(static_cast<int>(i) + 1), QString::fromStdString(times[i])}));
    }
}

int CDlgDistributionBatch::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgDistributionBatch::AddBatch(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    if (!m_choice.Add(m_batches->indexOfTopLevelItem(item))) {
        platform::MessageBox("选择的批次不能>4个!", g_strAppTitle);
        return;
    }
    m_chosen->addTopLevelItem(new QTreeWidgetItem({item->text(0), item->text(1)}));
}

void CDlgDistributionBatch::RemoveBatch(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    const int place = m_chosen->indexOfTopLevelItem(item);
    m_choice.RemoveAt(place);
    delete m_chosen->takeTopLevelItem(place);
}

void CDlgDistributionBatch::accept() {
    if (m_choice.GetCount() == 0) {
        platform::MessageBox("请至少选一个批次! ", g_strAppTitle);
        return;
    }
    QDialog::accept();
}
