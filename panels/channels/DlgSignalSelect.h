// The bar view's channel choice ("信号选择"): the offered channels on the
// left, the chosen ones on the right; after OK the caller takes the chosen
// table, ascending and at most 128 long.
#pragma once

#include "panels/channels/SignalSelection.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QListWidget;
class QListWidgetItem;

class CDlgSignalSelect : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSignalSelect(QWidget* parent = nullptr);

    // The chosen channels the dialog opens with (count entries of channels).
    void SetSelection(int count, const std::int32_t* channels);
    int GetCount() const { return m_nCount; }
    const std::array<std::int32_t, kMaxChosenSignals>& GetChannels() const { return m_channels; }

    // Fills both lists; exec() does it first.
    void OnInitDialog();
    int exec() override;

public slots:
    void accept() override;

private:
    void MoveSelected(QListWidget* from, QListWidget* to);
    void MoveOne(QListWidgetItem* item, QListWidget* to);

    int m_nCount = 0;
    std::array<std::int32_t, kMaxChosenSignals> m_channels{};
    QListWidget* m_available = nullptr;
    QListWidget* m_chosen = nullptr;
};
