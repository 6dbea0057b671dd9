// "光标编辑": what the data-edit command does at the cursors: a new value at
// a single cursor, or zeroing or deleting the samples between two cursors
// for the active channel or all channels.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QRadioButton;

class CCursorEditDlg : public QDialog {
public:
    explicit CCursorEditDlg(QWidget* parent = nullptr);

    // Set by the caller before InitDialog.
    int m_nCursorType = 0; // 1 single, 2 double; anything else disables every choice
    int m_nChannelId = 0;
    std::string m_strX;    // the position
    std::string m_strOldY; // the value there
    // Read by the caller after OK.
    float m_fNewValue = 0.0f;
    int m_nScope = 0;     // 0 the active channel, 1 all channels
    int m_nOperation = 0; // 0 zero, 1 delete
    bool m_bChanged = true;

    void InitDialog();
    // OK: reads the choices; false (the dialog stays) when the new value is no number.
    bool TryAccept();

    QLineEdit* NewValueEdit() const { return m_pNewValue; }
    QRadioButton* ZeroButton() const { return m_pZero; }
    QRadioButton* DeleteButton() const { return m_pDelete; }
    QRadioButton* ActiveScopeButton() const { return m_pActive; }
    QRadioButton* AllScopeButton() const { return m_pAll; }

private:
    QLineEdit* m_pNewValue = nullptr;
    QLineEdit* m_pX = nullptr;
    QLineEdit* m_pOldY = nullptr;
    QLabel* m_pChannel = nullptr;
    QRadioButton* m_pZero = nullptr;
    QRadioButton* m_pDelete = nullptr;
    QRadioButton* m_pActive = nullptr;
    QRadioButton* m_pAll = nullptr;
};
