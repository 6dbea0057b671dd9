// The borderless panel "模块信息" that shows the network module information
// text, one line a module link; a line with "!" is drawn red. It is a child
// of the main window: it moves with it, stays inside the area it is given
// (the frame's client area) and never covers a dialog.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class CDlgModuleInfo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLinePitch = 32;
    static constexpr int kBaseHeight = 34;
    // Distance from the left and bottom edges of its area.
    static constexpr int kMargin = 8;

    explicit CDlgModuleInfo(QWidget* parent);

    // The widget whose rectangle it stands in (a descendant of its parent,
    // or the parent itself); it follows that widget's size and place.
    void SetArea(QWidget* area);
    // Stores the text and sizes the window for it.
    void SetInfoText(const QString& text);
    // Stores the text and repaints.
    void DrawInfoText(const QString& text);
    const QString& GetInfoText() const { return m_strText; }
    // 34 and 32 more for every line break.
    static int HeightForText(const QString& text);
    // "宋体" with a height of 32 pixels.
    static QFont InfoFont();
    // The height the text is drawn with: 32, less when the longest line
    // would not fit the area at that size.
    int GetTextPixelSize() const { return m_nPixelSize; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Bottom-left in its area, growing upward with its lines; the text
    // shrinks until its longest line fits the area's width, and the window
    // is cut to the area when the area is still smaller.
    void Place();

    QString m_strText;
    QPointer<QWidget> m_pArea;
    int m_nPixelSize = kLinePitch;
};
