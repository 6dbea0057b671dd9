// "力学性能检测": one stored channel plotted against another over the
// project's whole run (strain on X, stress on Y), two cursors choosing the
// elastic range, the elastic modulus fitted there and the yield strength by
// the offset line. It reads the run only and changes nothing.
#pragma once

#include "datafiles/AppTables.h"
#include "datafiles/MechanicalTest.h"
#include "datafiles/OnlineLayout.h"
#include "panels/graph/DlgGraphColor.h"
#include "panels/mechanical/MechanicalPlotScale.h"

#include <QDialog>
#include <QImage>
#include <QPolygon>
#include <QRect>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;

class CDlgMechanicalTest : public QDialog {
    Q_OBJECT
public:
    static constexpr int ID_GRAPH_PROPERTIES = 32871;

    explicit CDlgMechanicalTest(QWidget* parent = nullptr);

    // The project's data file and its stored sample count.
    void SetDataFile(const std::string& path, int count);
    // The online list the run was stored with (the case tables by default).
    void SetLayout(const OnlineLayout& layout) { m_layout = layout; }
    // The channel conversions (the channel records by default); kept by the caller.
    void SetChannelTable(const IChannelTable* table) { m_pChannels = table; }

    // Fills the channel lists, lays out the plot and loads the first channel
    // on both axes once the dialog runs.
    void OnInitDialog();
    int exec() override;

    // Reads both channels while the dialog waits, then recomputes the ranges,
    // the scale and the cursors; the curve shows from then on.
    void LoadChannels();
    void OnChannelChanged();
    void OnCompute();
    void OnParallelLine();
    void OnDirection(int direction);
    void OnZoomOut();
    void OnZoomIn();
    void OnGraphProperties();

    // The colour dialog's run; tests drive it.
    std::function<int(CDlgGraphColor&)> runGraphColor;

    const MechanicalSeries& GetSeries() const { return m_series; }
    const MechanicalRanges& GetRanges() const { return m_ranges; }
    const MechanicalPlotRect& GetPlotRect() const { return m_plot; }
    float GetElasticModulus() const { return m_fElasticModulus; }
    float GetZoomFactor() const { return m_fZoom; }
    bool IsCurveShown() const { return m_bCurveShown; }
    bool IsParallelLine() const { return m_bParallelLine; }
    int GetXChannel() const { return m_nXChannel; }
    int GetYChannel() const { return m_nYChannel; }
    const MechanicalColours& GetColours() const { return m_colours; }
    // Cursor i's pixel position along the current direction.
    int GetCursorPixel(int i) const;
    float GetCursorValue(int i) const;
    QRect GetInfoRect() const { return m_infoRect; }
    QWidget* PlotArea() const { return m_pPlot; }
    // The plot as the last paint drew it.
    const QImage& PlotImage() const { return m_image; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FillChannelLists();
    void LayoutPlot();
    void ResetCursors();
    void UpdateScale();
    void EnableModeControls();
    // Mouse on the plot: press, move with the left button held, release.
    void OnPlotPress(const QPoint& at);
    void OnPlotDrag(const QPoint& at);
    bool CursorBoundsHold(const QPoint& at) const;
    void MoveInfoBox(const QPoint& topLeft);

    // Drawing (DlgMechanicalTestPaint.cpp): the whole plot into m_image.
    void RenderPlot();
    void DrawGrid(QPainter& painter) const;
    void DrawCurve(QPainter& painter);
    void DrawParallelLine(QPainter& painter) const;
    void DrawAxes(QPainter& painter) const;
    void DrawCursors(QPainter& painter) const;
    void DrawInfoBox(QPainter& painter);
    // The curve in pixels, kept while neither the data nor the scale change.
    void BuildCurvePixels();

    std::string m_strDataPath;
    int m_nSampleCount = 0;
    OnlineLayout m_layout;
    CAppChannelTable m_appChannels;
    const IChannelTable* m_pChannels = &m_appChannels;
    std::vector<int> m_channels;

    int m_nXChannel = -1;
    int m_nYChannel = -1;
    MechanicalSeries m_series;
    float m_fElasticModulus = 1.0f;
    MechanicalRanges m_ranges;
    float m_fZoom = 1.0f;
    MechanicalPlotRect m_plot;
    MechanicalScale m_scale;
    int m_nDirection = kCursorsOnX;
    int m_nCursorX[2] = {0, 0};
    int m_nCursorY[2] = {0, 0};
    int m_nActiveCursor = 0;
    bool m_bParallelLine = false;
    bool m_bCurveShown = false;
    int m_nAxisDecimals = 2;
    std::string m_strXUnit = "με";
    std::string m_strYUnit = "με";
    MechanicalColours m_colours = DefaultMechanicalColours();
    QRect m_infoRect{1, 1, 101, 101};
    bool m_bMovingInfo = false;
    QPoint m_infoGrab;
    bool m_bDragging = false;

    std::vector<QPolygon> m_curvePixels;
    bool m_bCurvePixelsValid = false;
    QImage m_image;

    QWidget* m_pPlot = nullptr;
    QComboBox* m_pXCombo = nullptr;
    QComboBox* m_pYCombo = nullptr;
    QRadioButton* m_pXDirection = nullptr;
    QRadioButton* m_pYDirection = nullptr;
    QPushButton* m_pZoomOut = nullptr;
    QPushButton* m_pZoomIn = nullptr;
    QCheckBox* m_pParallel = nullptr;
    QLineEdit* m_pModulus = nullptr;
    QLineEdit* m_pYield = nullptr;
};
