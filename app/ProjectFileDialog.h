// The project-file dialog: chooses an existing project to open, or the
// folder and name of a new one. A file name of 61 characters or more is
// refused with a message and the dialog opens again.
#pragma once

#include <functional>
#include <string>

class QWidget;

class CProjectFileDialog {
public:
    // The dialog itself; tests give their own. Returns the chosen path, or
    // "" when cancelled.
    using Chooser =
        std::function<std::string(bool open, const std::string& title, const std::string& folder)>;

    explicit CProjectFileDialog(QWidget* parent);
    void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // Starts in the project root (program folder "/Projects" when empty),
    // creating it; gives the project folder and name. False when cancelled.
    bool SelectProjectFile(bool open, const std::string& projectRoot, const std::string& programFolder,
                           std::string& folder, std::string& name);

private:
    std::string Choose(bool open, const std::string& title, const std::string& folder) const;

    QWidget* m_pParent;
    Chooser m_chooser;
};
