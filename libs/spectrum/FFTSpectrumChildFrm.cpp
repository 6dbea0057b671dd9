// The spectrum window's child frame.
#include "libs/spectrum/FFTSpectrumChildFrm.h"

#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/SpectrumChannels.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <QCloseEvent>
#include <QMdiArea>

#include <algorithm>

namespace {

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

std::string Section(int index) {
    return platform::Format("FFTSpectrumView%d", index);
}

} // namespace

CFFTSpectrumChildFrm* CFFTSpectrumChildFrm::Create(QWidget* parent) {
    if (lurrow::Tables().viewCount >= lurrow::kMaxSpectrumViews)
        return nullptr;
    return new CFFTSpectrumChildFrm(parent);
}

CFFTSpectrumChildFrm::CFFTSpectrumChildFrm(QWidget* parent)
    : QMdiSubWindow(parent), m_pDocument(std::make_unique<CFFTSpectrumDoc>()) {
    setObjectName("CFFTSpectrumChildFrm");
    setAttribute(Qt::WA_DeleteOnClose);
    m_pView = new CFFTSpectrumView(m_pDocument.get());
    m_pView->Register();
    setWidget(m_pView);
    m_pDocument->Attach(this, m_pView);
    resize(400, 200);
}

CFFTSpectrumChildFrm::~CFFTSpectrumChildFrm() {
    m_pDocument->OnCloseDocument();
}

void CFFTSpectrumChildFrm::closeEvent(QCloseEvent* event) {
    m_pDocument->OnCloseDocument();
    QMdiSubWindow::closeEvent(event);
}

void CFFTSpectrumChildFrm::SavePlacement(const std::string& file, int index) const {
    const std::string section = Section(index);
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    const int showCmd = isMaximized() ? SW_SHOWMAXIMIZED : (isMinimized() ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    const struct {
        const char* key;
        int value;
    } values[] = {{"flags", 0},
                  {"showCmd", showCmd},
                  {"MaxPositionX", -1},
                  {"MaxPositionY", -1},
                  {"MinPositionX", -1},
                  {"MinPositionY", -1},
                  {"windowLeft", r.left()},
                  {"windowRight", r.left() + r.width()},
                  {"windowTop", r.top()},
                  {"windowBottom", r.top() + r.height()}};
    for (const auto& v : values)
        platform::WritePrivateProfileString(section, v.key, platform::Format("%d", v.value), file);
}

void CFFTSpectrumChildFrm::ReadPlacement(const std::string& file, int index) {
    const std::string section = Section(index);
    const auto read = [&](const char* key, int fallback) {
        return platform::GetPrivateProfileInt(section, key, fallback, file);
    };
    const int showCmd = read("showCmd", SW_SHOWNORMAL);
    const int left = read("windowLeft", 0), top = read("windowTop", 0);
    const int right = read("windowRight", 400), bottom = read("windowBottom", 200);
    // A tab of a tabbed window area fills the area whatever its placement.
    if (mdiArea() != nullptr && mdiArea()->viewMode() == QMdiArea::TabbedView) {
        showMaximized();
        return;
    }
    if (isMaximized() || isMinimized())
        showNormal();
    // Sizes stay within what a screen can show.
    setGeometry(std::clamp(left, -10000, 10000), std::clamp(top, -10000, 10000),
                std::clamp(right - left, 1, 10000), std::clamp(bottom - top, 1, 10000));
    if (showCmd == SW_SHOWMAXIMIZED)
        showMaximized();
    else if (showCmd == SW_SHOWMINIMIZED)
        showMinimized();
}
