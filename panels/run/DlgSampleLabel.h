// The "采样标签编辑" dialog of the add-mark command: the user types the text
// of the mark and the dialog hands it to the main frame with the window
// message 0x8E1 (wParam: pointer to the text, valid during the send; an
// empty text when cancelled), then closes.
#pragma once

#include "platform/Message.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;
class CRoundButton;

constexpr platform::UINT WM_SAMPLE_LABEL_TEXT = 0x8E1;

class CDlgSampleLabel : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSampleLabel(QWidget* parent = nullptr);

    // Where the text goes (the main frame).
    void SetTarget(platform::HWND target) { m_hTarget = target; }
    // Empties the text before the dialog is shown.
    void ClearLabel();
    std::string GetLabel() const;

public slots:
    void accept() override;
    void reject() override;

private:
    void Deliver(const std::string& text);

    platform::HWND m_hTarget = 0;
    QPlainTextEdit* m_edit = nullptr; // 1484
};
