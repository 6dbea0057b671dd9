// "设置图形属性": the eight colours of the mechanical-property test's plot,
// each on a swatch that opens the colour chooser.
#pragma once

#include "views/shared/GraphDisplayOptions.h"

#include <QDialog>

#include <array>
#include <functional>

class QPushButton;

// The plot's colours in the dialog's order, as 0x00BBGGRR.
enum MechanicalColour {
    kPlotBackground,
    kGridLines,
    kCurveColour,
    kParallelLine,
    kCoordinateValues,
    kCursor1Colour,
    kCursor2Colour,
    kInfoBoxColour,
    kMechanicalColourCount
};
using MechanicalColours = std::array<COLORREF, kMechanicalColourCount>;

MechanicalColours DefaultMechanicalColours();

class CDlgGraphColor : public QDialog {
    Q_OBJECT
public:
    explicit CDlgGraphColor(QWidget* parent = nullptr);

    void SetColours(const MechanicalColours& colours);
    const MechanicalColours& GetColours() const { return m_colours; }

    // A click on swatch i: the chooser, then the new colour on the swatch.
    void OnSwatch(int i);
    QPushButton* Swatch(int i) const { return m_swatches[std::size_t(i)]; }

    // The colour chooser; false when it was cancelled. Tests give their own.
    std::function<bool(COLORREF&)> pickColour;

private:
    void PaintSwatches();

    MechanicalColours m_colours = DefaultMechanicalColours();
    std::array<QPushButton*, kMechanicalColourCount> m_swatches{};
};
