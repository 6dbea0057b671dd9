// The table view window offscreen: live refresh of changed cells only, the
// four-window limit, mode commands and tabs, the properties dialog, printing
// to PDF, saving and the bitmap.
#include "views/ViewsTestSupport.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportContext.h"
#include "platform/MessageBox.h"
#include "views/table/TableSaveCommand.h"

#include "panels/data/DlgSaveDataOption.h"
#include "panels/data/TableSaveOptionsDialog.h"
#include "views/shared/DlgPageSetup.h"
#include "views/table/DlgTableProperty.h"
#include "views/table/TableGridModel.h"
#include "views/table/TableViewWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

#include <array>

using namespace viewtest;

namespace {

class TableViewWidgetTest : public TableWorldFixture {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        TableWorldFixture::SetUp();
        for (int slot = 0; slot < 2; ++slot)
            sampleSet[std::size_t(slot)].nHeader = slot;
        values.fill(0.0f);
    }

    std::unique_ptr<CTableViewWidget> View() {
        std::unique_ptr<CTableViewWidget> view(CTableViewWidget::Create(world));
        view->onAlarmSound = [this] { ++alarmSounds; };
        view->InitialUpdate();
        return view;
    }

    void Feed(CTableViewWidget& view) {
        view.ReceiveData(1, sampleSet.data(), values.data());
        view.UpdateStatusText("t", "s");
        view.UpdateTable();
    }

    static QString Cell(const CTableViewWidget& view, int row, int column, int role = Qt::DisplayRole) {
        return view.Model()->data(view.Model()->index(row, column), role).toString();
    }

    std::array<CaseSampleBlock, 512> sampleSet{};
    std::array<float, 4104> values{};
    int alarmSounds = 0;
};

// A narrow window: the share of its width would cut the headings and the
// not-balanced texts short; every column still fits every text it holds, on
// the first showing and after a run's feed.
TEST_F(TableViewWidgetTest, ColumnsFitTheirTextsInANarrowWindow) {
    world.bSampling = true;
    world.channels[3].nZero = kNotBalancedZero;
    QWidget parent;
    parent.resize(420, 300);
    auto view = View();
    view->setParent(&parent);
    view->setGeometry(0, 0, 420, 300);
    parent.show();
    for (int i = 0; i < 32; ++i)
        values[std::size_t(i)] = -12345.678f;
    view->Data().m_nDataPrecision = 3;
    Feed(*view);
    const QFontMetrics metrics(view->Grid()->font());
    const TableGrid& grid = view->Data().m_grid;
    ASSERT_EQ(grid.At(1, 4).text, "未平衡");
    for (int c = 0; c < grid.Columns(); ++c)
        for (int r = 0; r < grid.Rows(); ++r)
            EXPECT_GT(view->Grid()->columnWidth(c),
                      metrics.horizontalAdvance(QString::fromStdString(grid.At(r, c).text)))
                << "row " << r << " column " << c << " \"" << grid.At(r, c).text << "\"";
}

