// The five document templates of the program, in the order the layout file
// names windows by: history, curve, table, bar, and the spectrum windows.
#pragma once

struct CDocTemplateInfo {
    int nResourceId;
    const char* pszDocument;
    const char* pszFrame;
    const char* pszView;
    int nViewType; // 0 for the spectrum template
};

constexpr int DOC_TEMPLATE_COUNT = 5;
extern const CDocTemplateInfo g_DocTemplates[DOC_TEMPLATE_COUNT];

// The template (1..4) whose view has this class name; 0 for none.
int FindDocTemplateOfView(const char* viewClassName);
