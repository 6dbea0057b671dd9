// Loading, saving and testing the operator rights.
#include "model/OperatorRights.h"

#include "platform/RegistryProfile.h"

namespace {
constexpr const char* SECTION = "System";
}

COperatorRights::COperatorRights(platform::CRegistryProfile& profile) : m_pProfile(&profile) {
    Load(profile);
}

COperatorRights::~COperatorRights() {
    if (m_pProfile) {
        Save(*m_pProfile);
    }
}

void COperatorRights::Load(platform::CRegistryProfile& profile) {
    profile.SetOwnerOnly(true);
    m_nRightCancel = profile.GetProfileInt(SECTION, "RightCancel", 1);
    m_nChannelEditRight = profile.GetProfileInt(SECTION, "ChannelEditRight", 0);
    m_nZeroValueEditRight = profile.GetProfileInt(SECTION, "ZeroValueEditRight", 0);
    m_nStopControlRight = profile.GetProfileInt(SECTION, "StopControlRight", 0);
    m_nSysParmEditRight = profile.GetProfileInt(SECTION, "SysParmEditRight", 0);
    m_strOperationCode = profile.GetProfileString(SECTION, "AcessRight", "");
    m_strSettingCode = profile.GetProfileString(SECTION, "SettingRight", "");
}

void COperatorRights::Save(platform::CRegistryProfile& profile) const {
    profile.SetOwnerOnly(true);
    profile.WriteProfileInt(SECTION, "RightCancel", m_nRightCancel);
    profile.WriteProfileInt(SECTION, "ChannelEditRight", m_nChannelEditRight);
    profile.WriteProfileInt(SECTION, "ZeroValueEditRight", m_nZeroValueEditRight);
    profile.WriteProfileInt(SECTION, "StopControlRight", m_nStopControlRight);
    profile.WriteProfileInt(SECTION, "SysParmEditRight", m_nSysParmEditRight);
    profile.WriteProfileString(SECTION, "AcessRight", m_strOperationCode);
    profile.WriteProfileString(SECTION, "SettingRight", m_strSettingCode);
}

int COperatorRights::IsEntryCodeRequired() const {
    return (m_nRightCancel != 1 && !m_strSettingCode.empty()) ? 1 : 0;
}

int COperatorRights::IsOperationCodeRequired() const {
    return (m_nRightCancel != 1 && !m_strOperationCode.empty()) ? 1 : 0;
}

int COperatorRights::IsStopControlGuarded() const {
    return (m_nStopControlRight != 0 && !m_strOperationCode.empty()) ? 1 : 0;
}

int COperatorRights::IsChannelEditAllowed() const {
    return m_nChannelEditRight != 1 ? 1 : 0;
}

void COperatorRights::CopyTo(COperatorRights& other) const {
    other.m_strSettingCode = m_strSettingCode;
    other.m_strOperationCode = m_strOperationCode;
    other.m_nSysParmEditRight = m_nSysParmEditRight;
    other.m_nStopControlRight = m_nStopControlRight;
    other.m_nZeroValueEditRight = m_nZeroValueEditRight;
    other.m_nChannelEditRight = m_nChannelEditRight;
    other.m_nRightCancel = m_nRightCancel;
}

int IsStopGuarded(const COperatorRights& rights) {
    return (rights.IsStopControlGuarded() && rights.IsOperationCodeRequired()) ? 1 : 0;
}
