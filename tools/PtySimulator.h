// The base of the simulated serial peers: a pseudo-terminal whose slave
// path the program opens as its COM port, and one thread that plays the
// peer on the master side until Stop.
#pragma once

#include "platform/PseudoTerminal.h"

#include <atomic>
#include <string>
#include <thread>

class CPtySimulator {
public:
    CPtySimulator() = default;
    // A derived simulator calls Stop in its own destructor, before its
    // members go.
    virtual ~CPtySimulator() = default;
    CPtySimulator(const CPtySimulator&) = delete;
    CPtySimulator& operator=(const CPtySimulator&) = delete;

    bool Start() {
        Stop();
        if (!m_pty.Open())
            return false;
        m_bStop = false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    void Stop() {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        m_pty.Close();
    }
    const std::string& SlavePath() const { return m_pty.SlavePath(); }

protected:
    // The peer's loop; it returns soon after Stopping turns true.
    virtual void Run() = 0;
    bool Stopping() const { return m_bStop.load(); }

    platform::PseudoTerminal m_pty;

private:
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
};
