// The tip window's states (hidden, appearing, shown, disappearing) and its
// timers: show delay 256, auto-hide 257, fade-in 258, fade-out 259,
// animation 260. A plain class: the window starts and kills real timers and
// shows and paints through the host; tests step the timers by hand.
#pragma once

#include "tooltip/TipTypes.h"

#include <string>

class ITipStateHost {
public:
    virtual ~ITipStateHost() = default;
    virtual void StartTimer(int id, int ms) = 0;
    virtual void KillTimer(int id) = 0;
    // Lays out the next tip and shows it at the point (a tip without text stays off the screen).
    virtual void ShowTipWindow(TipPoint point, int transparency) = 0;
    virtual void HideTipWindow() = 0;
    virtual bool IsTipWindowVisible() const = 0;
    virtual void RepaintTip(int transparency) = 0;
    virtual TipPoint GetCursorPos() const = 0;
    virtual bool AdvanceAnimations() = 0;
    // The tool under a screen point: its window (0 none) and its record.
    virtual int FindTool(TipPoint screen, struct TipToolInfo* record) = 0;
    // Moves the shown tip, unchanged in size, to the point.
    virtual void MoveTipTo(TipPoint screen) = 0;
};

struct TipToolInfo {
    unsigned id = 0;
    TipRect rcTool; // in its window's client co-ordinates
    std::string text;
    unsigned mask = 0; // 0x10: flags are the record's own; 0x20: transparency
    unsigned flags = 0;
    int transparency = 0;
};

class CTipStateMachine {
public:
    enum Timer { kShow = 256, kAutoHide = 257, kFadeIn = 258, kFadeOut = 259, kAnimation = 260 };
    enum Flag {
        kForgetTool = 0x01,
        kFollow = 0x02,
        kKeepInTool = 0x04,
        kKeepOverTip = 0x08,
        kNoAutoHide = 0x10
    };

    explicit CTipStateMachine(ITipStateHost& host) : m_host(host) {}

    // The tip shows at once at the point and stays until hidden.
    void ShowRecordAtPoint(TipPoint point, TipToolInfo record);
    // A record's unset fields take the defaults.
    TipToolInfo Completed(TipToolInfo record) const;
    void QueueTip(int toolWindow, const TipToolInfo& record, bool delayed, int mode);
    void HideNow();
    void OnTimer(int id);

    // Relayed input: a move of the cursor (screen point; over the tip or
    // not), a button-down, a key or a wheel turn, the application's deactivation.
    void OnMouseMove(TipPoint point, bool overTip);
    void OnButtonDown() { HideNow(); }

    // which: 2 auto-hide, 3 show delay, 4 fade-in step, 5 fade-out step, 6 animation period.
    void SetTipDelay(int which, int ms);
    void SetDefaultFlags(unsigned flags) { m_nDefaultFlags = flags; }
    void SetDefaultTransparency(int transparency) { m_nDefaultTransparency = transparency; }

    int GetState() const { return m_nState; }
    int GetTransparency() const { return m_nCurTransparency; }
    const TipToolInfo& GetNextTip() const { return m_nextTip; }
    const TipToolInfo& GetCurrentTip() const { return m_currentTip; }
    int GetCurrentTool() const { return m_nCurrentWnd; }
    int GetCurrentMode() const { return m_nCurrentMode; }

private:
    void BeginHide();
    void RestartAutoHide();
    void ForgetToolIfAsked();

    ITipStateHost& m_host;
    int m_nState = 0;
    int m_nCurTransparency = 0;
    bool m_bPendingShow = false;
    bool m_bPendingDelayed = false;
    TipToolInfo m_currentTip;
    TipToolInfo m_nextTip;
    int m_nCurrentWnd = 0;
    int m_nNextWnd = 0;
    int m_nCurrentMode = 0;
    int m_nNextMode = 0;
    TipPoint m_lastCursor;
    int m_nAutoHide = 5000;
    int m_nShowDelay = 500;
    int m_nFadeIn = 0;
    int m_nFadeOut = 0;
    unsigned m_nDefaultFlags = 0;
    int m_nDefaultTransparency = 0;
};
