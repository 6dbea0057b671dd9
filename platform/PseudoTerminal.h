// A pseudo-terminal pair for tests of serial links: our side is the master,
// the code under test opens the slave path as its serial port.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { Close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair with the slave in raw mode, so that bytes pass
    // unchanged.
    bool Open();
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    int MasterHandle() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Bytes read on the master side (0 when none came within the time), -1 on failure.
    int Read(void* buffer, std::size_t length, int timeoutMs);
    // Reads until length bytes came or the time ran out; the count read.
    std::size_t ReadExactly(void* buffer, std::size_t length, int timeoutMs);
    bool Write(const void* data, std::size_t length);

private:
    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the slave side alive between opens
    std::string m_slavePath;
};

} // namespace platform
