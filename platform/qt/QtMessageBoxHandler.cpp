// QMessageBox for the Windows-style message box flags and answers.
#include "platform/qt/QtMessageBoxHandler.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace platform {

namespace {

QMessageBox::Icon IconFor(UINT flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

constexpr ButtonAnswer kButtons[] = {
    {QMessageBox::Ok, IDOK},
    {QMessageBox::Cancel, IDCANCEL},
    {QMessageBox::Yes, IDYES},
    {QMessageBox::No, IDNO},
};

QMessageBox::StandardButton ButtonFor(int answer) {
    for (const ButtonAnswer& b : kButtons) {
        if (b.answer == answer) {
            return b.button;
        }
    }
    return QMessageBox::NoButton;
}

int AnswerFor(QMessageBox::StandardButton button) {
    for (const ButtonAnswer& b : kButtons) {
        if (b.button == button) {
            return b.answer;
        }
    }
    return 0;
}

// Room a window manager takes from a title bar for its icon and buttons.
constexpr int kTitleBarRoom = 160;

// A short message would make a box too narrow for its title, which the
// window manager then cuts: a spacer across the box's grid keeps it wide
// enough for the whole title.
void WidenForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                  0, 1, grid->columnCount());
}

} // namespace

int QtMessageBoxHandler::Show(const std::string& text, const std::string& caption, UINT flags) {
    QMessageBox box(IconFor(flags), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    // Plain text: a '<' in a message must not turn it into markup.
    box.setTextFormat(Qt::PlainText);
    WidenForTitle(box);
    std::vector<int> answers = MessageBoxButtons(flags);
    for (int answer : answers) {
        box.addButton(ButtonFor(answer));
    }
    box.setDefaultButton(ButtonFor(MessageBoxDefaultAnswer(flags)));
    box.exec();
    int answer = AnswerFor(box.standardButton(box.clickedButton()));
    if (answer != 0) {
        return answer;
    }
    // Closed without a button: Cancel where the box has one, as Windows does.
    for (int a : answers) {
        if (a == IDCANCEL) {
            return IDCANCEL;
        }
    }
    return MessageBoxDefaultAnswer(flags);
}

} // namespace platform