TEST_F(TableViewWidgetTest, LiveSampleSetsRefreshOnlyTheCellsThatChanged) {
    world.bSampling = true;
    world.channels[20].bAlarm = true;
    world.channels[20].fUpper = 100.0f;
    auto view = View();
    for (int i = 0; i < 32; ++i)
        values[std::size_t(i)] = float(i);
    int resets = 0, changes = 0;
    QObject::connect(view->Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(view->Model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    Feed(*view);
    EXPECT_EQ(Cell(*view, 2, 5), "20");
    EXPECT_EQ(changes, 1);
    values[20] = 150.0f;
    Feed(*view);
    EXPECT_EQ(view->Model()->LastChangedCells(), 1);
    EXPECT_EQ(Cell(*view, 2, 5), "150");
    EXPECT_EQ(view->Model()->data(view->Model()->index(2, 5), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 0, 0));
    EXPECT_EQ(alarmSounds, 1);
    Feed(*view); // nothing new: nothing announced
    EXPECT_EQ(view->Model()->LastChangedCells(), 0);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(view->StatusStrip()->text(), "采样时间: t    采样状态: s");
}

// What the grid paints: the fixed cells grey, a cell in alarm red, the
// selected cell in the selection's colour, and each value's text over them.
TEST_F(TableViewWidgetTest, TheGridPaintsTheCellsColoursTextsAndSelection) {
    world.bSampling = true;
    world.channels[20].bAlarm = true;
    world.channels[20].fUpper = 100.0f;
    auto view = View();
    view->resize(640, 400);
    view->show();
    values[20] = 150.0f;
    Feed(*view);
    QTableView* grid = view->Grid();
    grid->setCurrentIndex(view->Model()->index(2, 6));
    const QImage picture = grid->viewport()->grab().toImage();
    const auto cell = [&](int row, int column) {
        return grid->visualRect(view->Model()->index(row, column));
    };
    const auto corner = [&](int row, int column) {
        return picture.pixelColor(cell(row, column).topLeft() + QPoint(2, 2));
    };
    EXPECT_EQ(corner(0, 1), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(corner(2, 5), QColor(255, 0, 0));
    EXPECT_EQ(corner(2, 4), QColor(255, 255, 255));
    EXPECT_EQ(corner(2, 6), grid->palette().color(QPalette::Active, QPalette::Highlight));
    // The alarm cell's text "150" is drawn: its middle holds other colours.
    const QRect alarm = cell(2, 5);
    int inked = 0;
    for (int x = alarm.left(); x <= alarm.right(); ++x)
        inked += picture.pixelColor(x, alarm.center().y()) != QColor(255, 0, 0);
    EXPECT_GT(inked, 3);
}

TEST_F(TableViewWidgetTest, AFifthTableViewCannotBeOpened) {
    std::vector<std::unique_ptr<CTableViewWidget>> views;
    for (int i = 0; i < 4; ++i)
        views.emplace_back(CTableViewWidget::Create(world));
    EXPECT_EQ(CTableViewWidget::Create(world), nullptr);
    views.erase(views.begin() + 1);
    EXPECT_EQ(CTableViewWidget::TableViews().size(), 3u);
    views.emplace_back(CTableViewWidget::Create(world));
    EXPECT_NE(views.back(), nullptr);
}

TEST_F(TableViewWidgetTest, ModeCommandsSwitchLayoutTabsAndTitle) {
    StoreRun(5);
    auto view = View();
    int retitles = 0;
    view->onModeChanged = [&] { ++retitles; };
    EXPECT_TRUE(view->OnCommand(ID_TABLE_SHOW_HISTORY));
    EXPECT_EQ(view->Data().m_nShowDataType, TABLE_HISTORY);
    EXPECT_TRUE(view->IsCommandChecked(ID_TABLE_SHOW_HISTORY));
    EXPECT_FALSE(view->TopTabs()->isHidden());
    EXPECT_EQ(view->TopTabs()->count(), 2);
    EXPECT_TRUE(view->StatusStrip()->isHidden());
    EXPECT_EQ(Cell(*view, 5, 0).toStdString(), FormatStatusTime(testrun::RunWriter::Time(4), 0));
    view->TopTabs()->setCurrentIndex(1); // the other unit
    EXPECT_EQ(view->Data().m_nSelCaseID, 1);
    EXPECT_TRUE(view->OnCommand(ID_TABLE_SHOW_HISTORY)); // the same mode again changes nothing
    EXPECT_EQ(retitles, 1);
    EXPECT_TRUE(view->OnCommand(ID_TABLE_SHOW_MEASURED));
    EXPECT_TRUE(view->TopTabs()->isHidden());
    EXPECT_EQ(retitles, 2);
}

TEST_F(TableViewWidgetTest, PropertiesKeepDecimalsPerTypeAndRefuseOutOfRange) {
    platform::MessageBoxRecorder boxes;
    auto view = View();
    std::map<int, int> frameCopy;
    view->onPrecisionChanged = [&](const std::map<int, int>& map) { frameCopy = map; };
    view->runPropertyDialog = [&](CDlgTableProperty& dialog) {
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.TypeCombo()->currentText(), "应变应力");
        dialog.DecimalsEdit()->setText("3");
        dialog.OnDecimalsLeft();
        dialog.DecimalsEdit()->setText("16");
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        dialog.DecimalsEdit()->setText("3");
        dialog.RowsEdit()->setText("5");
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        dialog.RowsEdit()->setText("6");
        dialog.accept();
        return dialog.result();
    };
    view->ShowPropertyDialog();
    EXPECT_EQ(boxes.Records().size(), 2u);
    EXPECT_EQ(view->Data().m_PrecisionByType, (std::map<int, int>{{0, 3}}));
    EXPECT_EQ(frameCopy, view->Data().m_PrecisionByType);
    EXPECT_EQ(view->Data().m_nRowLimit, 6);
}

TEST_F(TableViewWidgetTest, ApplyToAllTablesLeavesTheirUnits) {
    auto first = View();
    auto second = View();
    first->runPropertyDialog = [](CDlgTableProperty& dialog) {
        dialog.OnInitDialog();
        dialog.UnitCombo()->setCurrentIndex(1);
        dialog.DecimalsEdit()->setText("2");
        dialog.DescribCheck()->setChecked(true);
        dialog.ApplyAllCheck()->setChecked(true);
        dialog.accept();
        return dialog.result();
    };
    first->ShowPropertyDialog();
    EXPECT_EQ(first->Data().m_nSelCaseID, 1);
    EXPECT_EQ(second->Data().m_nSelCaseID, 0);
    EXPECT_EQ(second->Data().m_nDataPrecision, 2);
    EXPECT_TRUE(second->Data().m_bShowDescrib);
    EXPECT_EQ(second->Model()->rowCount(), 5) << "the other table was laid out again";
}

TEST_F(TableViewWidgetTest, PageSetupTakesTheDialogsValuesOnlyAfterOk) {
    auto view = View();
    int answer = QDialog::Rejected;
    view->runPageSetupDialog = [&](CDlgPageSetup& dialog) {
        EXPECT_EQ(dialog.FieldEdit(CDlgPageSetup::HeaderText)->text(), "QVTestVelmor测试_7411N");
        dialog.FieldEdit(CDlgPageSetup::FooterText)->setText("第二页脚");
        dialog.FieldEdit(CDlgPageSetup::Top)->setText("2.5");
        if (answer == QDialog::Accepted)
            dialog.accept();
        return dialog.result();
    };
    EXPECT_TRUE(view->OnCommand(ID_TABLE_PAGE_SETUP));
    EXPECT_EQ(view->m_PageSetup.strFooter, "--- pagefoot ---");
    answer = QDialog::Accepted;
    EXPECT_TRUE(view->OnCommand(ID_TABLE_PAGE_SETUP));
    EXPECT_EQ(view->m_PageSetup.strFooter, "第二页脚");
    EXPECT_FLOAT_EQ(view->m_PageSetup.fTopMargin, 2.5f);
    EXPECT_FLOAT_EQ(view->m_PageSetup.fLeftMargin, 2.0f);
}

TEST_F(TableViewWidgetTest, HistoryOfMoreRowsThanAPagePrintsOnTwoPdfPages) {
    StoreRun(50);
    auto view = View();
    view->Data().m_nRowLimit = 33;
    view->SetShowDataType(TABLE_HISTORY);
    ASSERT_EQ(view->Model()->rowCount(), 34);
    const QString path = QString::fromStdString(dir.Path() + "/table.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    EXPECT_EQ(view->PrintTo(printer), 2);
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_EQ(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 2);
}

TEST_F(TableViewWidgetTest, SaveCommandsWriteThroughTheExportersAndTheBitmapIsABmp) {
    StoreRun(4);
    auto view = View();
    ExportContext context(world.layout, channels);
    context.dataPath = world.dataPath;
    context.statusPath = world.statusPath;
    context.askExportFileName = [this](int type, std::string& folder, std::string& title, std::string& ext) {
        folder = dir.Path();
        title = "saved";
        ext = type == 0 ? "txt" : type == 1 ? "xls" : "bmp";
        return 1;
    };
    view->SetExportContext(&context);
    view->runSaveOptionsDialog = [](const TableSavePreset& preset, TableSaveKind, SaveDataOptions& options) {
        options.nChannelCount = 0;
        for (int channel : preset.items)
            options.nChannels[options.nChannelCount++] = channel;
        return true;
    };
    EXPECT_TRUE(view->OnCommand(ID_TABLE_SAVE_TEXT));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/saved.txt"));
    EXPECT_EQ(view->m_SaveOptions.nChannelCount, 16);
    EXPECT_TRUE(view->OnCommand(ID_TABLE_SAVE_BITMAP));
    QFile bitmap(QString::fromStdString(dir.Path() + "/saved.bmp"));
    ASSERT_TRUE(bitmap.open(QIODevice::ReadOnly));
    EXPECT_EQ(bitmap.read(2), "BM");
    world.bSampling = true;
    EXPECT_FALSE(view->OnCommand(ID_TABLE_SAVE_EXCEL)) << "no export while a run samples";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/saved.xls"));
}

} // namespace

namespace {

TEST(TableSaveOptionsDialog, RunnerHandsTheRecordInAndBackAfterOk) {
    EnsureViewsTestApp();
    SaveOptionSources sources;
    for (int channel = 0; channel < 32; ++channel) {
        sources.measureChannels.push_back(channel);
        sources.allChannels.push_back(channel);
    }
    sources.nStoredDataCount = 10;
    const RunSaveOptionsDialogFn run = MakeTableSaveOptionsDialogRunner(sources, nullptr);
    SaveDataOptions options;
    options.nDataRange = 1;
    options.nChannels[0] = 17;
    options.nChannelCount = 1;
    platform::MessageBoxRecorder boxes; // a refused OK must not wait for a person
    int listed = -1;
    QTimer::singleShot(0, [&listed] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        listed = dialog->findChild<QListWidget*>("available")->count() +
                 dialog->findChild<QListWidget*>("chosen")->count();
        dialog->findChild<QPushButton*>("addAll")->click();
        dialog->accept();
    });
    ASSERT_TRUE(run(TableSavePreset{1, {16, 17, 18}}, TableSaveKind::Text, options));
    EXPECT_EQ(listed, 3) << "the dialog lists the view's channels";
    EXPECT_EQ(options.nDataRange, 1);
    EXPECT_EQ(options.nChannelCount, 3);
    EXPECT_TRUE(boxes.Records().empty());
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    options.nDataRange = 0;
    EXPECT_FALSE(run(TableSavePreset{1, {16}}, TableSaveKind::Spreadsheet, options));
    EXPECT_EQ(options.nDataRange, 0) << "a cancel leaves the record";
}

} // namespace
