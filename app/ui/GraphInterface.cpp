// The graph interface's share of the layout file.
#include "app/ui/GraphInterface.h"

#include "app/LayoutFile.h"
#include "platform/Profile.h"
#include "platform/Text.h"

void Lurrow::SaveSpectrumLayout(const std::string& layoutFile) {
    platform::WritePrivateProfileString(WINDOW_LAYOUT_SECTION, "SpectrumViewCount",
                                        platform::Format("%d", m_nViewCount), layoutFile);
}
