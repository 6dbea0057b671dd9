// Message boxes shown as QMessageBox: buttons, icon, default button and
// answers, closed by a timer as a user would.
#include "QtTestApp.h"
#include "platform/qt/QtMessageBoxHandler.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    int width = 0;
};

// Waits for the modal box, notes what it shows and clicks a button (or
// presses Escape when button is NoButton).
void AnswerNextBox(Seen& seen, QMessageBox::StandardButton button) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        seen.width = box->width();
        if (button == QMessageBox::NoButton) {
            box->reject();
        } else {
            box->button(button)->click();
        }
    });
    poll->start(5);
}

} // namespace

TEST(QtMessageBoxTest, ShowsTheFlagsAndReturnsTheClickedAnswer) {
    using B = QMessageBox;
    struct Case {
        UINT flags;
        B::Icon icon;
        B::StandardButtons buttons;
        B::StandardButton defaultButton;
        B::StandardButton click; // NoButton: Escape
        int answer;
    };
    const Case cases[] = {
        {MB_OK, B::NoIcon, B::Ok, B::Ok, B::Ok, IDOK},
        {MB_OKCANCEL | MB_ICONERROR, B::Critical, B::Ok | B::Cancel, B::Ok, B::Cancel, IDCANCEL},
        {MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, B::Warning, B::Yes | B::No, B::No, B::Yes, IDYES},
        {MB_YESNO | MB_ICONQUESTION, B::Question, B::Yes | B::No, B::Yes, B::No, IDNO},
        {MB_YESNOCANCEL | MB_ICONINFORMATION, B::Information, B::Yes | B::No | B::Cancel, B::Yes, B::NoButton,
         IDCANCEL},
    };
    QtMessageBoxHandler handler;
    for (const Case& c : cases) {
        Seen seen;
        AnswerNextBox(seen, c.click);
        EXPECT_EQ(handler.Show("平衡 <b>not markup</b>", "QV", c.flags), c.answer) << std::hex << c.flags;
        EXPECT_EQ(seen.icon, c.icon) << std::hex << c.flags;
        EXPECT_EQ(seen.buttons, c.buttons) << std::hex << c.flags;
        EXPECT_EQ(seen.defaultButton, c.defaultButton) << std::hex << c.flags;
        EXPECT_EQ(seen.title, QString("QV"));
        EXPECT_EQ(seen.text, QString::fromUtf8("平衡 <b>not markup</b>"));
        EXPECT_EQ(seen.format, Qt::PlainText);
    }
}

TEST(QtMessageBoxTest, BoxAskedForByAWorkerIsShownOnTheUiThread) {
    QtMessageDispatcher dispatcher;
    SetMessageDispatcher(&dispatcher);
    QtMessageBoxHandler handler;
    SetMessageBoxHandler(&handler);
    Seen seen;
    AnswerNextBox(seen, QMessageBox::No);
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = MessageBox("from worker", "QV", MB_YESNO); });
    EXPECT_TRUE(ProcessEventsUntil([&] { return answer != 0; }));
    worker.join();
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.text, QString("from worker"));
}

TEST(QtMessageBoxTest, AShortMessageLeavesRoomForTheWholeTitle) {
    const std::string title = "QV7416准静态应变测试采集系统";
    QtMessageBoxHandler handler;
    Seen seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    handler.Show("完成", title, MB_OK);
    const int titleWidth =
        QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromStdString(title));
    EXPECT_GE(seen.width, titleWidth + 100);
}
