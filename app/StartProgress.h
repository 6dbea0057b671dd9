// The progress interface of the start-up progress window, and the state
// behind it that any thread may update: every change is kept under a lock
// and announced to the window by a posted message, so a worker never waits
// for the user-interface thread and the window repaints while work runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/Message.h"

class IStartProgress {
public:
    virtual ~IStartProgress() = default;
    virtual bool IsCancelled() const = 0;
    virtual void Begin() = 0;
    virtual void End() = 0;
    virtual void SetText1(const std::string& text) = 0;
    virtual void SetRange1(int low, int high) = 0;
    virtual void SetPos1(int pos) = 0;
    virtual void SetText2(const std::string& text) = 0;
    virtual void SetRange2(int low, int high) = 0;
    virtual void SetPos2(int pos) = 0;
    virtual void Reset2() = 0;
    virtual void Reset1() = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetFlag(std::uint8_t flag) = 0;
};

// Posted to the window whenever the state changed.
constexpr platform::UINT WM_START_PROGRESS_CHANGED = platform::WM_USER + 0x600;

struct StartProgressLine {
    std::string text;
    int low = 0;
    int high = 100;
    int pos = 0;
};

struct StartProgressSnapshot {
    std::string caption = "提示";
    StartProgressLine line1;
    StartProgressLine line2;
    bool visible = false;
    bool raise = false; // a position update asks the window to come to the top
};

class CStartProgressState : public IStartProgress {
public:
    // The window that repaints on WM_START_PROGRESS_CHANGED (0: none yet).
    void SetWindow(platform::HWND hWnd) { m_hWnd.store(hWnd); }
    StartProgressSnapshot TakeSnapshot();

    bool IsCancelled() const override { return m_bCancel.load(); }
    void Begin() override;
    void End() override;
    void SetText1(const std::string& text) override;
    void SetRange1(int low, int high) override;
    void SetPos1(int pos) override;
    void SetText2(const std::string& text) override;
    void SetRange2(int low, int high) override;
    void SetPos2(int pos) override;
    void Reset2() override;
    void Reset1() override;
    void SetCaption(const std::string& text) override;
    void SetFlag(std::uint8_t flag) override { m_nFlag.store(flag); }
    std::uint8_t GetFlag() const { return m_nFlag.load(); }

    // The progress-bar range message keeps the low 16 bits of each bound.
    static int CutTo16Bits(int value) { return static_cast<std::uint16_t>(value); }

private:
    template <typename F> void Change(F&& change);

    std::mutex m_mutex; // guards m_state
    StartProgressSnapshot m_state;
    std::atomic<platform::HWND> m_hWnd{0};
    std::atomic<bool> m_bCancel{false};
    std::atomic<std::uint8_t> m_nFlag{0};
    std::atomic<bool> m_bThirdFlag{false};
};
