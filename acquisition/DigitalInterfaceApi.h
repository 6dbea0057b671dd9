// The functions of the digital-interface library (libDigitalInterface.so),
// which the program loads by name at run time: the digital sensors and the
// load-control system of the test rig. Its records and command stamps carry
// two time words: whole seconds since 1970 and the fraction in nanoseconds.
#pragma once

#include "platform/Message.h"

#include <cstdint>

#pragma pack(push, 4)
struct DigitalRecord {
    std::uint32_t nTime1 = 0; // seconds since 1970
    std::uint32_t nTime2 = 0; // nanoseconds of the second
    float fValue = 0.0f;      // the channel's reading
};
#pragma pack(pop)
static_assert(sizeof(DigitalRecord) == 12, "a digital record is 12 bytes");

extern "C" {
using PFN_LoadDigitalChannel = bool (*)();
using PFN_SetDigitalParam = void (*)(const char* path);
using PFN_LoadDigitalDll = void (*)();
using PFN_FreeDigitalDll = void (*)();
using PFN_StartSensorServer = void (*)();
using PFN_StopSensorServer = void (*)();
using PFN_StartLCSRunChannel = bool (*)(int count, const char* const* names);
using PFN_StopLoadControlSystem = bool (*)();
using PFN_GetDigitalChanCurData = void (*)(int count, DigitalRecord* records /* 8 */);
using PFN_GetDigitalChanBatchData = void (*)(int n, DigitalRecord* const* buffers /* 8 */);
using PFN_StartLCSExecuteAction = void (*)(std::uint32_t mask);
using PFN_SetMessageWnd = void (*)(platform::HWND window, platform::UINT message);
using PFN_SetDasFreq = void (*)(float frequency);
using PFN_GetRecordMode = int (*)();
}

// The message the library sends the frame with a load-control command:
// wParam the command code, lParam the address of its two time words.
constexpr const char* DIGITAL_COMMAND_MESSAGE = "{95C1BBB1-B11A-4E56-ACML-D5305CB41E20}";
