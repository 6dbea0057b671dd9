// The eccentricity dialog ("偏心修正"): the offset of a drilled hole from the
// rosette centre, turned into the three correction angles on "确定". An
// offset that gives no finite angle is refused and the dialog stays open.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgEccentricity : public QDialog {
    Q_OBJECT
public:
    explicit CDlgEccentricity(QWidget* parent = nullptr);

    void SetGaugeDistance(double d) { m_dDistance = d; }
    void GetAngles(double& alpha1, double& alpha2, double& alpha3) const;

public slots:
    void accept() override;

private:
    double m_dDistance = 0.0;
    double m_alpha[3] = {0.0, 0.0, 0.0};
    QLineEdit* m_pX = nullptr;
    QLineEdit* m_pY = nullptr;
};
