// The picture beside the gauge controls of the rosette and residual-stress
// dialogs: a white 175 × 175 square with one gauge grid per angle of the
// rosette kind, and the drilled hole of a residual-stress rosette.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class CGaugePicture : public QWidget {
    Q_OBJECT
public:
    explicit CGaugePicture(QWidget* parent = nullptr);

    // Angle labels such as "45°"; the grids are drawn at those angles.
    void SetAngles(const std::vector<std::string>& labels);
    void SetHole(bool hole);
    const std::vector<std::string>& Angles() const { return m_labels; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::string> m_labels;
    bool m_bHole = false;
};
