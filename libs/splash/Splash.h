// The start-up splash window: a borderless popup showing "Land.jpg" of the
// program folder, else a bitmap resource of the calling program (the Qt
// resource ":/bitmaps/<id>"). Created with new; HideSplashScreen destroys
// the window and the object, so callers keep it in a QPointer.
#pragma once

#include <QPixmap>
#include <QWidget>

#include <string>

#if defined(FRAWN_BUILD)
#define FRAWN_API __attribute__((visibility("default")))
#else
#define FRAWN_API
#endif

class FRAWN_API CSplash : public QWidget {
public:
    CSplash();
    ~CSplash() override;

    // Loads the picture and shows the window centred at the picture's size.
    // programFolder empty: the folder of the running program. Returns 0 when
    // there is no picture; then no window is shown.
    int Create(int nBitmapID, QWidget* pParentWnd = nullptr, const std::string& programFolder = {});
    // As Create, always with bitmap resource 14001.
    int CreateOline(QWidget* pParentWnd = nullptr);
    // Destroys the window and deletes this object, then repaints the
    // program's active window.
    void HideSplashScreen();

    const QPixmap& GetPicture() const { return m_bitmap; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool LoadPicture(int nBitmapID, const std::string& programFolder);

    QPixmap m_bitmap;
};
