// The splash window shown during start-up: the picture "Land.jpg" of the
// program folder when present, else a plain panel with the title.
#pragma once

#include <QString>

#include <memory>

class QWidget;

class CSplash {
public:
    CSplash();
    ~CSplash();
    // Creates and shows the splash popup, painted at once.
    bool Create(int bitmapId, QWidget* parent, const QString& programFolder);
    void HideSplashScreen();
    bool IsVisible() const;

private:
    std::unique_ptr<QWidget> m_pWindow;
};
