// 应变仪通讯设置: the generator's serial port and rate.
#pragma once

#include <QDialog>

#include <vector>

class QComboBox;

class CDlgSetCom : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultBaud = 19200;

    CDlgSetCom(const std::vector<int>& ports, int port, int baud, QWidget* parent = nullptr);

    QComboBox* Ports() const { return m_pPorts; }
    QComboBox* Bauds() const { return m_pBauds; }
    int Port() const { return m_nPort; }
    int Baud() const { return m_nBaud; }

    // OK: both chosen, else the message and the dialog stays.
    void accept() override;

private:
    QComboBox* m_pPorts;
    QComboBox* m_pBauds;
    int m_nPort;
    int m_nBaud;
};
