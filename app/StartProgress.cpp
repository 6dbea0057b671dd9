// The start-up progress state and its announcements.
#include "app/StartProgress.h"

template <typename F> void CStartProgressState::Change(F&& change) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        change(m_state);
    }
    const platform::HWND hWnd = m_hWnd.load();
    if (hWnd != 0) {
        platform::PostMessage(hWnd, WM_START_PROGRESS_CHANGED);
    }
}

StartProgressSnapshot CStartProgressState::TakeSnapshot() {
    std::lock_guard<std::mutex> lock(m_mutex);
    StartProgressSnapshot snapshot = m_state;
    m_state.raise = false;
    return snapshot;
}

void CStartProgressState::Begin() {
    m_bCancel.store(false);
    m_nFlag.store(0);
    m_bThirdFlag.store(false);
    Change([](StartProgressSnapshot& s) {
        s.caption = "进度提示";
        s.visible = true;
    });
}

void CStartProgressState::End() {
    Change([](StartProgressSnapshot& s) { s.visible = false; });
}

void CStartProgressState::SetText1(const std::string& text) {
    Change([&](StartProgressSnapshot& s) { s.line1.text = text; });
}

void CStartProgressState::SetRange1(int low, int high) {
    Change([&](StartProgressSnapshot& s) {
        s.line1.low = CutTo16Bits(low);
        s.line1.high = CutTo16Bits(high);
    });
}

void CStartProgressState::SetPos1(int pos) {
    Change([&](StartProgressSnapshot& s) {
        s.line1.pos = pos;
        s.visible = true;
        s.raise = true;
    });
}

void CStartProgressState::SetText2(const std::string& text) {
    Change([&](StartProgressSnapshot& s) { s.line2.text = text; });
}

void CStartProgressState::SetRange2(int low, int high) {
    Change([&](StartProgressSnapshot& s) {
        s.line2.low = CutTo16Bits(low);
        s.line2.high = CutTo16Bits(high);
    });
}

void CStartProgressState::SetPos2(int pos) {
    Change([&](StartProgressSnapshot& s) {
        s.line2.pos = pos;
        s.visible = true;
        s.raise = true;
    });
}

void CStartProgressState::Reset2() {
    Change([](StartProgressSnapshot& s) {
        s.line2.pos = 0;
        s.line2.text.clear();
    });
}

void CStartProgressState::Reset1() {
    Change([](StartProgressSnapshot& s) {
        s.line1.pos = 0;
        s.line1.text.clear();
    });
}

void CStartProgressState::SetCaption(const std::string& text) {
    Change([&](StartProgressSnapshot& s) { s.caption = text; });
}
