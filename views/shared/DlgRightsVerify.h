// "权限验证": asks for the operation code before a guarded operation runs;
// OK stays disabled until the typed text equals the code byte for byte.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

class CDlgRightsVerify : public QDialog {
public:
    explicit CDlgRightsVerify(QWidget* parent = nullptr);

    void SetVerifyCode(const std::string& code) { m_strCode = code; }
    // Whether "取消反复验证提示" was ticked at OK.
    bool GetNoRepeatPrompt() const { return m_bNoRepeat; }

    QLineEdit* CodeEdit() const { return m_pCode; }
    QCheckBox* NoRepeatBox() const { return m_pNoRepeat; }
    QPushButton* OkButton() const { return m_pOk; }

private:
    std::string m_strCode;
    bool m_bNoRepeat = false;
    QLineEdit* m_pCode = nullptr;
    QCheckBox* m_pNoRepeat = nullptr;
    QPushButton* m_pOk = nullptr;
};
