// A window waiting for its worker with its events served.
#include "panels/run/WorkerWait.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QWidget>

#include <thread>

void RunWhileWindowWaits(QWidget& window, const std::function<void()>& work) {
    window.setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    window.setEnabled(true);
}
