// The modal dialog "控制器网络参数": reads a connected controller's network
// parameters over its case link and writes them back in two blocks. The
// communication object hands each reply to the dialog as message 0x872.
#pragma once

#include "acquisition/ControllerNetParams.h"
#include "platform/Message.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class CCommBase;
class QComboBox;
class QLineEdit;
class QListWidget;

class CDlgControllerNetParam : public QDialog, public platform::MessageTarget {
    Q_OBJECT
public:
    static constexpr int kMaxControllers = 32;
    static constexpr platform::UINT kBlockMessage = 0x872;

    explicit CDlgControllerNetParam(QWidget* parent = nullptr);
    ~CDlgControllerNetParam() override;

    // At most 32 are kept.
    void SetControllerIpList(const std::vector<std::string>& addresses);
    void SetComm(CCommBase* comm) { m_pComm = comm; }
    int GetChanged() const { return m_bChanged; }

    void OnInitDialog();
    int exec() override;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

    // The controls' handlers.
    void OnSelectController(int row);
    void OnReadButton();
    void OnSet();

private:
    void ReadSelected();
    void ShowBlock();
    ControllerNetFields TakeFields() const;

    std::vector<std::string> m_controllers;
    CCommBase* m_pComm = nullptr;
    int m_nSelected = -1;
    std::string m_strSelected;
    int m_bReadOk = 0;
    int m_bChanged = 0;
    std::uint8_t m_block[kControllerBlockSize] = {};
    QListWidget* m_pList = nullptr;
    QLineEdit* m_pGateway = nullptr;
    QLineEdit* m_pMask = nullptr;
    QLineEdit* m_pMac = nullptr;
    QLineEdit* m_pAddress = nullptr;
    QLineEdit* m_pPort = nullptr;
    QLineEdit* m_pDestAddress = nullptr;
    QLineEdit* m_pDestPort = nullptr;
    QComboBox* m_pWorkMode = nullptr;
};
