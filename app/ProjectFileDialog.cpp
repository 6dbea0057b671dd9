// The project-file dialog on QFileDialog.
#include "app/ProjectFileDialog.h"

#include "model/AppSettings.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "project/ProjectHandler.h"

#include <QFileDialog>

CProjectFileDialog::CProjectFileDialog(QWidget* parent) : m_pParent(parent) {}

std::string CProjectFileDialog::Choose(bool open, const std::string& title, const std::string& folder) const {
    if (m_chooser) {
        return m_chooser(open, title, folder);
    }
    const QString filter = "数据采集项目(*.dap)";
    const QString caption = QString::fromStdString(title);
    const QString start = QString::fromStdString(folder);
    const QString chosen = open ? QFileDialog::getOpenFileName(m_pParent, caption, start, filter)
                                : QFileDialog::getSaveFileName(m_pParent, caption, start, filter);
    return chosen.toStdString();
}

bool CProjectFileDialog::SelectProjectFile(bool open, const std::string& projectRoot,
                                           const std::string& programFolder, std::string& folder,
                                           std::string& name) {
    std::string root = projectRoot;
    if (root.empty() || !platform::FolderExists(root)) {
        root = root.empty() ? platform::JoinPath(programFolder, "Projects") : root;
    }
    platform::CreateFolder(root);
    const std::string title = open ? "打开项目" : "新建项目";
    for (;;) {
        const std::string chosen = Choose(open, title, root);
        if (chosen.empty()) {
            return false;
        }
        if (SplitChosenProjectPath(chosen, folder, name) != 0) {
            return true;
        }
        platform::MessageBox("文件名太长", g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    }
}
