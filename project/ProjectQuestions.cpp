// The questions asked before a run: new project, append or overwrite.
#include "project/ProjectHandler.h"

#include "model/AppSettings.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* OVERWRITE_QUESTION = "没有建立新项目，是否覆盖当前的测试项目？";
constexpr const char* OVERWRITE_CONFIRM = "确信要覆盖当前的测试项目？";
// Cancel, the box's escape, gives up the start: it never leads to an overwrite.
constexpr const char* APPEND_QUESTION =
    "没有建立新项目，是否追加数据到当前测试项目？\n\n  是:  追加测试数据\n\n  "
    "否:  新建测试项目\n\n取消:  不启动采样";

int Ask(const char* text, platform::UINT flags) {
    return platform::MessageBox(text, g_strAppTitle, flags | platform::MB_ICONEXCLAMATION);
}

} // namespace

int CProjectHandler::PrepareNewProject() {
    std::string folder;
    std::string name;
    if (!m_hooks.selectNewProject || !m_hooks.selectNewProject(folder, name)) {
        return 0;
    }
    return PrepareProject(platform::JoinPath(folder, name + ".dap"));
}

int CProjectHandler::AskAppendOrNewProject() {
    const int answer = Ask(APPEND_QUESTION, platform::MB_YESNOCANCEL);
    if (answer == platform::IDYES) {
        Call(m_hooks.resetViews);
        return 1;
    }
    m_state.m_bAppendData = false;
    if (answer == platform::IDNO) {
        return PrepareNewProject();
    }
    return 0;
}

bool CProjectHandler::ProjectFilesHoldSamples() const {
    int count = 0;
    GetCaseFilesDataCount(count);
    return count > 0;
}

int CProjectHandler::ConfirmProjectForSampling() {
    m_state.m_bAppendData = false;
    const int state = m_state.m_nProjectState;
    if (state == PROJECT_NONE || !m_state.HasProjectPath()) {
        return PrepareNewProject();
    }
    // A prepared project whose files already hold samples (its sampling
    // settings changed after a run) holds data all the same: a run must not
    // empty them without asking.
    const bool holdsData = state == PROJECT_OPENED || state == PROJECT_CONFIRMED ||
                           (state == PROJECT_PREPARED && ProjectFilesHoldSamples());
    if (state == PROJECT_PREPARED && !holdsData) {
        if (!m_state.m_strProjectFile.empty()) {
            Call(m_hooks.resetViews);
            return 1;
        }
        const int answer = Ask(OVERWRITE_QUESTION, platform::MB_YESNOCANCEL | platform::MB_DEFBUTTON2);
        if (answer == platform::IDCANCEL) {
            return 0;
        }
        if (answer == platform::IDYES && Ask(OVERWRITE_CONFIRM, platform::MB_YESNO) == platform::IDYES) {
            return PrepareProject(m_state.GetFilePath(".dap"));
        }
        return PrepareNewProject();
    }
    m_state.m_bAppendData = true;
    if (state == PROJECT_PREPARED) {
        // Its count went with the old settings; the run goes on from what is stored.
        UpdateStoredDataCount();
    }
    const int mode = m_state.m_SampleSettings.nSampleMode;
    if (mode == SAMPLE_MODE_TIMED || mode == SAMPLE_MODE_SINGLE) {
        if (m_hooks.switchViewsToLive) {
            m_hooks.switchViewsToLive(m_state.m_nTotalDataCount);
        }
        return 1;
    }
    return AskAppendOrNewProject();
}
