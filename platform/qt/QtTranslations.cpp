// Qt's Chinese translation, loaded once for the life of the program.
#include "platform/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool InstallQtTranslations() {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // One translator for the life of the program; the application keeps a pointer to it.
    static QTranslator translator;
    if (!translator.isEmpty()) {
        return true;
    }
    if (!translator.load(chinese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

} // namespace platform
