// The value's sign chooses the mode (the bridge, + 3 for a negative value);
// the generator gets the magnitude.
#include "calibrator/dialogs/DlgHandSetting.h"

#include "calibrator/CalibrateData.h"
#include "calibrator/NamedWidget.h"
#include "libs/serial/StrainSignalControl.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kCaption = "手动设置";
constexpr int kDefaultIntervalMs = 5000;
constexpr platform::UINT WM_HAND_SENT = platform::WM_USER + 1;

// A text of the editors as its sign and magnitude; false when it is not a number.
bool ParseSigned(const QString& text, bool& negative, double& magnitude) {
    const std::string value = text.trimmed().toStdString();
    if (!IsNumericText(value))
        return false;
    negative = value[0] == '-';
    magnitude = std::fabs(std::atof(value.c_str()));
    return std::isfinite(magnitude);
}

void ReportSendFailure() {
    platform::MessageBox("参数发送失败，请检查！", kCaption, platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

CDlgHandSetting::CDlgHandSetting(CStrainSignalControl& generator, QWidget* parent)
    : QDialog(parent), m_generator(generator) {
    setWindowTitle(kCaption);
    m_pChannel = Named(new QComboBox(this), "1052");
    for (int c = 1; c <= 16; ++c)
        m_pChannel->addItem(QString::number(c));
    m_pChanType = Named(new QComboBox(this), "1057");
    m_pChanType->addItems({"应变", "电压"});
    m_pBridge = Named(new QComboBox(this), "1053");
    m_pBridge->addItems({"全桥", "半桥", "1/4桥"});
    m_pValue = Named(new QLineEdit("0", this), "1054");
    m_pRepeat = Named(new QCheckBox("定时发送", this), "1055");
    m_pInterval = Named(new QLineEdit(QString::number(kDefaultIntervalMs), this), "1056");
    m_pSend = Named(new QPushButton("发送", this), "IDOK");
    m_pSend->setDefault(true);
    auto* quit = Named(new QPushButton("退出", this), "IDCANCEL");
    m_pTimer = new QTimer(this);

    auto* layout = new QFormLayout(this);
    layout->addRow("通  道  号", m_pChannel);
    layout->addRow("通道类型", m_pChanType);
    layout->addRow("桥路方式", m_pBridge);
    layout->addRow("应  变  值", m_pValue);
    layout->addRow(m_pRepeat, m_pInterval);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pSend);
    buttons->addWidget(quit);
    layout->addRow(buttons);

    connect(m_pChanType, &QComboBox::currentIndexChanged, this, &CDlgHandSetting::OnChanType);
    connect(m_pSend, &QPushButton::clicked, this, &CDlgHandSetting::OnSend);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pTimer, &QTimer::timeout, this, &CDlgHandSetting::OnRepeat);
}

CDlgHandSetting::~CDlgHandSetting() {
    if (m_sender.joinable())
        m_sender.join();
    UnregisterTarget();
}

void CDlgHandSetting::OnChanType(int index) {
    const bool strain = index == 0;
    m_pBridge->setEnabled(strain);
    m_pValue->setEnabled(strain);
}

void CDlgHandSetting::OnSend() {
    m_pTimer->stop();
    m_nRepeatMs = 0;
    bool negative = false;
    bool intervalNegative = false;
    double value = 0.0;
    double interval = 0.0;
    const bool repeat = m_pRepeat->isChecked();
    // A repeat needs a real interval: 0 would resend without pause.
    if (!ParseSigned(m_pValue->text(), negative, value) ||
        !ParseSigned(m_pInterval->text(), intervalNegative, interval) || (repeat && interval < 1.0) ||
        interval > 0x7FFFFFFF) {
        platform::MessageBox("参数设置错误，请重新设置！", kCaption,
                             platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    m_nChannel = m_pChannel->currentIndex() + 1;
    m_nType = m_pChanType->currentIndex();
    m_nMode = m_pBridge->currentIndex() + (negative ? 3 : 0);
    // Beyond what the generator carries the value is refused as a failed send.
    m_nValue = value > 0x7FFFFFFF ? -1 : static_cast<int>(std::lround(value));
    m_nRepeatMs = repeat ? static_cast<int>(interval) : 0;
    StartSend();
}

void CDlgHandSetting::StartSend() {
    if (m_sender.joinable())
        return; // the output is still on its way
    m_pSend->setEnabled(false);
    m_sender = std::thread([&generator = m_generator, window = GetSafeHwnd(), channel = m_nChannel,
                            type = m_nType, mode = m_nMode, value = m_nValue] {
        const bool set = generator.SetStrainValue(channel, type, mode, value) == 1;
        platform::PostMessage(window, WM_HAND_SENT, set ? 1 : 0);
    });
}

platform::LRESULT CDlgHandSetting::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                              platform::LPARAM) {
    if (message == WM_HAND_SENT)
        OnSent(wParam != 0);
    return 0;
}

void CDlgHandSetting::done(int result) {
    m_bClosed = true;
    m_pTimer->stop();
    m_nRepeatMs = 0;
    QDialog::done(result);
}

void CDlgHandSetting::OnSent(bool set) {
    if (m_sender.joinable())
        m_sender.join();
    m_pSend->setEnabled(true);
    if (m_bClosed)
        return;
    if (!set) {
        m_pTimer->stop();
        ReportSendFailure();
        return;
    }
    if (m_nRepeatMs > 0 && !m_pTimer->isActive())
        m_pTimer->start(m_nRepeatMs);
}

void CDlgHandSetting::OnRepeat() {
    StartSend();
}
