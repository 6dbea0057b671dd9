// Qt's Chinese translation, loaded once for the life of the program.
#include "platform/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

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

// What PrepareChineseDates changed, to be put back once Qt has read it.
struct SavedTimeLocale {
    std::optional<std::string> all;
    std::optional<std::string> lang;
    std::optional<std::string> time;
};
std::optional<SavedTimeLocale> g_savedTimeLocale;

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void RestoreEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value)
        qputenv(name, QByteArray::fromStdString(*value));
    else
        qunsetenv(name);
}

// Qt has read the system locale: the C library goes back to the user's own
// settings for everything, dates included.
void RestoreTimeLocale() {
    if (!g_savedTimeLocale)
        return;
    (void)QLocale::system();
    RestoreEnvironment("LC_ALL", g_savedTimeLocale->all);
    RestoreEnvironment("LANG", g_savedTimeLocale->lang);
    RestoreEnvironment("LC_TIME", g_savedTimeLocale->time);
    std::setlocale(LC_ALL, "");
    g_savedTimeLocale.reset();
}

} // namespace

void PrepareChineseDates() {
    if (g_savedTimeLocale)
        return;
    g_savedTimeLocale = SavedTimeLocale{Environment("LC_ALL"), Environment("LANG"), Environment("LC_TIME")};
    // LC_ALL would override the time category: its value moves to LANG's
    // place for the other categories while Qt reads them.
    if (g_savedTimeLocale->all) {
        qputenv("LANG", QByteArray::fromStdString(*g_savedTimeLocale->all));
        qunsetenv("LC_ALL");
    }
    qputenv("LC_TIME", "zh_CN.UTF-8");
}

bool InstallQtTranslations() {
    RestoreTimeLocale();
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
