// The workbook writer, the progress window and the export with progress,
// linked as an outside caller links them; workbooks read back by openpyxl.
// Cell names, filling rows and columns, the sheets' order and names, an
// existing workbook's sheets kept and what cannot be carried over refused,
// the temporary name at Quit and a failed save, the export's layout and
// stopping it from its window.
#include <gtest/gtest.h>

#include "SmallDisk.h"
#include "WorkbookReader.h"
#include "libs/excelexport/Brisel_R.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "brisel_r_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's input devices outlive any static QApplication.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

class BriselRTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    std::string File(const std::string& name) const {
        return m_folder.filePath(QString::fromStdString(name)).toStdString();
    }

    // An existing workbook of two sheets 甲 and 乙, with the extra part `kind`
    // ("plain", "formula", "chart", "picture").
    static void MakeWorkbook(const std::string& path, const char* kind) {
        QProcess maker;
        maker.start("/usr/bin/python3",
                    {QStringLiteral(QV_MAKE_WORKBOOK_PY), QString::fromStdString(path), kind});
        ASSERT_TRUE(maker.waitForFinished(60000));
        ASSERT_EQ(maker.exitCode(), 0) << maker.readAllStandardError().toStdString();
    }

    static ReadWorkbook Read(const std::string& path) {
        ReadWorkbook book = ReadBack(path);
        EXPECT_TRUE(book.ok) << book.error;
        return book;
    }

    static std::vector<std::string> SheetNames(const ReadWorkbook& book) {
        std::vector<std::string> names;
        for (const ReadSheet& sheet : book.sheets) {
            names.push_back(sheet.name);
        }
        return names;
    }

    static std::string Text(const ReadSheet* sheet, const std::string& cell) {
        if (sheet == nullptr || !sheet->cells.count(cell)) {
            return "<none>";
        }
        return sheet->cells.at(cell).text;
    }

    // The two sheets of the made workbook, cell by cell.
    static void ExpectMadeSheets(const ReadWorkbook& book) {
        const ReadSheet* first = book.Sheet("甲");
        const ReadSheet* second = book.Sheet("乙");
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->cells.size(), 5u);
        EXPECT_EQ(first->cells.at("A1").number, 1.5);
        EXPECT_EQ(first->cells.at("A1").format, "0.000");
        EXPECT_EQ(first->cells.at("A2").text, "文字");
        EXPECT_EQ(first->cells.at("A3").kind, 'b');
        EXPECT_EQ(first->cells.at("A3").number, 1);
        EXPECT_EQ(first->cells.at("B1").number, 0.25);
        EXPECT_EQ(first->cells.at("B1").format, "0.00%");
        EXPECT_EQ(first->cells.at("C5").number, 12345678901.0);
        EXPECT_EQ(second->cells.at("B2").number, -2.5);
    }

    QTemporaryDir m_folder;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(BriselRTest, CellNamesAndChannelNames) {
    CExportExcel_Ex excel;
    const struct {
        int row, column;
        const char* name;
    } cells[] = {{5, 26, "Z5"},
                 {5, 28, "AB5"},
                 {1, 27, "AA1"},
                 {1, 53, "BA1"},
                 {3, 702, "ZZ3"},
                 {3, 703, "AAA3"},
                 {1048576, 16384, "XFD1048576"},
                 {0, 1, ""},
                 {1, 0, ""},
                 {1, 16385, ""},
                 {1048577, 1, ""}};
    for (const auto& c : cells) {
        std::string name = "stale";
        excel.IndexToString(c.row, c.column, name);
        EXPECT_EQ(name, c.name) << c.row << "," << c.column;
    }
    EnsureApp();
    CDlgProgress progress;
    EXPECT_EQ(progress.GetChannelStrID(35, 16), "3_4");
    EXPECT_EQ(progress.GetChannelStrID(0, 16), "1_1");
    EXPECT_EQ(progress.GetChannelStrID(16, 16), "2_1");
    EXPECT_EQ(progress.GetChannelStrID(35, 0), "");
}

