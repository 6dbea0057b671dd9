// Offscreen tests of the mechanical-property test: the stored curve loads and
// shows, cursors set with the mouse give the elastic modulus and the yield
// strength, the parallel-line mode holds the cursors, zoom, the info box and
// the plot colours.
#include "datafiles/RunWriter.h"
#include "model/ChannelModelTestSupport.h"
#include "panels/PanelsTestApp.h"
#include "panels/mechanical/DlgMechanicalTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace testrun;

// Strain in µε and stress in MPa of a hand-worked hardening run: 0.2 MPa a
// µε up to 2000 µε; the offset line of 0.2 meets it at 488.8889 MPa.
const std::vector<float> kStrain = {0, 1000, 2000, 3000, 4000, 5000, 6000};
const std::vector<float> kStress = {0, 200, 400, 450, 480, 500, 510};
constexpr int kStrainChannel = 16 + 2; // unit 1
constexpr int kStressChannel = 5;      // unit 0

class MechanicalDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    void SetUp() override {
        ResetChannelModel();
        SetOnlineCases({0, 1});
        const int channels[] = {kStressChannel, kStrainChannel, 7};
        g_nMeasChanCount = 3;
        std::copy(std::begin(channels), std::end(channels), g_MeasChanList);
        std::strcpy(g_ChannelParams[kStrainChannel].szDescription, platform::Utf8ToGbk("ε").c_str());

        RunSpec spec(m_dir.Path(), "run", {0, 1}, std::int64_t(kStrain.size()), true);
        for (std::size_t k = 0; k < kStrain.size(); ++k) {
            // The channel table halves every reading.
            spec.overrides[{1, std::int64_t(k)}][2] = kStrain[k] * 2;
            spec.overrides[{0, std::int64_t(k)}][5] = kStress[k] * 2;
        }
        m_run = std::make_unique<RunWriter>(spec);
        m_run->Write();
        m_dialog.SetLayout(m_run->Layout());
        m_dialog.SetChannelTable(&m_table);
        m_dialog.SetDataFile(m_run->DataPath(), int(kStrain.size()));
        m_dialog.OnInitDialog();
    }
    void TearDown() override { ResetChannelModel(); }

    // Strain on X, stress on Y, as a user picks them.
    void ChooseStrainAgainstStress() {
        auto* x = m_dialog.findChild<QComboBox*>("id1022");
        x->setCurrentIndex(1);
        emit x->activated(1);
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), QPointF(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_dialog.PlotArea(), &event);
    }
    // Presses at from and drags to the pixel of an X value.
    void DragTo(QPoint from, float xValue) {
        Mouse(QEvent::MouseButtonPress, from);
        Mouse(QEvent::MouseMove, QPoint(XPixel(xValue), from.y()));
        Mouse(QEvent::MouseButtonRelease, QPoint(XPixel(xValue), from.y()));
    }
    int XPixel(float x) const {
        const MechanicalScale scale = ComputeMechanicalScale(m_dialog.GetPlotRect(), m_dialog.GetRanges());
        return scale.nOriginX + int(x * scale.fPixelsPerX);
    }
    QPoint Pixel(float x, float y) const {
        const MechanicalScale scale = ComputeMechanicalScale(m_dialog.GetPlotRect(), m_dialog.GetRanges());
        return QPoint(int(scale.nOriginX + double(x) * scale.fPixelsPerX),
                      int(scale.nOriginY - double(y) * scale.fPixelsPerY));
    }
    // The colour is drawn at the pixel or next to it.
    static bool DrawnNear(const QImage& image, QPoint at, QColor colour) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixelColor(at + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    }
    QImage Plot() {
        m_dialog.PlotArea()->grab();
        return m_dialog.PlotImage();
    }
    // The elastic range 0..1000 µε between the cursors.
    void CursorsOverTheElasticRange() {
        const MechanicalPlotRect& plot = m_dialog.GetPlotRect();
        const int y = (plot.top + plot.bottom) / 2;
        DragTo(QPoint(plot.left + 1, y), -500.0f);
        DragTo(QPoint(plot.right - 1, y), 1500.0f);
    }
    QString Text(int id) { return m_dialog.findChild<QLineEdit*>(QStringLiteral("id%1").arg(id))->text(); }

    TempDir m_dir;
    HalfChannelTable m_table;
    std::unique_ptr<RunWriter> m_run;
    CDlgMechanicalTest m_dialog;
};

