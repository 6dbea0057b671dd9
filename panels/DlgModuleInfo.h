// The borderless panel "模块信息" that shows the network module information
// text, one line a module link; a line with "!" is drawn red.
#pragma once

#include <QDialog>
#include <QString>

class CDlgModuleInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLinePitch = 32;
    static constexpr int kBaseHeight = 34;

    explicit CDlgModuleInfo(QWidget* parent = nullptr);

    // Stores the text and sizes the window for it.
    void SetInfoText(const QString& text);
    // Stores the text and repaints.
    void DrawInfoText(const QString& text);
    const QString& GetInfoText() const { return m_strText; }
    // 34 and 32 more for every line break.
    static int HeightForText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strText;
};
