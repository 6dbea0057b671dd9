// The Word result: the template's first table takes the test description and
// the setup in rows 2-5 and the result grid from row 6; a template that
// cannot serve is reported and nothing is written.
#include "DocxTestSupport.h"
#include "ScratchFolder.h"
#include "app/ShellTestSupport.h"
#include "calibrator/KelvaneDialogHooks.h"
#include "calibrator/dialogs/DocxPackage.h"
#include "calibrator/dialogs/DocxTableFill.h"
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string kTemplate = std::string(QV_SOURCE_DIR) + "/data/Template.docx";

ResultDocumentContent Content() {
    ResultDocumentContent content;
    content.detect = {"桥梁", "B-1", "QV7416", "N-7", "张三", "李四", "王五", "2024-05-06"};
    content.block.nCase = 1;
    content.block.nModule = 3;
    content.block.BridgeType = BRIDGE_HALF;
    content.block.MeasureRange = 20;
    content.block.BridgeVoltage = 2;
    content.block.LeadR = 1.5f;
    content.grid.assign(17, std::vector<std::string>(23));
    for (std::size_t r = 0; r < 17; ++r)
        for (std::size_t c = 0; c < 23; ++c)
            content.grid[r][c] = std::to_string(r) + "." + std::to_string(c);
    content.grid[1][0] = "√ 1";
    content.grid[2][5] = "a<b & \"c\"";
    return content;
}

class KelvaneWordTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApplication(); }
    std::string File(const std::string& name) const { return m_folder.File(name); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }
    bool StartFailed() const {
        const auto records = m_boxes.Records();
        return !records.empty() && records.back().text == "Couldn't start Word.";
    }

    ScratchFolder m_folder;
    platform::MessageBoxRecorder m_boxes;
};

// A template of our own making, laid out with line breaks, with another
// prefix for the document's namespace and a one-row table whose cell is
// closed in its own tag.
std::string ForeignTemplate(const std::string& folder) {
    DocxPackage source;
    EXPECT_TRUE(source.Read(kTemplate));
    *source.Find("word/document.xml") =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<x:document xmlns:x=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">\n <x:body>\n"
        "  <x:tbl>\n   <x:tr>\n    <x:tc/>\n    <x:tc>\n     <x:p/>\n    </x:tc>\n   </x:tr>\n  </x:tbl>\n"
        "  <x:sectPr>\n   <x:pgSz x:w=\"12240\" x:h=\"15840\" x:orient=\"portrait\"/>\n  </x:sectPr>\n"
        " </x:body>\n</x:document>\n";
    const std::string path = folder + "/Foreign.docx";
    EXPECT_TRUE(source.Write(path));
    return path;
}

} // namespace

TEST_F(KelvaneWordTest, EveryCellOfTheResultIsInTheTableOnA4) {
    const ResultDocumentContent content = Content();
    for (const std::string& templatePath : {kTemplate, ForeignTemplate(m_folder.Path())}) {
        SCOPED_TRACE(templatePath);
        const std::string out = File("result.docx");
        ASSERT_EQ(kelvane_dialogs::WriteResultDocument(content, templatePath, out), 1);
        std::string pageSize;
        const Table table = FirstTable(out, &pageSize);
        EXPECT_EQ(pageSize, "11906x16838");
        ASSERT_EQ(table.size(), 22u);
        const std::vector<std::vector<std::string>> setup = {
            {"桥梁", "B-1", "QV7416", "N-7"},
            {"张三", "李四", "王五", "2024-05-06"},
            {"2", "4", "应变", "半桥"},
            {"20000με", "2V", "否", "1.50Ω"},
        };
        for (std::size_t r = 0; r < setup.size(); ++r) {
            ASSERT_GE(table[r + 1].size(), 8u);
            for (std::size_t c = 0; c < 4; ++c)
                EXPECT_EQ(table[r + 1][c * 2 + 1], setup[r][c]) << "row " << r + 2;
        }
        for (std::size_t r = 0; r < 17; ++r) {
            ASSERT_EQ(table[r + 5].size(), 23u);
            for (std::size_t c = 0; c < 23; ++c)
                EXPECT_EQ(table[r + 5][c], content.grid[r][c]);
        }
        std::filesystem::remove(out);
    }
    // The shipped template keeps its own labels.
    const std::string out = File("labels.docx");
    ASSERT_EQ(kelvane_dialogs::WriteResultDocument(content, kTemplate, out), 1);
    const Table table = FirstTable(out);
    EXPECT_EQ(table[1][0], "被检设备名称");
    EXPECT_EQ(table[4][4], "自定义信号线");
    EXPECT_TRUE(m_boxes.Records().empty());
}

TEST_F(KelvaneWordTest, ATemplateThatCannotServeIsReportedAndNothingIsWritten) {
    DocxPackage noTable;
    ASSERT_TRUE(noTable.Read(kTemplate));
    *noTable.Find("word/document.xml") =
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:p/></w:body></w:document>";
    ASSERT_TRUE(noTable.Write(File("NoTable.docx")));
    DocxPackage broken;
    ASSERT_TRUE(broken.Read(kTemplate));
    *broken.Find("word/document.xml") = "<w:document><w:tbl>";
    ASSERT_TRUE(broken.Write(File("Broken.docx")));
    WriteFile("NotZip.docx", "PK not really");

    WriteFile("kept.docx", "earlier result");
    for (const char* name : {"Missing.docx", "NotZip.docx", "NoTable.docx", "Broken.docx"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(kelvane_dialogs::WriteResultDocument(Content(), File(name), File("kept.docx")), 0);
        EXPECT_TRUE(StartFailed());
        std::ifstream kept(File("kept.docx"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "earlier result");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 4)
        << "no partial document is left behind";
}

// Markup the filling rewrites (the page size) standing inside a cell it
// fills goes with the cell's old content: the two changes never overlap.
TEST(DocxTableFill, APageSizeInsideAFilledCellLeavesWellFormedMarkup) {
    const DocxCells cells = {{{1, 1}, "a<b"}, {{1, 2}, "x"}};
    const std::string head =
        "<w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:tbl><w:tr>";
    const std::string tail =
        "</w:tr></w:tbl><w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:body></w:document>";
    for (const std::string& cell : {
             std::string("<w:tc><w:sectPr><w:pgSz w:w=\"1\" w:h=\"2\"/></w:sectPr></w:tc>"),
             std::string(
                 "<w:tc><w:tbl><w:tr><w:tc><w:pgSz w:w=\"1\" w:h=\"2\"/></w:tc></w:tr></w:tbl></w:tc>"),
         }) {
        SCOPED_TRACE(cell);
        std::string xml = head + cell + tail;
        ASSERT_TRUE(FillFirstTable(xml, cells));
        QXmlStreamReader reader(QString::fromStdString(xml));
        while (!reader.atEnd())
            reader.readNext();
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << "\n" << xml;
        EXPECT_NE(xml.find("a&lt;b"), std::string::npos);
        EXPECT_NE(xml.find("<w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body>"), std::string::npos);
        EXPECT_TRUE(FillFirstTable(xml, cells)) << "filled markup fills again";
    }
}
