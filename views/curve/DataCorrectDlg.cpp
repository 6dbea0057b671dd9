// The data-correction dialog.
#include "views/curve/DataCorrectDlg.h"

#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>
#include <cstdio>

int CheckCorrectionCoefficients(float a, float b) {
    if (!(std::fabs(a) >= 0.0001f && std::fabs(a) < 10000.0f))
        return 1;
    if (!(std::fabs(b) < 10000000.0f))
        return 2;
    return 0;
}

std::string AccumulatedCorrectionText(float a, float b) {
    char text[128];
    std::snprintf(text, sizeof text, "Y = %fX %s %f", double(a), b < -0.000001f ? "-" : "+",
                  std::fabs(double(b)));
    return text;
}

CDataCorrectDlg::CDataCorrectDlg(const std::vector<int>& channels,
                                 std::function<std::pair<float, float>(int)> accumulated, QWidget* parent)
    : QDialog(parent), m_channels(channels), m_accumulated(std::move(accumulated)) {
    setWindowTitle(QString::fromUtf8("数据修正"));
    auto* layout = new QFormLayout(this);
    m_pChannel = new QComboBox(this);
    for (int id : m_channels)
        m_pChannel->addItem(QString::fromStdString(FormatChannelName(id)));
    m_pAccumulated = new QLabel(this);
    m_pA = new QLineEdit(QStringLiteral("1"), this);
    m_pB = new QLineEdit(QStringLiteral("0"), this);
    layout->addRow(QString::fromUtf8("测点："), m_pChannel);
    layout->addRow(QString::fromUtf8("当前累计修正："), m_pAccumulated);
    layout->addRow(new QLabel(QString::fromUtf8("(X指原始值)"), this));
    layout->addRow(new QLabel(QString::fromUtf8("Y = aX + b (X指当前值)"), this));
    layout->addRow(QStringLiteral("a"), m_pA);
    layout->addRow(QStringLiteral("b"), m_pB);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    m_nChannel = m_channels.empty() ? 0 : m_channels.front();
    ShowAccumulated();
    connect(m_pChannel, &QComboBox::currentIndexChanged, this, [this](int) {
        m_nChannel = ParseChannelName(m_pChannel->currentText().toStdString());
        ShowAccumulated();
        m_bChanged = true;
    });
    for (QLineEdit* edit : {m_pA, m_pB})
        connect(edit, &QLineEdit::textEdited, this, [this] { m_bChanged = true; });
    connect(buttons, &QDialogButtonBox::accepted, this, &CDataCorrectDlg::TryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDataCorrectDlg::SetChannelId(int id) {
    for (std::size_t i = 0; i < m_channels.size(); ++i)
        if (m_channels[i] == id)
            m_pChannel->setCurrentIndex(int(i));
    m_nChannel = id;
    ShowAccumulated();
}

void CDataCorrectDlg::ShowAccumulated() {
    const std::pair<float, float> ab = m_accumulated ? m_accumulated(m_nChannel) : std::pair{1.0f, 0.0f};
    m_pAccumulated->setText(QString::fromStdString(AccumulatedCorrectionText(ab.first, ab.second)));
}

void CDataCorrectDlg::TryAccept() {
    // A text that is no number is refused as out of range.
    bool aOk = false, bOk = false;
    const float a = m_pA->text().trimmed().toFloat(&aOk);
    const float b = m_pB->text().trimmed().toFloat(&bOk);
    const int check = !aOk ? 1 : !bOk ? 2 : CheckCorrectionCoefficients(a, b);
    if (check == 1) {
        platform::MessageBox("系数 a 超出系统允许的范围，请重新设置", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    if (check == 2) {
        platform::MessageBox("系数 b 超出系统允许的范围，请重新设置", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    m_fA = a;
    m_fB = b;
    accept();
}
