// The main frame's project handling without its windows: preparing a
// project for a run, saving, opening and closing it, the questions before a
// run, the stored-sample counts and their status-bar texts, import and
// export. What belongs to windows or to other parts of the frame is reached
// through the hooks, each of which may be left empty.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/ProjectState.h"

struct ProjectHooks {
    // The state went to the sampling-parameter bar and the communication object.
    std::function<void(int state)> onStateChanged;
    // The bar's validated settings; false when its inputs are not valid (the
    // bar then shows its own message). Empty: the state's settings are used.
    std::function<bool(SampleSettings& settings)> takeSampleBarSettings;
    std::function<void(const SampleSettings& settings)> showSampleSettings;
    std::function<void()> resetViews;
    // Open history and curve windows show live data with this total.
    std::function<void(int total)> switchViewsToLive;
    // The new-project dialog or automatic naming; false when cancelled.
    std::function<bool(std::string& folder, std::string& name)> selectNewProject;
    // Companion files kept by other parts of the frame (rosette and
    // residual-stress groups, digital channels, controller table, layout).
    std::function<void(const CProjectState& state)> saveCompanionFiles;
    std::function<void(CProjectState& state)> loadCompanionFiles;
    // An opened project with stored samples: its data and status files exist afterwards.
    std::function<void(const CProjectState& state)> ensureSampleDataFiles;
    // Saves the layout to the project and closes every child window.
    std::function<void(const CProjectState& state)> closeAllWindows;
    std::function<void()> rebuildChannelBar;
    std::function<void()> sendChannelParams;
    // The binary zeros were loaded: rebuild the zero sample set.
    std::function<void()> zerosLoaded;
};

// Files a project names after itself: name + one of its suffixes, the
// per-case data files, the virtual-channel and group result files, and
// "Module.ifo". Only these are ever deleted by preparing a project.
bool IsProjectOwnFile(const std::string& projectName, const std::string& fileName);

// A chosen path ending in ".dap" (any case) gives its folder and title; any
// other path is a new project folder named after its last part. 0 for a
// file name of 61 characters or more, for which the dialog shows
// FILE_NAME_TOO_LONG_TEXT and opens again.
constexpr const char* FILE_NAME_TOO_LONG_TEXT = "文件名太长";
int SplitChosenProjectPath(const std::string& chosen, std::string& folder, std::string& name);

// The folder the project dialogs start in: the project root, or program
// folder + "/Projects" when there is none yet; the folder is created.
std::string ProjectDialogInitialFolder(const CProjectState& state);

// The texts of the two count panes (ids 900 and 901).
std::pair<std::string, std::string> DataCountPaneTexts(int kind, int count, int total, bool acquiring,
                                                       int projectState);

class CProjectHandler {
public:
    CProjectHandler(CProjectState& state, ProjectHooks hooks) : m_state(state), m_hooks(std::move(hooks)) {}

    void SetProjectState(int state);
    // 1 when prepared; 0 when the project folder holds files that are not
    // the project's own (nothing is deleted and the state is unchanged).
    // Without showMessages the refusal is not shown (a remote start asks
    // nothing and tells its client instead).
    int PrepareProject(const std::string& projectFilePath, bool showMessages = true);
    // Writes the project file and its companion files; nothing without a
    // project. False when the channel-parameter file could not be written
    // (the project could not be opened again); the message names it unless
    // showMessages is false.
    bool SaveProjectState(bool showMessages = true);
    // 0, with a message saying which file is missing or damaged, when the
    // project cannot be opened. An opened project whose companion or data
    // files are damaged says which and what was done, in one message: a
    // damaged settings file is moved aside (".bad") and read as empty, and the
    // stored count is the whole sets that every case's files hold.
    int OpenProjectData(const std::string& projectFilePath);
    void CloseProject();
    // 0 when the user cancelled (or a new project could not be prepared).
    int ConfirmProjectForSampling();

    int UpdateStoredDataCount();
    // The whole sample sets that every online case holds in both of its
    // per-case files (a missing or damaged file holds none).
    int GetCaseFilesDataCount(int& count) const;

    int ImportProject(const std::string& folder, const std::string& name);
    int ExportProject(const std::string& folder, const std::string& name);

private:
    bool TakeSampleBarSettings();
    int PrepareNewProject();
    int AskAppendOrNewProject();
    // The project's per-case data files hold at least one sample.
    bool ProjectFilesHoldSamples() const;
    void Call(const std::function<void()>& hook) const;

    CProjectState& m_state;
    ProjectHooks m_hooks;
    // What the project being opened had amiss, one line a file.
    std::vector<std::string> m_notes;
};
