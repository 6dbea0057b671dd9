// Qt's Chinese translation, loaded once for the life of the program.
#include "platform/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

namespace {

// The file dialogs' type column: texts Qt's own Chinese file leaves out.
class FileTypeTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        static const struct {
            const char* english;
            const char* chinese;
        } kTexts[] = {{"Folder", "文件夹"},   {"Drive", "驱动器"},      {"File", "文件"},
                      {"%1 File", "%1 文件"}, {"Shortcut", "快捷方式"}, {"Alias", "别名"}};
        for (const auto& text : kTexts) {
            if (qstrcmp(sourceText, text.english) == 0) {
                return QString::fromUtf8(text.chinese);
            }
        }
        return {};
    }
};

} // namespace

bool InstallQtTranslations() {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // One translator for the life of the program; the application keeps a pointer to it.
    static QTranslator translator;
    if (!translator.isEmpty()) {
        return true;
    }
    static FileTypeTranslator fileTypes;
    QCoreApplication::installTranslator(&fileTypes);
    if (!translator.load(chinese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

} // namespace platform
