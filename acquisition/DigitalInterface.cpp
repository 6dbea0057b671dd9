// Loading the digital-interface library and its functions.
#include "acquisition/DigitalInterface.h"

namespace {
std::string& LibraryName() {
    static std::string name = "DigitalInterface";
    return name;
}
} // namespace

const std::string& DigitalLibraryName() {
    return LibraryName();
}

void SetDigitalLibraryName(const std::string& name) {
    LibraryName() = name.empty() ? "DigitalInterface" : name;
}

bool CDigitalInterface::LoadDigitalInterfaceDll(const std::string& name) {
    FreeDigitalInterfaceDll();
    const std::string file =
        name.find('/') != std::string::npos ? name : platform::SharedLibraryFileName(name);
    if (!m_library.Load(file))
        return false;
    const auto find = [this](auto& pointer, const char* symbol) {
        pointer = m_library.Function<std::remove_reference_t<decltype(pointer)>>(symbol);
        return pointer != nullptr;
    };
    // Every lookup runs, so that a missing function leaves the others
    // found; only all 14 make the library usable.
    bool all = true;
    all &= find(LoadDigitalChannel, "LoadDigitalChannel");
    all &= find(SetDigitalParam, "SetDigitalParam");
    all &= find(LoadDigitalDll, "LoadDigitalDll");
    all &= find(FreeDigitalDll, "FreeDigitalDll");
    all &= find(StartSensorServer, "StartSensorServer");
    all &= find(StopSensorServer, "StopSensorServer");
    all &= find(StartLCSRunChannel, "StartLCSRunChannel");
    all &= find(StopLoadControlSystem, "StopLoadControlSystem");
    all &= find(GetDigitalChanCurData, "GetDigitalChanCurData");
    all &= find(GetDigitalChanBatchData, "GetDigitalChanBatchData");
    all &= find(StartLCSExecuteAction, "StartLCSExecuteAction");
    all &= find(SetMessageWnd, "SetMessageWnd");
    all &= find(SetDasFreq, "SetDasFreq");
    all &= find(GetRecordMode, "GetRecordMode");
    m_bLoaded = all;
    return m_bLoaded;
}

bool CDigitalInterface::FreeDigitalInterfaceDll() {
    ClearFunctions();
    m_bLoaded = false;
    m_library.Unload();
    return true;
}

void CDigitalInterface::ClearFunctions() {
    LoadDigitalChannel = nullptr;
    SetDigitalParam = nullptr;
    LoadDigitalDll = nullptr;
    FreeDigitalDll = nullptr;
    StartSensorServer = nullptr;
    StopSensorServer = nullptr;
    StartLCSRunChannel = nullptr;
    StopLoadControlSystem = nullptr;
    GetDigitalChanCurData = nullptr;
    GetDigitalChanBatchData = nullptr;
    StartLCSExecuteAction = nullptr;
    SetMessageWnd = nullptr;
    SetDasFreq = nullptr;
    GetRecordMode = nullptr;
}
