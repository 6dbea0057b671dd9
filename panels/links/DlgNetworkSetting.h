// The modal dialog "网络设置": finds the cases' Ethernet modules on the local
// network with the set-up protocol, reads one module's six values and writes
// them back. Its changed flag tells the opener to re-connect the cases.
#pragma once

#include "acquisition/NetworkModuleSetup.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class CDlgNetworkSetting : public QDialog {
    Q_OBJECT
public:
    explicit CDlgNetworkSetting(QWidget* parent = nullptr);
    ~CDlgNetworkSetting() override;

    // The socket's options (tests run the modules on this host).
    static NetworkModuleOptions& SocketOptions();

    int GetChanged() const { return m_bChanged; }
    // The help text's states 0 to 9.
    static QString StateText(int state, const std::string& hostIp = {}, int count = 0);
    QString GetHelpText() const;

    void OnInitDialog();
    int exec() override;
    void done(int result) override;

    void OnScan();
    void OnSelectDevice();
    void OnSet();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowState(int state, int count = 0);
    void EnableFields(bool enable);
    void ShowFieldHelp(int field);

    CNetworkModuleSetup m_setup;
    std::string m_strHostIp;
    std::string m_strSelected;
    int m_bChanged = 0;
    bool m_bClosed = false;
    QListWidget* m_pList = nullptr;
    QLineEdit* m_pFields[netmodule::kFieldCount] = {};
    QPushButton* m_pScan = nullptr;
    QPushButton* m_pSet = nullptr;
    QPlainTextEdit* m_pHelp = nullptr;
};
