// "安全权限设置": the entry code, the operation code and the flags of the
// operator-rights record, edited on a copy the frame takes back after OK.
#pragma once

#include <QDialog>

#include "model/OperatorRights.h"

class QCheckBox;
class QLineEdit;

class CDlgSecurityRights : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSecurityRights(QWidget* parent = nullptr);

    void SetRights(const COperatorRights& rights);
    // The seven fields after OK.
    void GetRights(COperatorRights& rights) const;

    void OnInitDialog();
    int exec() override;
    void accept() override;

private:
    COperatorRights m_Rights; // the copy the dialog edits

    QLineEdit* m_pSettingCode = nullptr;
    QLineEdit* m_pOperationCode = nullptr;
    QCheckBox* m_pChannelLocked = nullptr;
    QCheckBox* m_pSampleBarLocked = nullptr;
    QCheckBox* m_pStopGuarded = nullptr;
    QCheckBox* m_pZeroGuarded = nullptr;
    QCheckBox* m_pRestorePrompts = nullptr;
};
