// The distribution curves' choice of stored samples ("分布显示设置"): every
// stored sample with its time on the left, up to four chosen ones on the
// right; after OK the caller takes the count and the 0-based sample indices
// in the order they were chosen.
#pragma once

#include "datafiles/BatchSelection.h"

#include <QDialog>

#include <string>

class QTreeWidget;
class QTreeWidgetItem;

class CDlgDistributionBatch : public QDialog {
    Q_OBJECT
public:
    // The run's status file (".stu", the one the readers use) and the number
    // of stored samples.
    CDlgDistributionBatch(const std::string& statusPath, int storedCount, QWidget* parent = nullptr);

    int GetBatchCount() const { return m_choice.GetCount(); }
    const std::array<std::int32_t, kMaxDistributionBatches>& GetBatchIndices() const {
        return m_choice.GetIndices();
    }

    // Lists the stored samples; exec() does it first.
    void OnInitDialog();
    int exec() override;

public slots:
    void accept() override;

private:
    void AddBatch(QTreeWidgetItem* item);
    void RemoveBatch(QTreeWidgetItem* item);

    std::string m_strStatusPath;
    int m_nStoredCount;
    CBatchChoice m_choice;
    QTreeWidget* m_batches = nullptr; // 1095
    QTreeWidget* m_chosen = nullptr;  // 1097
};
