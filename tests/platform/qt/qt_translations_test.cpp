// Qt's own parts in Chinese: the file dialogs' dates follow the programs'
// language, not the desktop's, and the user's locale settings come back.
#include "QtTestApp.h"
#include "platform/qt/QtTranslations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(QtTranslationsTest, FileDialogDatesReadChineseOnAnEnglishDesktop) {
    platform::InstallQtTranslations();
    EXPECT_EQ(qgetenv("LC_ALL"), QByteArray("C")) << "the user's own setting is back";
    EXPECT_FALSE(qEnvironmentVariableIsSet("LC_TIME"));

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("run.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QDateTime stamp(QDate(2026, 3, 7), QTime(14, 5));
    ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();

    QFileSystemModel model;
    const QModelIndex root = model.setRootPath(folder.path());
    ASSERT_TRUE(ProcessEventsUntil([&] { return model.rowCount(root) == 1; }));
    const QString date = model.data(model.index(0, 3, root)).toString();
    EXPECT_EQ(date, "2026/3/7 14:05") << date.toStdString();
}

} // namespace
