// The folder dialog of the project-folder setting.
#pragma once

#include <QString>

class QWidget;

class CFolderBrowser {
public:
    // The chosen folder, starting at startFolder; empty when cancelled.
    static QString BrowseForFolder(QWidget* owner, const QString& startFolder, const QString& title);
};
