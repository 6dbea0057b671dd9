// What a frame command did that a user could see or find: windows and
// dialogs shown (each closed again at once), message boxes, file questions,
// data windows opened or brought to the front, check marks, bars shown or
// hidden, status texts, files written in the program folder, and the picture
// of the frame. A command that changes none of these did nothing.
#pragma once

#include "app/MainFrame.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDockWidget>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

class CommandEffects : public QObject {
public:
    struct Snapshot {
        std::size_t boxes = 0;
        int windowsShown = 0;
        int fileQuestions = 0;
        std::vector<QMdiSubWindow*> dataWindows;
        QMdiSubWindow* active = nullptr;
        std::map<int, bool> checks;
        std::vector<bool> barsShown;
        std::vector<QString> statusTexts;
        std::map<std::string, std::uintmax_t> files;
        QByteArray picture;

        // The names of what differs from before ("" when nothing does).
        std::string ChangedSince(const Snapshot& before) const {
            std::string what;
            const auto note = [&](bool changed, const char* name) {
                if (changed)
                    what += std::string(what.empty() ? "" : ", ") + name;
            };
            note(boxes != before.boxes, "message box");
            note(windowsShown != before.windowsShown, "window");
            note(fileQuestions != before.fileQuestions, "file question");
            note(dataWindows != before.dataWindows || active != before.active, "data windows");
            note(checks != before.checks, "check mark");
            note(barsShown != before.barsShown, "bars");
            note(statusTexts != before.statusTexts, "status text");
            note(files != before.files, "files");
            note(picture != before.picture, "picture");
            return what;
        }
    };

    CommandEffects(CMainFrame& frame, const platform::MessageBoxRecorder& boxes, std::string folder)
        : m_frame(frame), m_boxes(boxes), m_folder(std::move(folder)) {
        qApp->installEventFilter(this);
        // Every file question is answered "cancel".
        m_frame.SetFileChooser(
            [this](bool, const std::string&, const std::string&, const std::string&, std::string&) {
                ++m_fileQuestions;
                return false;
            });
    }
    ~CommandEffects() override { qApp->removeEventFilter(this); }

    // While a run is going the picture, the status texts and the files change
    // by themselves: they are left out.
    Snapshot Take(bool running) const {
        Snapshot s;
        s.boxes = m_boxes.Records().size();
        s.windowsShown = m_windowsShown;
        s.fileQuestions = m_fileQuestions;
        const QList<QMdiSubWindow*> windows = m_frame.GetMdiArea()->subWindowList();
        s.dataWindows.assign(windows.begin(), windows.end());
        s.active = m_frame.GetMdiArea()->activeSubWindow();
        for (QAction* action : m_frame.findChildren<QAction*>())
            if (action->data().toInt() != 0 && action->isCheckable())
                s.checks[action->data().toInt()] = action->isChecked();
        for (QToolBar* bar : m_frame.findChildren<QToolBar*>())
            s.barsShown.push_back(bar->isVisibleTo(&m_frame));
        for (QDockWidget* dock : m_frame.findChildren<QDockWidget*>())
            s.barsShown.push_back(dock->isVisibleTo(&m_frame));
        s.barsShown.push_back(m_frame.statusBar()->isVisibleTo(&m_frame));
        if (running)
            return s;
        for (QLabel* label : m_frame.statusBar()->findChildren<QLabel*>())
            s.statusTexts.push_back(label->text());
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(m_folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code sizeError;
            const std::uintmax_t size = it->is_regular_file() ? it->file_size(sizeError) : 0;
            s.files[it->path().string()] = size;
        }
        const QImage image = m_frame.grab().toImage();
        s.picture = QCryptographicHash::hash(
            QByteArray::fromRawData(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()),
            QCryptographicHash::Sha1);
        return s;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !widget->isWindow() || widget == &m_frame)
            return false;
        ++m_windowsShown;
        // Closed as soon as the event loop runs: a modal one ends its own loop.
        QPointer<QWidget> shown = widget;
        QTimer::singleShot(0, widget, [shown] {
            if (shown.isNull())
                return;
            if (auto* dialog = qobject_cast<QDialog*>(shown.data()))
                dialog->reject();
            else
                shown->close();
        });
        return false;
    }

private:
    CMainFrame& m_frame;
    const platform::MessageBoxRecorder& m_boxes;
    std::string m_folder;
    int m_windowsShown = 0;
    int m_fileQuestions = 0;
};
