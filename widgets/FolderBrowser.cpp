// Folder choice through Qt's folder dialog, which shows the selected path itself.
#include "widgets/FolderBrowser.h"

#include <QFileDialog>

QString CFolderBrowser::BrowseForFolder(QWidget* owner, const QString& startFolder, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title, startFolder,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}
