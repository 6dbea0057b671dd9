// Message boxes: one function for the whole program, shown by a handler
// installed process-wide (the Qt one in the programs, a recorder in tests).
// Without a handler the text goes to stderr and the default button answers.
#pragma once

#include "platform/Message.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Buttons (the low 4 bits).
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
// Icons.
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = MB_ICONERROR;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x40;
// Default button: the first unless told.
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;

constexpr UINT MB_TYPEMASK = 0x00F;
constexpr UINT MB_ICONMASK = 0x0F0;
constexpr UINT MB_DEFMASK = 0xF00;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The answers of the box's buttons, left to right (an unknown button kind is MB_OK).
std::vector<int> MessageBoxButtons(UINT flags);
// The answer of the default button (the first when the flags name a
// button the box does not have).
int MessageBoxDefaultAnswer(UINT flags);

class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    // Called on the user-interface thread only; returns the answer.
    virtual int Show(const std::string& text, const std::string& caption, UINT flags) = 0;
};

// Installs the handler (nullptr: none); it must outlive its installation.
void SetMessageBoxHandler(MessageBoxHandler* handler);
MessageBoxHandler* GetMessageBoxHandler();

// Shows the box on the user-interface thread and returns the answer. A call
// from another thread is sent there (SendMessage) and waits for the answer,
// so a worker never shows a window itself; it returns 0 if the box could not
// be shown.
int MessageBox(const std::string& text, const std::string& caption, UINT flags = MB_OK);

// Hands a box with nothing to answer to the user-interface thread and returns
// at once: a worker (or a handler that a worker waits for) goes on while the
// box is shown, whoever clicks it and whenever. The boxes are shown in the
// order they were posted; call from any thread.
void PostMessageBox(const std::string& text, const std::string& caption, UINT flags = MB_OK);

// Test handler: installs itself for its lifetime (restoring the previous
// handler after), records every box and answers from a queue of answers,
// then with the default button.
class MessageBoxRecorder : public MessageBoxHandler {
public:
    struct Record {
        std::string text;
        std::string caption;
        UINT flags = 0;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder() override;

    void QueueAnswer(int answer);
    std::vector<Record> Records() const;
    int Show(const std::string& text, const std::string& caption, UINT flags) override;

private:
    mutable std::mutex m_mutex; // guards m_records and m_answers
    std::vector<Record> m_records;
    std::deque<int> m_answers;
    MessageBoxHandler* m_previous;
};

} // namespace platform
