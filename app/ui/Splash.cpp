// The start-up splash window.
#include "app/ui/Splash.h"

#include "app/AppSettings.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>

CSplash::CSplash() = default;
CSplash::~CSplash() = default;

bool CSplash::Create(int /*bitmapId*/, QWidget* parent, const QString& programFolder) {
    auto* label = new QLabel(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint);
    const QPixmap picture(QDir(programFolder).filePath("Land.jpg"));
    if (!picture.isNull()) {
        label->setPixmap(picture);
    } else {
        label->setText(QString::fromUtf8(g_strAppTitle));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumSize(420, 240);
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    }
    m_pWindow.reset(label);
    label->show();
    label->repaint();
    QApplication::processEvents();
    return true;
}

void CSplash::HideSplashScreen() {
    m_pWindow.reset();
}

bool CSplash::IsVisible() const {
    return m_pWindow != nullptr && m_pWindow->isVisible();
}
