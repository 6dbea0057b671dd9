// The calibrator's end of the link to the main program: the client on
// 127.0.0.1:8001, the greeting after each connect, the requests with one
// reconnect on a failed send, and the replies. Replies arrive as the
// network-data message on the user-interface thread; they fill the
// controller list, the last sample block and the coefficient records and
// set the reply's event, which the waiting thread holds on to.
#pragma once

#include "calibrator/CalibratePacket.h"
#include "calibrator/CalibrateTypes.h"
#include "libs/transfer/ProgrammedLink.h"
#include "platform/Message.h"
#include "platform/Sync.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CCalibrateLink : public platform::MessageTarget {
public:
    static constexpr const char* kHost = "127.0.0.1";
    static constexpr int kPort = 8001;
    static constexpr const char* kNetworkMessageName = "95C1BBB1-B11A-4E56-AC44-D5305CB41E19";
    static constexpr int kReplyEvents = 8;

    CCalibrateLink();
    ~CCalibrateLink() override;

    void SetPort(int port) { m_nPort = port; }
    // Called on the user-interface thread after a controller list arrived.
    void SetControllersHandler(std::function<void()> handler) { m_onControllers = std::move(handler); }

    // Connects and greets (code 4), starting the receive thread; 1 when the
    // greeting went out. Timer 1 of the frame calls it while not connected.
    int ConnectAndGreet();
    int IsConnected() const;
    // Sends a whole packet; a failed send closes, reconnects and sends once
    // more. The result is that of the last send.
    int SendCalibrateCommand(const std::vector<std::uint8_t>& packet);
    // Resets the code's reply event, then sends.
    int SendRequest(const std::vector<std::uint8_t>& packet);
    bool WaitReply(int code, std::uint32_t milliseconds);
    void ResetReply(int code);
    void SetAllReplies();

    // One received packet (the network-data message's handler).
    void OnNetworkData(const std::uint8_t* data, std::size_t length);
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

    // Controller records in reply order; the record of a case by its number.
    std::vector<CalibrateControllerRecord> Controllers() const;
    std::optional<CalibrateControllerRecord> FindCase(int nCase) const;
    int ControllerCount() const { return m_nControllers.load(); }
    CaseSampleBlock LastSample() const;
    // Records of the last reply 9, one per range of the full-scale list.
    std::vector<CalibrateCoefRecord> CoefRecords() const;
    bool HasCoefReply() const { return m_bCoefReply.load(); }

private:
    platform::Event& EventOf(int code);
    int Greet();

    CProgrammedClient m_client;
    platform::UINT m_nMessage;
    int m_nPort = kPort;
    // Manual-reset reply events: codes 5, 1, 2, 6 and 7, 8, 3, 9, 10.
    std::array<platform::Event, kReplyEvents> m_events{
        platform::Event(true), platform::Event(true), platform::Event(true), platform::Event(true),
        platform::Event(true), platform::Event(true), platform::Event(true), platform::Event(true)};
    platform::Event m_noEvent{true}; // replies nobody waits for
    std::mutex m_sendMutex;          // one request on the wire at a time, reconnect included
    mutable std::mutex m_dataMutex;  // guards m_controllers, m_sample, m_coefs
    std::vector<CalibrateControllerRecord> m_controllers;
    CaseSampleBlock m_sample;
    std::vector<CalibrateCoefRecord> m_coefs;
    std::atomic<int> m_nControllers{0};
    std::atomic<bool> m_bCoefReply{false};
    std::function<void()> m_onControllers;
};
