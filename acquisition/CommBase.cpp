// The communication object's encoder ownership.
#include "acquisition/CommBase.h"

CCommBase::~CCommBase() = default;

void CCommBase::CreateProtocol(int modelType, CaseChannelSource* source) {
    m_nModelType = modelType;
    m_pProtocol.reset();
    if (modelType != 3)
        return; // the network cases (QV7416) are the only model this program drives
    m_pProtocol = std::make_unique<CCaseProtocol3>(source);
    m_pProtocol->SetCommandMode(0);
}

void CCommBase::DeleteProtocol() {
    m_pProtocol.reset();
}