TEST_F(MechanicalDialogTest, TheCurveShowsOnceLoadedAndTheCursorsGiveModulusAndYield) {
    auto* x = m_dialog.findChild<QComboBox*>("id1022");
    ASSERT_EQ(x->count(), 3);
    EXPECT_EQ(x->itemText(1).toStdString(), "01-02-03[ε]");
    EXPECT_EQ(m_dialog.GetXChannel(), kStressChannel);
    EXPECT_FALSE(m_dialog.IsCurveShown());

    ChooseStrainAgainstStress();
    ASSERT_TRUE(m_dialog.IsCurveShown());
    EXPECT_EQ(m_dialog.GetSeries().x, kStrain);
    EXPECT_EQ(m_dialog.GetSeries().y, kStress);
    EXPECT_EQ(m_dialog.GetRanges().fXHalfRange, 6010.0f);
    EXPECT_EQ(m_dialog.GetRanges().fYHalfRange, 520.0f);
    EXPECT_TRUE(DrawnNear(Plot(), Pixel(5000, 500), QColor(255, 255, 0))) << "the curve's colour";

    CursorsOverTheElasticRange();
    EXPECT_NEAR(m_dialog.GetCursorValue(0), -500.0f, 30.0f);
    EXPECT_NEAR(m_dialog.GetCursorValue(1), 1500.0f, 30.0f);
    m_dialog.findChild<QPushButton*>("id1047")->click();
    EXPECT_EQ(Text(1045), "0.2000");
    EXPECT_EQ(Text(1046), "488.8889");

    // Y cursors around the whole curve: every sample is in the fit.
    m_dialog.findChild<QRadioButton*>("id1051")->click();
    m_dialog.findChild<QPushButton*>("id1047")->click();
    EXPECT_NE(Text(1045), "0.2000");
}

TEST_F(MechanicalDialogTest, TheParallelLineHoldsTheCursorsUntilAChannelChanges) {
    ChooseStrainAgainstStress();
    CursorsOverTheElasticRange();
    auto* parallel = m_dialog.findChild<QCheckBox*>("id1052");
    parallel->click();
    EXPECT_TRUE(m_dialog.IsParallelLine());
    EXPECT_EQ(Text(1045), "0.2000");
    for (const char* id : {"id1050", "id1051", "id1053", "id1054"})
        EXPECT_FALSE(m_dialog.findChild<QWidget*>(id)->isEnabled()) << id;
    EXPECT_TRUE(DrawnNear(Plot(), Pixel(4500, 500), QColor(0, 255, 0))) << "the offset line of 0.2";

    const int before = m_dialog.GetCursorPixel(0);
    DragTo(QPoint(m_dialog.GetPlotRect().left + 1, 200), 3000.0f);
    EXPECT_EQ(m_dialog.GetCursorPixel(0), before);

    auto* y = m_dialog.findChild<QComboBox*>("id1043");
    y->setCurrentIndex(2);
    emit y->activated(2);
    EXPECT_FALSE(m_dialog.IsParallelLine());
    EXPECT_FALSE(parallel->isChecked());
    EXPECT_TRUE(m_dialog.findChild<QWidget*>("id1053")->isEnabled());
    EXPECT_EQ(m_dialog.GetCursorPixel(0), m_dialog.GetPlotRect().left) << "cursors back on the edges";
}

TEST_F(MechanicalDialogTest, ZoomInfoBoxAndColours) {
    ChooseStrainAgainstStress();
    auto* zoomOut = m_dialog.findChild<QPushButton*>("id1053");
    auto* zoomIn = m_dialog.findChild<QPushButton*>("id1054");
    zoomOut->click();
    EXPECT_EQ(m_dialog.GetZoomFactor(), 2.0f);
    EXPECT_EQ(m_dialog.GetRanges().fXMax, 12020.0f);
    zoomIn->click();
    zoomIn->click();
    EXPECT_EQ(m_dialog.GetZoomFactor(), 0.5f) << "±3005 still spans ±2000";
    zoomIn->click();
    EXPECT_EQ(m_dialog.GetZoomFactor(), 0.5f);

    // The info box follows a drag but stays 20 pixels inside the plot area.
    Plot();
    const QRect box = m_dialog.GetInfoRect();
    Mouse(QEvent::MouseButtonPress, box.center());
    Mouse(QEvent::MouseMove, QPoint(5000, 5000));
    Mouse(QEvent::MouseButtonRelease, QPoint(5000, 5000));
    EXPECT_EQ(m_dialog.GetInfoRect().topLeft(),
              QPoint(m_dialog.PlotArea()->width() - 20, m_dialog.PlotArea()->height() - 20));

    m_dialog.runGraphColor = [](CDlgGraphColor& colours) {
        EXPECT_EQ(colours.GetColours(), DefaultMechanicalColours());
        colours.pickColour = [](COLORREF& colour) {
            colour = 0x000080; // dark red
            return true;
        };
        colours.Swatch(kPlotBackground)->click();
        colours.accept();
        return int(QDialog::Accepted);
    };
    // The plot's context menu leads to the colour dialog.
    QString item;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* action = menu->actions().front();
        item = action->text();
        EXPECT_EQ(action->data().toInt(), CDlgMechanicalTest::ID_GRAPH_PROPERTIES);
        action->trigger();
        menu->close();
    });
    Mouse(QEvent::MouseButtonPress, QPoint(300, 200), Qt::RightButton);
    EXPECT_EQ(item.toStdString(), "图形属性(&C)");
    EXPECT_EQ(m_dialog.GetColours()[kPlotBackground], 0x000080u);
    EXPECT_EQ(Plot().pixelColor(2, m_dialog.PlotArea()->height() - 2), QColor(128, 0, 0));
}

} // namespace
