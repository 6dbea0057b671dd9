// The document template table.
#include "app/DocTemplates.h"

#include "project/LayoutFile.h"

#include <cstring>

const CDocTemplateInfo g_DocTemplates[DOC_TEMPLATE_COUNT] = {
    {129, "CQV7411N_NewFrameDoc", "CChildFrame", "CHistoryView", VIEW_TYPE_HISTORY},
    {129, "CQV7411N_NewFrameDoc", "CChildFrame", "CQV7411N_NewFrameView", VIEW_TYPE_CURVE},
    {143, "CQV7411N_NewFrameDoc", "CChildFrame", "CTableView", VIEW_TYPE_TABLE},
    {129, "CQV7411N_NewFrameDoc", "CChildFrame", "CBarIndicatorView", VIEW_TYPE_BAR},
    {129, "CFFTSpectrumDoc", "CFFTSpectrumChildFrm", "CFFTSpectrumView", 0},
};

int FindDocTemplateOfView(const char* viewClassName) {
    for (int n = 0; n < DOC_TEMPLATE_COUNT; ++n) {
        if (g_DocTemplates[n].nViewType != 0 && std::strcmp(g_DocTemplates[n].pszView, viewClassName) == 0) {
            return n + 1;
        }
    }
    return 0;
}
