// The spectrum graph control: the child window of a spectrum view that
// paints the graph's lines, grid, labels and cursors, and hands the mouse
// and the keyboard to the graph's logic.
#pragma once

#include "libs/spectrum/SpectrumGraph.h"

#include <QWidget>

class CSpectrumGraphCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 8001;

    explicit CSpectrumGraphCtrl(QWidget* parent = nullptr);

    lurrow::CSpectrumGraph& Graph() { return m_graph; }
    const lurrow::CSpectrumGraph& Graph() const { return m_graph; }
    // Colours and fonts come from the view's analysis record.
    void SetAttributes(const GRAPHIC_ATTRI* attributes) { m_pAttributes = attributes; }
    // A key as the view hands it on: true when the key was the graph's.
    bool HandleKey(QKeyEvent* event, bool down);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QColor Colour(int index) const;
    QFont Font(int index) const;
    void PaintGrid(QPainter& painter);
    void PaintLines(QPainter& painter);
    void PaintLabels(QPainter& painter);
    void PaintCursors(QPainter& painter);

    lurrow::CSpectrumGraph m_graph;
    const GRAPHIC_ATTRI* m_pAttributes = nullptr;
};
