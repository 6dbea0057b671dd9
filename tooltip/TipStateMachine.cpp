// The tip window's state machine.
#include "tooltip/TipStateMachine.h"

#include <algorithm>

void CTipStateMachine::SetTipDelay(int which, int ms) {
    switch (which) {
    case 2:
        m_nAutoHide = ms;
        break;
    case 3:
        m_nShowDelay = ms;
        break;
    case 4:
        m_nFadeIn = ms;
        break;
    case 5:
        m_nFadeOut = ms;
        break;
    case 6:
        m_host.KillTimer(kAnimation);
        if (ms != 0)
            m_host.StartTimer(kAnimation, ms);
        break;
    default:
        break;
    }
}

void CTipStateMachine::ShowRecordAtPoint(TipPoint point, TipToolInfo record) {
    m_lastCursor = point;
    record.flags = m_nDefaultFlags | kNoAutoHide;
    record.mask = 0x10; // only the flags are the record's own
    QueueTip(0, record, false, 1);
}

TipToolInfo CTipStateMachine::Completed(TipToolInfo record) const {
    if ((record.mask & 0x10) == 0)
        record.flags = m_nDefaultFlags;
    if ((record.mask & 0x20) == 0)
        record.transparency = m_nDefaultTransparency;
    return record;
}

void CTipStateMachine::QueueTip(int toolWindow, const TipToolInfo& record, bool delayed, int mode) {
    m_bPendingShow = false;
    if (m_nState == 1 || m_nState == 2)
        BeginHide();
    m_nNextMode = mode;
    m_nNextWnd = toolWindow;
    m_nextTip = record;
    if (m_nState == 0) {
        if (delayed && m_nShowDelay != 0)
            m_host.StartTimer(kShow, m_nShowDelay);
        else
            OnTimer(kShow);
    } else {
        // A fade-out is running: the new tip waits for its end.
        m_bPendingShow = true;
        m_bPendingDelayed = delayed && m_nShowDelay != 0;
    }
}

void CTipStateMachine::BeginHide() {
    if (m_nState == 1) {
        m_host.KillTimer(kFadeIn);
        OnTimer(kAutoHide);
    } else if (m_nState == 2) {
        OnTimer(kAutoHide);
    }
}

void CTipStateMachine::RestartAutoHide() {
    if (m_nAutoHide != 0 && (m_currentTip.flags & kNoAutoHide) == 0)
        m_host.StartTimer(kAutoHide, m_nAutoHide);
}

void CTipStateMachine::ForgetToolIfAsked() {
    if (m_currentTip.flags & kForgetTool)
        m_nCurrentWnd = 0;
}

void CTipStateMachine::HideNow() {
    m_nState = 0;
    m_nCurrentMode = m_nNextMode = 0;
    for (const int id : {kShow, kAutoHide, kFadeIn, kFadeOut})
        m_host.KillTimer(id);
    if (m_host.IsTipWindowVisible()) {
        ForgetToolIfAsked();
        m_host.HideTipWindow();
    }
}

void CTipStateMachine::OnTimer(int id) {
    switch (id) {
    case kShow: {
        m_host.KillTimer(kShow);
        const TipPoint cursor = m_nNextMode == 1 ? m_lastCursor : m_host.GetCursorPos();
        if (!(cursor == m_lastCursor)) {
            BeginHide(); // the cursor moved away before the delay ended
            return;
        }
        if (m_nState != 0)
            return;
        m_nState = 1;
        m_nextTip = Completed(m_nextTip);
        m_currentTip = m_nextTip;
        m_nCurrentWnd = m_nNextWnd;
        m_nCurrentMode = m_nNextMode;
        m_nCurTransparency = m_nFadeIn != 0 ? 100 : m_currentTip.transparency;
        m_host.ShowTipWindow(m_lastCursor, m_nCurTransparency);
        if (m_nFadeIn != 0) {
            m_host.StartTimer(kFadeIn, m_nFadeIn);
            return;
        }
        m_nState = 2;
        if ((m_nextTip.flags & kNoAutoHide) == 0 && m_nAutoHide != 0)
            m_host.StartTimer(kAutoHide, m_nAutoHide);
        break;
    }
    case kAutoHide:
        for (const int timer : {kShow, kFadeIn, kAutoHide})
            m_host.KillTimer(timer);
        if (m_nState == 3)
            return;
        m_nState = 3;
        if (m_nFadeOut != 0) {
            m_host.StartTimer(kFadeOut, m_nFadeOut);
        } else {
            m_nCurTransparency = 100;
            OnTimer(kFadeOut);
        }
        break;
    case kFadeIn:
        m_nCurTransparency = m_nCurTransparency <= 20 ? 0 : m_nCurTransparency - 20;
        if (m_nCurTransparency <= m_currentTip.transparency) {
            m_host.KillTimer(kFadeIn);
            m_nCurTransparency = m_currentTip.transparency;
            m_nState = 2;
            RestartAutoHide();
        }
        m_host.RepaintTip(m_nCurTransparency);
        break;
    case kFadeOut:
        m_nCurTransparency = m_nCurTransparency < 80 ? m_nCurTransparency + 20 : 100;
        if (m_nCurTransparency >= 100) {
            m_host.KillTimer(kFadeOut);
            ForgetToolIfAsked();
            m_host.HideTipWindow();
            m_nState = 0;
            if (m_bPendingShow) {
                m_bPendingShow = false;
                if (m_bPendingDelayed)
                    m_host.StartTimer(kShow, m_nShowDelay);
                else
                    OnTimer(kShow);
            } else {
                m_nCurrentMode = m_nNextMode = 0;
            }
        } else {
            m_host.RepaintTip(m_nCurTransparency);
        }
        break;
    case kAnimation:
        if (m_host.IsTipWindowVisible() && m_nState == 2 && m_host.AdvanceAnimations())
            m_host.RepaintTip(m_nCurTransparency);
        break;
    default:
        break;
    }
}

void CTipStateMachine::OnMouseMove(TipPoint point, bool overTip) {
    if (m_nCurrentMode == 1 || m_nNextMode == 1 || point == m_lastCursor)
        return;
    m_lastCursor = point;
    const unsigned flags = m_currentTip.flags;
    if (overTip && (flags & kFollow) == 0) {
        if (flags & kKeepOverTip)
            RestartAutoHide();
        else
            BeginHide();
        return;
    }
    TipToolInfo record;
    const int window = m_host.FindTool(point, &record);
    if (window == 0) {
        m_nCurrentWnd = 0;
        m_host.KillTimer(kShow);
        BeginHide();
        return;
    }
    if (window == m_nCurrentWnd && record.rcTool == m_currentTip.rcTool) {
        if (flags & kFollow) {
            RestartAutoHide();
            m_host.MoveTipTo(point);
            return;
        }
        if (flags & kKeepInTool) {
            RestartAutoHide();
            return;
        }
        if ((flags & kForgetTool) == 0) {
            BeginHide();
            return;
        }
    }
    QueueTip(window, record, true, 0);
}
