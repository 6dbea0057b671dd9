// The modal dialog "联机设置": the controlling station's address, its
// communication port and the port the acquisition side listens on.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

class CDlgOnlineSetting : public QDialog {
    Q_OBJECT
public:
    explicit CDlgOnlineSetting(QWidget* parent = nullptr);

    std::string m_strControlIp;
    int m_nControlPort = 0;
    int m_nListenPort = 0;

    // The address as the address control shows it: four octets 0-255, else 0.0.0.0.
    static std::string ShownAddress(const std::string& text);

    void OnInitDialog();
    int exec() override;
    void accept() override;

private:
    QLineEdit* m_pAddress = nullptr;
    QLineEdit* m_pControlPort = nullptr;
    QLineEdit* m_pListenPort = nullptr;
};
