// 手动设置: sets one output of the generator by hand, once or again at an
// interval. The generator is asked on a thread of the dialog's own: a silent
// generator keeps the answer waiting for seconds, never the window.
#pragma once

#include "platform/Message.h"

#include <QDialog>

#include <thread>

class CStrainSignalControl;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

class CDlgHandSetting : public QDialog, public platform::MessageTarget {
    Q_OBJECT
public:
    CDlgHandSetting(CStrainSignalControl& generator, QWidget* parent = nullptr);
    ~CDlgHandSetting() override;

    QComboBox* Channel() const { return m_pChannel; }
    QComboBox* ChanType() const { return m_pChanType; }
    QComboBox* Bridge() const { return m_pBridge; }
    QLineEdit* Value() const { return m_pValue; }
    QCheckBox* Repeat() const { return m_pRepeat; }
    QLineEdit* Interval() const { return m_pInterval; }
    QPushButton* SendButton() const { return m_pSend; }
    QTimer* RepeatTimer() const { return m_pTimer; }

    // 发送: checks the texts, sends the output and, once it is set, starts the repeat.
    void OnSend();
    // Whether a send waits for the generator's answer.
    bool IsSending() const { return m_sender.joinable(); }

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;
    // Closing ends the repeat; a send still waiting ends without a word.
    void done(int result) override;

private:
    void OnChanType(int index);
    void StartSend();
    void OnSent(bool set);
    void OnRepeat();

    CStrainSignalControl& m_generator;
    QComboBox* m_pChannel;
    QComboBox* m_pChanType;
    QComboBox* m_pBridge;
    QLineEdit* m_pValue;
    QCheckBox* m_pRepeat;
    QLineEdit* m_pInterval;
    QPushButton* m_pSend;
    QTimer* m_pTimer; // timer 1: the repeat
    // The output sent last, which the repeat sends again.
    int m_nChannel = 1;
    int m_nType = 0;
    int m_nMode = 0;
    int m_nValue = 0;
    int m_nRepeatMs = 0;  // the repeat's interval, 0 without one
    bool m_bClosed = false;
    std::thread m_sender; // the send waiting for its answer
};
