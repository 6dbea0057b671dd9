// The modal dialog "控制器机号设置": gives each connected controller a fixed
// machine number, kept in "MapCfg.ini", so that its cases keep their numbers
// whatever order the controllers connect in.
#pragma once

#include "acquisition/ControllerMapping.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QListWidget;

class CDlgControllerMap : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxControllers = 32;

    // The mapping file: "MapCfg.ini" in the program folder.
    CDlgControllerMap(const std::string& programFolder, QWidget* parent = nullptr);

    // At most 32 are kept.
    void SetControllerList(const std::vector<std::string>& addresses);
    int GetChanged() const { return m_bChanged; }

    void OnInitDialog();
    int exec() override;
    void done(int result) override;

    // The controls' handlers, as the dialog's signals run them.
    void OnSelectController(int row);
    void OnChooseMachine(int index);
    void OnSet();
    void OnAutoSet();

private:
    void RefreshList();

    std::vector<std::string> m_controllers;
    CControllerMapping m_mapping;
    int m_nSelected = 0;
    int m_bChanged = 0;
    bool m_bFilling = false;
    QListWidget* m_pList = nullptr;
    QComboBox* m_pMachine = nullptr;
};
