// The rosette and residual-stress group dialogs the frame opens: each gets
// the project, the channels and the stored sample count, and on OK the frame
// takes its groups back and refreshes the table views of a stored run (and,
// for rosettes, the curve views showing rosette results).
// The data-file headers come before any Qt header: the online layout has a
// member named like one of Qt's keywords.
#include "datafiles/AppTables.h"
#include "datafiles/OnlineLayout.h"

#include "app/MainFrame.h"

#include "app/CommandStates.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "panels/data/DlgResidualStress.h"
#include "panels/data/DlgStrainRosette.h"

#include <algorithm>

namespace {

// Project, channel range, channels and stored samples; the project's own
// parameter file, or none so that the dialog uses the program folder's.
void PrepareDialog(CResultGroupDialog& dialog, const CProjectState& project, const char* extension) {
    static const CAppChannelTable channels;
    dialog.SetProjectInfo(project.m_strProjectFolder, project.m_strProjectName, project.m_strProgramFolder,
                          project.m_nProjectState);
    const int measured = std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT);
    if (measured > 0)
        dialog.SetChannelRange(g_MeasChanList[0], g_MeasChanList[measured - 1]);
    const int shown = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    dialog.SetRunChannels(&channels, std::vector<int>(g_ChannelList, g_ChannelList + shown),
                          OnlineLayoutFromCaseTables());
    dialog.SetSampleCount(static_cast<int>(project.m_nTotalDataCount));
    dialog.SetParamFilePath(project.HasProjectPath() ? project.GetFilePath(extension) : std::string());
}

} // namespace

void CMainFrame::RefreshStoredRunTables() {
    const bool holdsData = m_project.m_nProjectState == 2 || m_project.m_nProjectState == 3;
    if (holdsData && g_bSampling.load() == 0)
        RefreshTableViews();
}

void CMainFrame::RegisterResultDialogCommands() {
    OnCommand(ID_ROSETTE_SETTINGS, [this] { OnRosetteSettings(); });
    OnCommand(ID_RESIDUAL_STRESS, [this] { OnResidualStress(); });
}

void CMainFrame::OnRosetteSettings() {
    CDlgStrainRosette dialog(this);
    PrepareDialog(dialog, m_project, ".sfc");
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_project.m_RosetteGroups = dialog.GetGroups();
    ReloadResultCurveViews(2);
    RefreshStoredRunTables();
}

void CMainFrame::OnResidualStress() {
    CDlgResidualStress dialog(this);
    PrepareDialog(dialog, m_project, ".rsc");
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_project.m_ResidualGroups = dialog.GetGroups();
    RefreshStoredRunTables();
}
