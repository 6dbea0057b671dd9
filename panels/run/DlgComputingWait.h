// The box "正在进行计算，请稍候......" that the main frame shows while the
// results of a finished run are computed.
#pragma once

#include <QDialog>

class CDlgComputingWait : public QDialog {
    Q_OBJECT
public:
    explicit CDlgComputingWait(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};
