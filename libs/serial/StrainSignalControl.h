// CStrainSignalControl, the library's exported class: drives the
// programmable strain-signal generator on a serial port. Every operation
// returns 1 for success and 0 for failure, never throws, and is serialised
// with the object's other operations, so that two threads may share it.
#pragma once

#include "libs/serial/SerialPolicy.h"

class SINDLE_API CStrainSignalControl {
public:
    // The port stays closed until InitializeDeviceInterface.
    CStrainSignalControl();
    // A copy shares the original's generator link; the link (and its port)
    // goes when the last object sharing it goes.
    CStrainSignalControl(const CStrainSignalControl& other);
    CStrainSignalControl& operator=(const CStrainSignalControl& other);
    virtual ~CStrainSignalControl();

    // Closes any earlier port, then opens COM nPort at nBaud (no parity,
    // 8 data bits, one stop bit, no flow control) and starts reading.
    int InitializeDeviceInterface(int nPort, int nBaud);
    // Closes the port; always 1.
    int RemoveDeviceInterface();

    // Asks whether the generator is there (up to 3 s); nId gets its id.
    int FindMachine(int& nId);
    // Reads the battery level (up to 1 s).
    int GetBattery(int& nLevel);
    // Sets one output (up to 3 s for the acknowledgement): nChannel and
    // nType are carried as bytes; nMode 0..5 is full, half, quarter bridge,
    // the same plus 3 for a negative value; nValue the magnitude, 0 to
    // 0xFFFFFF. Any other mode or value is refused without sending.
    int SetStrainValue(int nChannel, int nType, int nMode, int nValue);

    // Waits of the three queries, in milliseconds.
    static constexpr int kPresenceWaitMs = 3000;
    static constexpr int kBatteryWaitMs = 1000;
    static constexpr int kSetValueWaitMs = 3000;

    struct Worker;

private:
    void Release();

    Worker* m_pWorker;
};