TEST_F(BriselRTest, FillsAlongARowOrDownAColumnIntoNamedSheetsCountedFromTheLastTab) {
    CExportExcel_Ex excel;
    excel.SetFileName(File("book"));
    ASSERT_EQ(excel.Initial(), 1);
    ASSERT_EQ(excel.SetSheetName(1, "数据"), 1);
    EXPECT_EQ(excel.FillGridContent(2, 3, {"a", "b"}, eFillRow), 1);
    EXPECT_EQ(excel.FillGridContent(2, 6, {"c", "d"}, eFillColumn), 1);
    EXPECT_EQ(excel.FillGridContent(1, 702, {"zz", "aaa"}, eFillRow), 1);
    EXPECT_EQ(excel.FillGridContent(2, 4, {""}, eFillRow), 1) << "an empty text clears D2";
    // Sheet 3 of 1: two sheets are added, each before the active one.
    ASSERT_EQ(excel.SetSheetName(3, "三"), 1);
    EXPECT_EQ(excel.FillGridContent(1, 1, {"third"}, eFillRow), 1);
    ASSERT_EQ(excel.SetSheetName(2, "二"), 1);
    EXPECT_EQ(excel.FillGridContent(1, 1, {"second"}, eFillRow), 1);
    EXPECT_EQ(excel.SetSheetName(1, "二"), 0) << "a name already taken";
    EXPECT_EQ(excel.SetSheetName(1, "a:b"), 0);
    EXPECT_EQ(excel.SetSheetCount(5), 0);
    ASSERT_EQ(excel.Quit(), 1);

    const ReadWorkbook book = Read(File("book.xlsx"));
    EXPECT_EQ(SheetNames(book), (std::vector<std::string>{"三", "二", "数据"}));
    EXPECT_EQ(book.active, "三");
    const ReadSheet* data = book.Sheet("数据");
    ASSERT_TRUE(data);
    const std::map<std::string, std::string> expected = {
        {"C2", "a"}, {"F2", "c"}, {"F3", "d"}, {"ZZ1", "zz"}, {"AAA1", "aaa"}};
    EXPECT_EQ(data->cells.size(), expected.size());
    for (const auto& [cell, text] : expected) {
        EXPECT_EQ(Text(data, cell), text) << cell;
    }
    EXPECT_EQ(Text(book.Sheet("三"), "A1"), "third");
    EXPECT_EQ(Text(book.Sheet("二"), "A1"), "second");
    EXPECT_EQ(m_boxes.Records().size(), 2u);
}

TEST_F(BriselRTest, FillsOutsideTheSheetOrWithoutASheetAreRefusedWhole) {
    CExportExcel_Ex excel;
    excel.SetFileName(File("edge"));
    EXPECT_EQ(excel.FillGridContent(1, 1, {"a"}, eFillRow), 0) << "no current sheet yet";
    ASSERT_EQ(excel.SetActiveSheet(1), 1);
    EXPECT_EQ(excel.SetActiveSheet(0), 0);
    const struct {
        int row, column;
        std::vector<std::string> texts;
        eFillGridType type;
        int result;
    } fills[] = {
        {1, 16384, {"last"}, eFillRow, 1},
        {2, 16384, {"x", "16,385th"}, eFillRow, 0},
        {1048576, 1, {"last"}, eFillColumn, 1},
        {1048575, 2, {"x", "y", "1,048,577th"}, eFillColumn, 0},
        {0, 1, {"x"}, eFillRow, 0},
        {1, 0, {"x"}, eFillColumn, 0},
        {1, 1, {}, eFillRow, 0},
    };
    for (const auto& f : fills) {
        EXPECT_EQ(excel.FillGridContent(f.row, f.column, f.texts, f.type), f.result)
            << f.row << "," << f.column;
    }
    ASSERT_EQ(excel.Quit(), 1);
    const ReadWorkbook book = Read(File("edge.xlsx"));
    ASSERT_EQ(book.sheets.size(), 1u);
    const ReadSheet& sheet = book.sheets.front();
    EXPECT_EQ(sheet.cells.size(), 2u);
    EXPECT_EQ(Text(&sheet, "XFD1"), "last");
    EXPECT_EQ(Text(&sheet, "A1048576"), "last");
    EXPECT_EQ(excel.Quit(), 0) << "nothing open to save";
}

