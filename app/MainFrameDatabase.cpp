// The frame's database writer: WM_USER+10 hands it measured values; its
// failures come back as a posted report that the frame shows here, on the
// user-interface thread, while the writer goes on.
#include "app/MainFrame.h"

#include "acquisition/DatabaseWriter.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"

namespace {

constexpr platform::UINT WM_DATABASE_WRITE_REPORT = platform::WM_USER + 0x602;

} // namespace

void CMainFrame::InstallDatabaseWriter() {
    const platform::HWND frame = GetSafeHwnd();
    m_pDatabaseWriter = std::make_unique<CDatabaseWriter>(
        m_strProgramFolder, [frame] { platform::PostMessage(frame, WM_DATABASE_WRITE_REPORT); });
    OnMessage(WM_WRITE_DATABASE, [this](platform::WPARAM wParam, platform::LPARAM lParam) {
        return m_pDatabaseWriter->OnWriteDatabase(reinterpret_cast<const MeasureValueRecord*>(wParam),
                                                  static_cast<int>(lParam));
    });
    OnMessage(WM_DATABASE_WRITE_REPORT, [this](platform::WPARAM, platform::LPARAM) {
        const std::string text = m_pDatabaseWriter->TakeReport();
        if (!text.empty()) {
            platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        }
        return platform::LRESULT(0);
    });
}
