// The coefficient write runs on the frame's writing thread, whose reply
// arrives on the user-interface thread: the dialogs wait with the event loop
// running.
#include "calibrator/dialogs/CoefWriting.h"

#include "platform/MessageBox.h"

#include <QEventLoop>
#include <QTimer>

namespace coef_writing {

namespace {
constexpr const char* kCaption = "通道修正";
}

bool Confirm() {
    return platform::MessageBox("是否确认设置通道修正系数？", kCaption,
                                platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

void HandleEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void WaitUntilWritten(KelvaneDialogHost& host) {
    while (host.IsCoefWriting())
        HandleEventsFor(100);
}

bool WriteAndWait(KelvaneDialogHost& host, const std::vector<int>& channels,
                  const std::array<float, kCalibrateChannels>& coefs) {
    WaitUntilWritten(host);
    if (!host.StartCoefWriting(WriteChannelNumbers(host.ChannelBlock(), channels), coefs))
        return false;
    WaitUntilWritten(host);
    return true;
}

void ReportDone() {
    platform::MessageBox("设置通道修正系数完成！", kCaption, platform::MB_OK | platform::MB_ICONINFORMATION);
}

} // namespace coef_writing