TEST_F(BriselRTest, AnExistingWorkbookKeepsItsSheetsAndValues) {
    const std::string path = File("old.xlsx");
    MakeWorkbook(path, "plain");
    CExportExcel_Ex excel;
    excel.SetFileName(File("old"));
    ASSERT_EQ(excel.Initial(), 1);
    ASSERT_EQ(excel.SetSheetName(3, "新"), 1) << "added before the active first sheet";
    ASSERT_EQ(excel.FillGridContent(1, 1, {"new"}, eFillRow), 1);
    ASSERT_EQ(excel.SetActiveSheet(1), 1) << "the last tab, 乙";
    ASSERT_EQ(excel.FillGridContent(1, 1, {"y"}, eFillRow), 1);
    ASSERT_EQ(excel.Quit(), 1);

    const ReadWorkbook book = Read(path);
    EXPECT_EQ(SheetNames(book), (std::vector<std::string>{"新", "甲", "乙"}));
    ExpectMadeSheets(book);
    EXPECT_EQ(Text(book.Sheet("新"), "A1"), "new");
    EXPECT_EQ(Text(book.Sheet("乙"), "A1"), "y");
    EXPECT_TRUE(m_boxes.Records().empty());
    EXPECT_EQ(FolderNames(m_folder.path().toStdString()), std::vector<std::string>{"old.xlsx"});
}

TEST_F(BriselRTest, AWorkbookWithWhatCannotBeCarriedOverIsRefusedAndLeftAsItIs) {
    const char* kinds[] = {"formula", "chart", "picture", "not a workbook"};
    for (const char* kind : kinds) {
        SCOPED_TRACE(kind);
        const std::string path = File("held.xlsx");
        if (std::string(kind) == "not a workbook") {
            std::ofstream(path, std::ios::binary) << "\xD0\xCF\x11\xE0 an old binary workbook";
        } else {
            MakeWorkbook(path, kind);
        }
        const std::string before = FileBytes(path);
        const std::size_t boxes = m_boxes.Records().size();
        CExportExcel_Ex excel;
        excel.SetFileName(File("held"));
        EXPECT_EQ(excel.SetActiveSheet(1), 0);
        EXPECT_EQ(excel.SetSheetName(1, "x"), 0);
        EXPECT_EQ(excel.FillGridContent(1, 1, {"x"}, eFillRow), 0);
        EXPECT_EQ(excel.Quit(), 0);
        EXPECT_EQ(FileBytes(path), before);
        EXPECT_EQ(m_boxes.Records().size(), boxes + 3) << "refused, refused again, out of range";
        EXPECT_EQ(FolderNames(m_folder.path().toStdString()), std::vector<std::string>{"held.xlsx"});
    }
}

TEST_F(BriselRTest, QuitWritesUnderAFreeTemporaryNameAndMovesItOverTheFile) {
    MakeWorkbook(File("excel.xlsx"), "plain");
    const std::string otherTemp = "someone else's";
    std::ofstream(File("excelTemp.xlsx"), std::ios::binary) << otherTemp;
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(m_folder.path().toLocal8Bit().constData()), 0);
    {
        CExportExcel_Ex excel; // the default file name, in the current folder
        ASSERT_EQ(excel.SetActiveSheet(1), 1);
        ASSERT_EQ(excel.FillGridContent(9, 9, {"replaced"}, eFillRow), 1);
        EXPECT_EQ(excel.Quit(), 1);
    }
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(FolderNames(m_folder.path().toStdString()),
              (std::vector<std::string>{"excel.xlsx", "excelTemp.xlsx"}));
    EXPECT_EQ(FileBytes(File("excelTemp.xlsx")), otherTemp);
    const ReadWorkbook book = Read(File("excel.xlsx"));
    ExpectMadeSheets(book);
    EXPECT_EQ(Text(book.Sheet("乙"), "I9"), "replaced");
}

TEST_F(BriselRTest, AFailedSaveLeavesTheWorkbookAsItWas) {
    SmallDisk disk(512 * 1024);
    if (!disk.IsMounted()) {
        GTEST_SKIP() << "no private tmpfs here";
    }
    const std::string path = disk.File("kept.xlsx");
    MakeWorkbook(path, "plain");
    const std::string before = FileBytes(path);
    ASSERT_TRUE(disk.FillLeaving(16 * 1024));
    CExportExcel_Ex excel;
    excel.SetFileName(disk.File("kept"));
    ASSERT_EQ(excel.SetActiveSheet(1), 1);
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i) {
        texts.push_back(std::to_string(i * 7919u % 100003u) + "-" + std::to_string(i));
    }
    ASSERT_EQ(excel.FillGridContent(1, 1, texts, eFillColumn), 1);
    EXPECT_EQ(excel.Quit(), 0);
    EXPECT_EQ(m_boxes.Records().size(), 1u);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(FolderNames(disk.File("")), (std::vector<std::string>{"filler", "kept.xlsx"}));
}

