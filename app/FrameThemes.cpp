// Palettes of the frame's visual styles.
#include "app/FrameThemes.h"

#include "app/CommandStates.h"

#include <QColor>
#include <QMainWindow>
#include <QPalette>

namespace {

struct ThemeColours {
    QColor window;
    QColor button;
    QColor highlight;
};

// By paint theme: Office XP, Office 2000, Office 2003, Windows XP, Visual Studio 2005.
const ThemeColours kThemes[] = {
    {QColor(246, 246, 246), QColor(238, 238, 238), QColor(182, 189, 210)},
    {QColor(212, 208, 200), QColor(212, 208, 200), QColor(10, 36, 106)},
    {QColor(227, 239, 255), QColor(196, 218, 250), QColor(255, 192, 111)},
    {QColor(236, 233, 216), QColor(236, 233, 216), QColor(49, 106, 197)},
    {QColor(245, 244, 242), QColor(229, 229, 215), QColor(193, 210, 238)},
};

} // namespace

void ApplyFrameTheme(QMainWindow& window, int style) {
    const ThemeColours& theme = kThemes[FrameStyleOf(style).nPaintTheme];
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, theme.window);
    palette.setColor(QPalette::Button, theme.button);
    palette.setColor(QPalette::Highlight, theme.highlight);
    window.setPalette(palette);
}
