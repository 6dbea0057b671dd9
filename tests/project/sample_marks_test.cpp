// Sample marks: the ".mrk" file, the marks of a run (new or appended) and the
// list of mark labels.
#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "project/SampleMarks.h"

namespace {

class SampleMarksTest : public ::testing::Test {
protected:
    void SetUp() override { platform::FlushProfileCache(); }

    ProjectScratchFolder m_folder;
    std::string m_path = m_folder.File("p.mrk");
};

TEST_F(SampleMarksTest, MarksAddedSavedAndReadBack) {
    CSampleMarkRecorder recorder;
    recorder.StartRun(m_path, false);
    recorder.BeginMark(12);
    ASSERT_EQ(recorder.AddSampleMark(m_path, "a\r\nb"), 1);
    recorder.BeginMark(40);
    recorder.AddSampleMark(m_path, "second");
    recorder.BeginMark(40);
    recorder.AddSampleMark(m_path, "same sample");

    EXPECT_EQ(platform::GetPrivateProfileString("SampleMarkInfo", "SampleMarkInfo12", "", m_path), "a||b");
    const std::vector<SampleMarkEntry> marks = LoadSampleMarks(m_path);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].nSampleIndex, 12);
    EXPECT_EQ(marks[0].text, "a\r\nb");
    EXPECT_EQ(marks[1].nSampleIndex, 40);
    EXPECT_EQ(marks[1].text, "second\r\nsame sample"); // one text a sample keeps both
    EXPECT_EQ(ReadSampleMarkText(m_path, 99), "");
}

TEST_F(SampleMarksTest, NewRunStartsAgainButAnAppendedRunKeepsEarlierMarks) {
    WriteTextFile(m_path, "[SampleMark]\nSampleMarkCount=2\nSampleMark0=3\nSampleMark1=8\n");
    CSampleMarkRecorder appended;
    appended.StartRun(m_path, true);
    appended.BeginMark(20);
    appended.AddSampleMark(m_path, "third");
    EXPECT_EQ(ReadSampleMarkIndexes(m_path, GetSampleMarkCount(m_path)), (std::vector<int>{3, 8, 20}));

    CSampleMarkRecorder fresh;
    fresh.StartRun(m_path, false);
    fresh.BeginMark(1);
    fresh.AddSampleMark(m_path, "x");
    EXPECT_EQ(GetSampleMarkCount(m_path), 1);
    EXPECT_EQ(ReadSampleMarkIndexes(m_path, 1), (std::vector<int>{1}));
}

TEST_F(SampleMarksTest, StoredTextsStayOnOneLineAndCountsAreBounded) {
    SaveSampleMarks(m_path, 1, 5, nullptr);
    EXPECT_EQ(ReadSampleMarkText(m_path, 5), "");
    const std::string text = "x\ny\rz";
    SaveSampleMarks(m_path, 1, 5, &text);
    EXPECT_EQ(ReadSampleMarkText(m_path, 5), "x\r\ny\r\nz");
    EXPECT_EQ(platform::GetPrivateProfileKeys("SampleMarkInfo", m_path).size(), 1u);

    const std::string longText(300, 'q');
    SaveSampleMarks(m_path, 1, 6, &longText);
    EXPECT_EQ(ReadSampleMarkText(m_path, 6).size(), 127u);

    WriteTextFile(m_path, "[SampleMark]\nSampleMarkCount=-3\n");
    EXPECT_EQ(GetSampleMarkCount(m_path), 0);
    WriteTextFile(m_path, "[SampleMark]\nSampleMarkCount=2000000000\n");
    EXPECT_EQ(GetSampleMarkCount(m_path), MAX_SAMPLE_MARK_COUNT);
}

TEST(SampleMarkListTest, IndexesOutsideTheListAreRefused) {
    CSampleMarkList list;
    SampleMark a;
    a.nValue = 1;
    SampleMark b;
    b.nValue = 2;
    list.Add(a);
    list.Add(b);
    SampleMark out;
    out.nValue = 77;
    EXPECT_EQ(list.GetAt(2, out), 0);
    EXPECT_EQ(list.GetAt(-1, out), 0);
    EXPECT_EQ(out.nValue, 77);
    EXPECT_EQ(list.SetAt(2, a), 0);
    list.RemoveAt(0);
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_EQ(list.GetAt(0, out), 1);
    EXPECT_EQ(out.nValue, 2);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

} // namespace