TEST_F(BriselRTest, AWorkbookTheExportWroteOpensInTheWriterWithItsCellsAndFormats) {
    const float times[] = {0.5f};
    const int channels[] = {3};
    const double values[] = {1.23456};
    const std::string path = File("run.xlsx");
    // An old-style name is written under the zipped workbook's own extension.
    ASSERT_EQ(BriselEx(16, "时间", 1, times, 0, 1, channels, values, 1, 1, File("run.xls").c_str(), nullptr),
              1);
    EXPECT_EQ(FolderNames(m_folder.path().toStdString()), std::vector<std::string>{"run.xlsx"});
    ::chmod(path.c_str(), 0640);
    CExportExcel_Ex excel;
    excel.SetFileName(File("run"));
    ASSERT_EQ(excel.SetSheetName(2, "备注"), 1);
    ASSERT_EQ(excel.FillGridContent(1, 1, {"note"}, eFillRow), 1);
    ASSERT_EQ(excel.Quit(), 1);

    const ReadWorkbook book = Read(path);
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].name, "备注");
    const ReadSheet& run = book.sheets[1];
    EXPECT_EQ(Text(&run, "A1"), "时间");
    EXPECT_EQ(Text(&run, "B1"), "1_4");
    EXPECT_EQ(run.cells.at("A2").number, 0.5);
    EXPECT_EQ(run.cells.at("A2").format, "0.000");
    EXPECT_EQ(run.cells.at("B2").number, 1.2346);
    EXPECT_EQ(run.cells.at("B2").format, "0.0000");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the file replaced keeps its permissions";
}

// The export's cells for 2 samples of channels 35 and 0.
struct ExportLayout {
    const char* what;
    int timeColumn;
    int header;
    std::map<std::string, std::string> texts;
    std::map<std::string, std::pair<double, std::string>> numbers; // value, format
};

TEST_F(BriselRTest, ExportWritesOneRowASampleWithTheChannelNamesAndTimes) {
    const float times[] = {0.5f, 1.25f};
    const int channels[] = {35, 0};
    const double inf = std::numeric_limits<double>::infinity();
    // Channel-major: channel 35's samples, then channel 0's.
    const double values[] = {1.23456, -2.00049, inf, 7.0};
    const ExportLayout layouts[] = {
        {"time and header",
         1,
         1,
         {{"A1", "时间"}, {"B1", "3_4"}, {"C1", "1_1"}, {"C2", "inf"}},
         {{"A2", {0.5, "0.0000"}},
          {"A3", {1.25, "0.0000"}},
          {"B2", {1.2346, "0.0000"}},
          {"B3", {-2.0005, "0.0000"}},
          {"C3", {7.0, "0.0000"}}}},
        {"header only",
         0,
         1,
         {{"A1", "3_4"}, {"B1", "1_1"}, {"B2", "inf"}},
         {{"A2", {1.235, "0.000"}}, {"A3", {-2.0, "0.000"}}, {"B3", {7.0, "0.000"}}}},
        {"values only",
         0,
         0,
         {{"B1", "inf"}},
         {{"A1", {1.235, "0.000"}}, {"A2", {-2.0, "0.000"}}, {"B2", {7.0, "0.000"}}}},
    };
    for (const ExportLayout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        const std::string path = File("export.xlsx");
        ASSERT_EQ(BriselEx(16, "时间", layout.timeColumn, times, 1, layout.header, channels, values, 2, 2,
                           path.c_str(), nullptr),
                  1);
        const ReadWorkbook book = Read(path);
        ASSERT_EQ(book.sheets.size(), 1u);
        const ReadSheet& sheet = book.sheets.front();
        EXPECT_EQ(sheet.cells.size(), layout.texts.size() + layout.numbers.size());
        for (const auto& [cell, text] : layout.texts) {
            EXPECT_EQ(Text(&sheet, cell), text) << cell;
        }
        for (const auto& [cell, number] : layout.numbers) {
            ASSERT_TRUE(sheet.cells.count(cell)) << cell;
            EXPECT_EQ(sheet.cells.at(cell).number, number.first) << cell;
            EXPECT_EQ(sheet.cells.at(cell).format, number.second) << cell;
        }
    }
    EXPECT_TRUE(m_boxes.Records().empty());
}

