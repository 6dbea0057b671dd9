// The panel "单点监控显示": the single monitored point's value in large
// digits, red while the point is in alarm.
#pragma once

#include <QDialog>
#include <QString>

class CDlgSinglePointMonitor : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSinglePointMonitor(QWidget* parent = nullptr);

    // The caption becomes the channel's name.
    void SetChannel(int channel);
    void SetValue(float value, int state);
    QString GetCaption() const { return m_strCaption; }
    // "%.2f" of the value.
    QString GetValueText() const;
    bool IsAlarm() const { return m_nState != 0; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_strCaption = QStringLiteral("123");
    float m_fValue = 0.0f;
    int m_nState = 0;
};
