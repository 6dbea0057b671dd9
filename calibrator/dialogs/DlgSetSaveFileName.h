// 文件名设置: the base name and the date, time or number parts of the result
// names, with an example of the name they give.
#pragma once

#include "calibrator/CalibrateTypes.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CDlgSetSaveFileName : public QDialog {
    Q_OBJECT
public:
    // Works on the options given; OK writes the choices back.
    CDlgSetSaveFileName(DataFileOption& option, QWidget* parent = nullptr);

    QLineEdit* Name() const { return m_pName; }
    QCheckBox* DateCheck() const { return m_pDate; }
    QCheckBox* TimeCheck() const { return m_pTime; }
    QCheckBox* NumberCheck() const { return m_pNumber; }
    QComboBox* DateFormats() const { return m_pDateFormats; }
    QComboBox* TimeFormats() const { return m_pTimeFormats; }
    QLineEdit* StartNumber() const { return m_pStartNumber; }
    QLabel* Example() const { return m_pExample; }

    void accept() override;

private:
    DataFileOption Chosen() const;
    void UpdateControls();

    DataFileOption& m_option;
    QLineEdit* m_pName;
    QCheckBox* m_pDate;
    QCheckBox* m_pTime;
    QCheckBox* m_pNumber;
    QComboBox* m_pDateFormats;
    QComboBox* m_pTimeFormats;
    QLineEdit* m_pStartNumber;
    QLabel* m_pExample;
};
