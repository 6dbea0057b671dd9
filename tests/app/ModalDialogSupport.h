// Driving a modal dialog that a frame command opens: act on it once it shows,
// find its controls by id.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the modal dialog of type T once it is shown.
template <class T> void WhenModal(std::function<void(T&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}

template <class W> W* Control(QWidget& dialog, int id) {
    return dialog.findChild<W*>(QStringLiteral("id%1").arg(id));
}

inline void Click(QWidget& dialog, int id) {
    Control<QPushButton>(dialog, id)->click();
}
