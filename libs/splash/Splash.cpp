// The start-up splash window.
#include "libs/splash/Splash.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kOnlineBitmap = 14001;

} // namespace

CSplash::CSplash() {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
}

CSplash::~CSplash() = default;

bool CSplash::LoadPicture(int nBitmapID, const std::string& programFolder) {
    const QString folder = programFolder.empty() ? QCoreApplication::applicationDirPath()
                                                 : QString::fromStdString(programFolder);
    m_bitmap = QPixmap(QDir(folder).filePath("Land.jpg"));
    if (m_bitmap.isNull()) {
        m_bitmap = QPixmap(QString(":/bitmaps/%1").arg(nBitmapID));
    }
    return !m_bitmap.isNull();
}

int CSplash::Create(int nBitmapID, QWidget* pParentWnd, const std::string& programFolder) {
    if (!LoadPicture(nBitmapID, programFolder)) {
        return 0;
    }
    if (pParentWnd != nullptr) {
        setParent(pParentWnd, windowFlags());
    }
    setFixedSize(m_bitmap.deviceIndependentSize().toSize());
    // Centred on the screen of the parent, else the primary screen.
    QScreen* screen = pParentWnd != nullptr ? pParentWnd->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    setFocus();
    return 1;
}

int CSplash::CreateOline(QWidget* pParentWnd) {
    return Create(kOnlineBitmap, pParentWnd);
}

void CSplash::HideSplashScreen() {
    hide();
    QWidget* mainWindow = QApplication::activeWindow();
    if (mainWindow == this) {
        mainWindow = nullptr;
    }
    delete this;
    if (mainWindow != nullptr) {
        mainWindow->repaint();
    }
}

void CSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
}

// A press only hides the window: the object stays until its owner's
// HideSplashScreen, which may come later and must find it alive.
void CSplash::mousePressEvent(QMouseEvent* event) {
    hide();
    event->accept();
}

void CSplash::keyPressEvent(QKeyEvent* event) {
    hide();
    event->accept();
}
