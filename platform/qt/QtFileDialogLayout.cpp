// File dialogs laid out when they first show: the detail columns take the
// width of their texts and the name column the rest.
#include "platform/qt/QtFileDialogLayout.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace platform {

namespace {

constexpr int kPreferredWidth = 820;
constexpr int kScreenMargin = 40;

class FileDialogLayout : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                LayOut(dialog);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void LayOut(QFileDialog* dialog) {
        if (dialog->property("qvLaidOut").toBool())
            return;
        dialog->setProperty("qvLaidOut", true);
        for (QTreeView* details : dialog->findChildren<QTreeView*>()) {
            QHeaderView* header = details->header();
            if (header->count() < 2)
                continue;
            header->setStretchLastSection(false);
            header->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int column = 1; column < header->count(); ++column)
                header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
        const QScreen* screen = dialog->screen();
        const int room = screen ? screen->availableGeometry().width() - kScreenMargin : kPreferredWidth;
        const int width = std::min(std::max(dialog->width(), kPreferredWidth), room);
        if (width > dialog->width())
            dialog->resize(width, dialog->height());
    }
};

} // namespace

void InstallFileDialogLayout() {
    static FileDialogLayout* layout = nullptr;
    if (layout != nullptr || qApp == nullptr)
        return;
    layout = new FileDialogLayout(qApp);
    qApp->installEventFilter(layout);
}

} // namespace platform
