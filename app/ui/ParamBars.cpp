// The docked bars' shells.
#include "app/ui/ParamBars.h"

#include "app/CaseTables.h"

CSampleParamBar::CSampleParamBar(QWidget* parent) : QWidget(parent) {
    setObjectName("CSampleParamBar");
    setMinimumSize(180, 120);
}

int CSampleParamBar::GetSampleSettings(SampleSettings& settings, int /*showMessages*/) const {
    settings = m_Settings;
    return 1;
}

CChannelParamBar::CChannelParamBar(QWidget* parent) : QWidget(parent) {
    setObjectName("CChannelParamBar");
    setMinimumSize(180, 120);
}

void CChannelParamBar::BuildShownChannelList() {
    BuildMeasuredChannelList();
}
