// The modal dialog "模块分组配置": a PAN id and a target address given to the
// ticked online cases, one case every 100 ms, through the main frame.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

class CDlgModuleGroup : public QDialog {
    Q_OBJECT
public:
    // (case number, PAN id, target address)
    using SendFn = std::function<void(int, const std::string&, const std::string&)>;

    CDlgModuleGroup(std::vector<int> onlineCases, SendFn send, QWidget* parent = nullptr);

    void OnInitDialog();
    int exec() override;
    void OnSet();

private:
    std::vector<int> m_cases;
    SendFn m_send;
    QLineEdit* m_pPanId = nullptr;
    QLineEdit* m_pTarget = nullptr;
    QListWidget* m_pList = nullptr;
    QPushButton* m_pSet = nullptr;
};
