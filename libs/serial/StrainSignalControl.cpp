// The generator link: one request, one checked reply, under the object's lock.
#include "libs/serial/StrainSignalControl.h"

#include "libs/serial/StrainSignalFrames.h"
#include "libs/serial/ThreadedSerialPort.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

using strainsignal::Bytes;
using strainsignal::Frame;
using strainsignal::FrameKind;

namespace {
constexpr std::size_t kReceiveLimit = 32768; // bytes waiting to be scanned
}

struct CStrainSignalControl::Worker {
    std::atomic<int> nRefs{1};
    std::mutex queryMutex; // serialises the operations: one request and its reply at a time
    CThreadedSerialPort port;
    bool bPortOpen = false; // written and read under queryMutex

    std::mutex rxMutex; // guards scanner, the bytes received for the pending query
    std::condition_variable rxArrived;
    strainsignal::FrameScanner scanner{strainsignal::FrameScanner::Replies};

    static void OnReceive(void* user, const std::uint8_t* bytes, std::uint32_t count) {
        auto* self = static_cast<Worker*>(user);
        {
            std::lock_guard<std::mutex> lock(self->rxMutex);
            if (self->scanner.Pending() + count > kReceiveLimit)
                return; // dropped, as a reply larger than the buffer is
            self->scanner.Append(bytes, count);
        }
        self->rxArrived.notify_all();
    }

    void ClosePort() {
        try {
            port.Close();
        } catch (...) {
        }
        bPortOpen = false;
    }

    // Sends the request and waits for a whole reply of the kind; replies of
    // other kinds (late answers to earlier queries) and noise are skipped.
    // True with the reply when it came in time and its check holds.
    bool Query(const Bytes& request, FrameKind kind, int waitMs, Frame& reply) {
        if (!bPortOpen || request.empty())
            return false;
        {
            std::lock_guard<std::mutex> lock(rxMutex);
            scanner.Clear();
        }
        try {
            if (port.Write(request.data(), static_cast<std::uint32_t>(request.size())) != request.size())
                return false;
        } catch (...) {
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        std::unique_lock<std::mutex> lock(rxMutex);
        for (;;) {
            Frame frame;
            while (scanner.Next(frame))
                if (frame.kind == kind) {
                    reply = std::move(frame);
                    return reply.checkOk;
                }
            if (rxArrived.wait_until(lock, deadline) == std::cv_status::timeout) {
                while (scanner.Next(frame))
                    if (frame.kind == kind) {
                        reply = std::move(frame);
                        return reply.checkOk;
                    }
                return false;
            }
        }
    }
};

CStrainSignalControl::CStrainSignalControl() : m_pWorker(new Worker) {}

CStrainSignalControl::CStrainSignalControl(const CStrainSignalControl& other) : m_pWorker(other.m_pWorker) {
    ++m_pWorker->nRefs;
}

CStrainSignalControl& CStrainSignalControl::operator=(const CStrainSignalControl& other) {
    if (m_pWorker != other.m_pWorker) {
        ++other.m_pWorker->nRefs;
        Release();
        m_pWorker = other.m_pWorker;
    }
    return *this;
}

CStrainSignalControl::~CStrainSignalControl() {
    Release();
}

void CStrainSignalControl::Release() {
    if (--m_pWorker->nRefs == 0) {
        {
            std::lock_guard<std::mutex> lock(m_pWorker->queryMutex);
            m_pWorker->ClosePort();
        }
        delete m_pWorker;
    }
    m_pWorker = nullptr;
}

int CStrainSignalControl::InitializeDeviceInterface(int nPort, int nBaud) {
    Worker& w = *m_pWorker;
    std::lock_guard<std::mutex> lock(w.queryMutex);
    w.ClosePort();
    try {
        w.port.SetReceiveCallback(&Worker::OnReceive, &w);
        if (!w.port.Open(nPort, 2, static_cast<std::uint32_t>(nBaud), CSerialPort::NoParity, 8,
                         CSerialPort::OneStopBit, CSerialPort::NoFlowControl))
            return 0;
    } catch (...) {
        return 0;
    }
    w.bPortOpen = true;
    return 1;
}

int CStrainSignalControl::RemoveDeviceInterface() {
    std::lock_guard<std::mutex> lock(m_pWorker->queryMutex);
    m_pWorker->ClosePort();
    return 1;
}

int CStrainSignalControl::FindMachine(int& nId) {
    std::lock_guard<std::mutex> lock(m_pWorker->queryMutex);
    Frame reply;
    if (!m_pWorker->Query(strainsignal::PresenceRequest(), FrameKind::Presence, kPresenceWaitMs, reply))
        return 0;
    nId = reply.bytes[8];
    return 1;
}

int CStrainSignalControl::GetBattery(int& nLevel) {
    std::lock_guard<std::mutex> lock(m_pWorker->queryMutex);
    Frame reply;
    if (!m_pWorker->Query(strainsignal::BatteryRequest(), FrameKind::Battery, kBatteryWaitMs, reply))
        return 0;
    nLevel = reply.bytes[9];
    return 1;
}

int CStrainSignalControl::SetStrainValue(int nChannel, int nType, int nMode, int nValue) {
    const Bytes request = strainsignal::SetValueRequest(nChannel, nType, nMode, nValue);
    if (request.empty())
        return 0;
    std::lock_guard<std::mutex> lock(m_pWorker->queryMutex);
    Frame reply;
    if (!m_pWorker->Query(request, FrameKind::SetValue, kSetValueWaitMs, reply))
        return 0;
    // Byte 8 is always 1 in this reply; the generator's result is byte 9.
    return reply.bytes[8] == 1 && reply.bytes[9] == 1 ? 1 : 0;
}
