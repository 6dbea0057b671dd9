// The operator rights: whether stopping a run needs the operation code and
// whether channel parameters may be edited. Kept in section "System" of the
// application's registry profile, which is made readable by its owner only
// because it holds the codes.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class CRegistryProfile;
}

class COperatorRights {
public:
    COperatorRights() = default;
    // Loads from the profile now and saves back to it when destroyed.
    explicit COperatorRights(platform::CRegistryProfile& profile);
    ~COperatorRights();
    COperatorRights(const COperatorRights&) = delete;
    COperatorRights& operator=(const COperatorRights&) = delete;

    void Load(platform::CRegistryProfile& profile);
    void Save(platform::CRegistryProfile& profile) const;

    // The entry code is asked before the rights settings open.
    int IsEntryCodeRequired() const;
    int IsOperationCodeRequired() const;
    int IsStopControlGuarded() const;
    int IsChannelEditAllowed() const;
    void SetRightCancel(int flag) { m_nRightCancel = flag != 0 ? 1 : 0; }
    void CopyTo(COperatorRights& other) const;

    std::string m_strSettingCode;
    std::string m_strOperationCode;
    std::int32_t m_nSysParmEditRight = 0;
    std::int32_t m_nStopControlRight = 0;
    std::int32_t m_nZeroValueEditRight = 0;
    std::int32_t m_nChannelEditRight = 0;
    std::int32_t m_nRightCancel = 1;

private:
    platform::CRegistryProfile* m_pProfile = nullptr;
};

// The stop command's test: both the stop guard and the code requirement hold.
int IsStopGuarded(const COperatorRights& rights);
