// The modal dialog "端口设置": the interface through which the program reaches
// the instrument (USB, serial, network) and, for the serial interface, the
// COM port and the baud rate.
#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QRadioButton;

class CDlgPortSetting : public QDialog {
    Q_OBJECT
public:
    explicit CDlgPortSetting(QWidget* parent = nullptr);

    // Set by the opener before the dialog runs, read back after OK.
    int m_nComPort = 1;
    int m_nBaudRate = 4800;
    int m_nInterfaceMode = 1; // 0 USB, 1 serial, 2 network
    int m_nDeviceType = 0;    // read only

    void OnInitDialog();
    int exec() override;
    void accept() override;
    void OnInterfaceClicked(int mode);

private:
    void EnableSerial(bool enable);

    QButtonGroup* m_pInterface = nullptr;
    QButtonGroup* m_pBaud = nullptr;
    QComboBox* m_pComPort = nullptr;
};