TEST_F(BriselRTest, ExportRefusesBadArgumentsAndTablesLargerThanASheet) {
    const std::vector<double> values(16384, 1.0);
    const std::vector<int> channels(16384, 1);
    const float times[] = {0.0f};
    const std::string path = File("refused.xlsx");
    const struct {
        const char* what;
        int result;
    } cases[] = {
        {"16,385 columns",
         BriselEx(16, "t", 1, times, 0, 0, nullptr, values.data(), 1, 16384, path.c_str(), nullptr)},
        {"1,048,577 rows", BriselEx(16, "t", 0, nullptr, 0, 1, channels.data(), values.data(), 1048576, 0,
                                    path.c_str(), nullptr)},
        {"no values", BriselEx(16, "t", 0, nullptr, 0, 0, nullptr, nullptr, 1, 1, path.c_str(), nullptr)},
        {"no times",
         BriselEx(16, "t", 1, nullptr, 0, 0, nullptr, values.data(), 1, 1, path.c_str(), nullptr)},
        {"no channels",
         BriselEx(16, "t", 0, nullptr, 0, 1, nullptr, values.data(), 1, 1, path.c_str(), nullptr)},
        {"no units a group",
         BriselEx(0, "t", 0, nullptr, 0, 1, channels.data(), values.data(), 1, 1, path.c_str(), nullptr)},
        {"no file name", BriselEx(16, "t", 0, nullptr, 0, 0, nullptr, values.data(), 1, 1, nullptr, nullptr)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, 0) << c.what;
    }
    EXPECT_EQ(m_boxes.Records().size(), std::size(cases));
    EXPECT_TRUE(FolderNames(m_folder.path().toStdString()).empty());
}

TEST_F(BriselRTest, StoppingTheExportFromItsWindowKeepsTheRowsWrittenAndReturnsZero) {
    EnsureApp();
    const int samples = 200;
    std::vector<double> values(samples);
    for (int s = 0; s < samples; ++s) {
        values[s] = s;
    }
    const int channel = 0;
    const struct {
        const char* what;
        std::function<void(CDlgProgress*)> stop;
    } stops[] = {
        {"Esc", [](CDlgProgress* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }},
        {"退出",
         [](CDlgProgress* dialog) {
             auto* button = dialog->findChild<QPushButton*>();
             ASSERT_TRUE(button);
             EXPECT_EQ(button->text(), "退出");
             QTest::mouseClick(button, Qt::LeftButton);
         }},
        {"quit",
         [](CDlgProgress*) {
             QEvent quit(QEvent::Quit);
             QCoreApplication::sendEvent(qApp, &quit);
         }},
        {"none", nullptr},
    };
    for (const auto& stop : stops) {
        SCOPED_TRACE(stop.what);
        int stoppedAt = -1;
        bool sawWindow = false;
        QTimer watcher;
        watcher.setInterval(0);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CDlgProgress*>(widget);
                if (dialog == nullptr || !dialog->isVisible()) {
                    continue;
                }
                sawWindow = true;
                EXPECT_EQ(dialog->windowTitle(), "正在进行Excel处理,请稍候......");
                const int at = dialog->findChild<QProgressBar*>()->value();
                if (stop.stop && stoppedAt < 0 && at >= 5) {
                    stoppedAt = at;
                    stop.stop(dialog);
                }
            }
        });
        watcher.start();
        const std::string path = File("stopped.xlsx");
        const int result =
            BriselEx(16, "t", 0, nullptr, 0, 1, &channel, values.data(), samples, 1, path.c_str(), qApp);
        watcher.stop();
        EXPECT_TRUE(sawWindow);
        const ReadWorkbook book = Read(path);
        ASSERT_EQ(book.sheets.size(), 1u);
        const ReadSheet& sheet = book.sheets.front();
        if (!stop.stop) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(sheet.cells.size(), samples + 1u);
            continue;
        }
        EXPECT_EQ(result, 0);
        ASSERT_GE(stoppedAt, 5);
        // Samples 0 … stoppedAt - 1 below the header row.
        EXPECT_EQ(sheet.cells.size(), stoppedAt + 1u);
        EXPECT_EQ(sheet.cells.at("A" + std::to_string(stoppedAt + 1)).number, stoppedAt - 1);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(qobject_cast<CDlgProgress*>(widget) && widget->isVisible()) << "the window is gone";
        }
    }
}

} // namespace
