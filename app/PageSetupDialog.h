// The page-setup dialog: the six margins and heights and the header and
// footer texts of the print parameters.
#pragma once

#include "app/PrintParameters.h"

#include <QDialog>

class QDoubleSpinBox;
class QLineEdit;

class CPageSetupDialog : public QDialog {
    Q_OBJECT
public:
    CPageSetupDialog(const PrintParameters& params, QWidget* parent = nullptr);
    PrintParameters GetParameters() const;

private:
    QDoubleSpinBox* m_pValues[6] = {};
    QLineEdit* m_pHeader = nullptr;
    QLineEdit* m_pFoot = nullptr;
};
