// The spectrum library's graph-interface object as the main frame sees it:
// created when spectrum windows are offered, given the frame as parent, and
// asked to save and restore its windows' part of the layout file.
#pragma once

#include <string>

class QWidget;

class Lurrow {
public:
    Lurrow() = default;
    void SetParentWnd(QWidget* parent) { m_pParent = parent; }
    QWidget* GetParentWnd() const { return m_pParent; }
    // Writes and reads key "SpectrumViewCount" of section "WindowLayout".
    void SaveSpectrumLayout(const std::string& layoutFile);
    void OpenSpectrumLayout(const std::string& layoutFile) {}
    int GetSpectrumViewCount() const { return m_nViewCount; }

private:
    QWidget* m_pParent = nullptr;
    int m_nViewCount = 0;
};
