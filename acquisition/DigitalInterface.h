// The binding of the digital-interface library: loads it by name, looks up
// its 14 functions, and counts as loaded only when all are there.
#pragma once

#include "acquisition/DigitalInterfaceApi.h"
#include "platform/DynamicLibrary.h"

#include <string>

// The name the program loads the library by ("DigitalInterface"); tests
// point it at the stand-in's variants or at a name that is not there.
const std::string& DigitalLibraryName();
void SetDigitalLibraryName(const std::string& name);

class CDigitalInterface {
public:
    // Frees a library loaded before, then loads the named one ("DigitalInterface"
    // gives libDigitalInterface.so) and looks up the functions.
    bool LoadDigitalInterfaceDll(const std::string& name);
    bool FreeDigitalInterfaceDll();
    bool IsLoaded() const { return m_bLoaded; }

    PFN_LoadDigitalChannel LoadDigitalChannel = nullptr;
    PFN_SetDigitalParam SetDigitalParam = nullptr;
    PFN_LoadDigitalDll LoadDigitalDll = nullptr;
    PFN_FreeDigitalDll FreeDigitalDll = nullptr;
    PFN_StartSensorServer StartSensorServer = nullptr;
    PFN_StopSensorServer StopSensorServer = nullptr;
    PFN_StartLCSRunChannel StartLCSRunChannel = nullptr;
    PFN_StopLoadControlSystem StopLoadControlSystem = nullptr;
    PFN_GetDigitalChanCurData GetDigitalChanCurData = nullptr;
    PFN_GetDigitalChanBatchData GetDigitalChanBatchData = nullptr;
    PFN_StartLCSExecuteAction StartLCSExecuteAction = nullptr;
    PFN_SetMessageWnd SetMessageWnd = nullptr;
    PFN_SetDasFreq SetDasFreq = nullptr;
    PFN_GetRecordMode GetRecordMode = nullptr;

private:
    void ClearFunctions();

    platform::DynamicLibrary m_library;
    bool m_bLoaded = false;
};
