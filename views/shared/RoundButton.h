// A round push button: clipped to a circle on its shorter side and drawn
// with a shaded rim that is brightest towards the upper left; the light and
// dark colours change places while it is pressed.
#pragma once

#include "views/shared/RoundButtonGeometry.h"

#include <QPushButton>

class CRoundButton : public QPushButton {
    Q_OBJECT
public:
    explicit CRoundButton(QWidget* parent = nullptr);
    // Takes over an existing button's place and caption (the dialogs' buttons).
    static CRoundButton* Replace(QPushButton* button);
    const RoundButtonShape& Shape() const { return m_shape; }
    // Squares and clips the control at its present size (done again at
    // every resize Qt delivers).
    void MakeRound();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    RoundButtonShape m_shape;
    bool m_bShaping = false;
};
