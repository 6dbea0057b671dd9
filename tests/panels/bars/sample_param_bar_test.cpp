// The sampling-parameter bar over a small description file: its controls by
// interface and mode, the messages to the frame, and the checks that guard
// the start of a run.
#include "panels/bars/SampleParamBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "panels/PanelsTestApp.h"
#include "panels/bars/SampleBarRules.h"
#include "platform/MessageBox.h"
#include "tests/model/ChannelModelTestSupport.h"

namespace {

class SampleParamBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    SampleParamBarTest() {
        WriteIniFile(folder.File("QV7416.INI"),
                     "[SampleFrequency]\nFrequencyLevelCount=4\nFrequency0=1,1Hz,001\n"
                     "Frequency1=10,10Hz,004\nFrequency2=100,100Hz,007\n"
                     "Frequency3=1000,1kHz,010\n");
        Open(INTERFACE_NETWORK, 1);
    }

    void Open(int interfaceMode, int projectState, const SampleSettings& settings = {}) {
        bar = std::make_unique<CSampleParamBar>();
        bar->SetOwner(frame.GetSafeHwnd());
        bar->SetInterfaceMode(interfaceMode);
        bar->SetInstrumentModel(3, folder.File("QV7416.INI"));
        bar->SetSampleSettings(settings);
        bar->SetRunState(projectState);
        bar->InitControls();
        bar->show();
    }

    template <class W> W* Find(const char* id) {
        W* widget = bar->findChild<W*>(id);
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }

    ScratchFolder folder;
    RecordingFrame frame;
    platform::MessageBoxRecorder boxes;
    std::unique_ptr<CSampleParamBar> bar;
};

TEST_F(SampleParamBarTest, InitialControls) {
    EXPECT_EQ(bar->windowTitle().toStdString(), "采样参数设置");
    QComboBox* frequency = Find<QComboBox>("1022");
    ASSERT_EQ(frequency->count(), 4);
    EXPECT_EQ(frequency->itemText(3), "1kHz");
    EXPECT_EQ(frequency->currentText(), "10Hz"); // 30 Hz is not offered
    EXPECT_TRUE(Find<QRadioButton>("1180")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("1187")->text(), "10");
    EXPECT_TRUE(Find<QCheckBox>("1388")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("1187")->isEnabled());
    EXPECT_FALSE(frequency->isEnabled());
    EXPECT_FALSE(Find<QListWidget>("1415")->isVisible());
    EXPECT_TRUE(Find<QRadioButton>("1181")->isEnabled());
}

TEST_F(SampleParamBarTest, SerialInterfaceTakesContinuousAway) {
    SampleSettings continuous;
    continuous.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    Open(INTERFACE_SERIAL, 1, continuous);
    QRadioButton* button = Find<QRadioButton>("1181");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(button->isChecked());
    // No mode checked reads as single.
    SampleSettings out;
    ASSERT_EQ(bar->GetSampleSettings(out, 1), 1);
    EXPECT_EQ(out.nSampleMode, SAMPLE_MODE_SINGLE);
}

TEST_F(SampleParamBarTest, ModeClicksTellTheFrame) {
    bar->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    EXPECT_TRUE(Find<QComboBox>("1022")->isEnabled());
    EXPECT_TRUE(Find<QComboBox>("1456")->isEnabled());
    bar->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    bar->OnModeClicked(SAMPLE_MODE_TIMED);
    EXPECT_EQ(Find<QComboBox>("1022")->currentText(), "1kHz"); // timed runs take the last frequency
    EXPECT_TRUE(Find<QLineEdit>("1187")->isEnabled());
    ASSERT_EQ(frame.received.size(), 5u);
    EXPECT_EQ(frame.Messages(),
              (std::vector<platform::UINT>{WM_BAR_TAKE_SAMPLE_SETTINGS, WM_BAR_SAMPLE_MODE_CHANGED,
                                           WM_BAR_TAKE_SAMPLE_SETTINGS, WM_BAR_TAKE_SAMPLE_SETTINGS,
                                           WM_BAR_SAMPLE_MODE_CHANGED}));
    EXPECT_EQ(frame.received[1].wParam, static_cast<platform::WPARAM>(SAMPLE_MODE_SINGLE));
    EXPECT_EQ(frame.received[4].wParam, static_cast<platform::WPARAM>(SAMPLE_MODE_CONTINUOUS));
}

TEST_F(SampleParamBarTest, TimedStartBelowTheMinimumIntervalIsRefused) {
    bar->OnModeClicked(SAMPLE_MODE_TIMED);
    Find<QLineEdit>("1187")->setText("5");
    SampleSettings frameRecord;
    frameRecord.nSampleInterval = 60;
    EXPECT_EQ(bar->GetSampleSettings(frameRecord, 1), 0);
    EXPECT_EQ(frameRecord.nSampleInterval, 60);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "采样间隔不得小于 10 秒!");

    Find<QLineEdit>("1187")->setText("15");
    ASSERT_EQ(bar->GetSampleSettings(frameRecord, 1), 1);
    EXPECT_EQ(frameRecord.nSampleInterval, 15);
    EXPECT_EQ(frameRecord.nSampleMode, SAMPLE_MODE_TIMED);
}

TEST_F(SampleParamBarTest, OverLongLabelIsCutShownAndRefusedOnce) {
    QLineEdit* label = Find<QLineEdit>("1191");
    label->setText("abcdefghijklmnopqrstuvwxy");
    SampleSettings out;
    EXPECT_EQ(bar->GetSampleSettings(out, 1), 0);
    EXPECT_EQ(label->text().toStdString(), "abcdefghijklmnopqrs");
    EXPECT_EQ(boxes.Records().size(), 1u);
    ASSERT_EQ(bar->GetSampleSettings(out, 1), 1);
    EXPECT_EQ(SampleStatusText(out), "abcdefghijklmnopqrs");
}

TEST_F(SampleParamBarTest, AnalysisBlockAndFrequency) {
    SampleSettings analysis;
    analysis.nAnalysisMode = 1;
    analysis.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    analysis.fSampleFreq = 100.0f;
    Open(INTERFACE_NETWORK, 3, analysis);
    QComboBox* points = Find<QComboBox>("1456");
    QComboBox* lines = Find<QComboBox>("1455");
    ASSERT_TRUE(Find<QWidget>("1454")->isVisible());
    EXPECT_EQ(points->count(), 3); // up to the sample block while the project holds data
    EXPECT_EQ(points->currentText(), "256");
    EXPECT_EQ(lines->currentText(), "100");

    Open(INTERFACE_NETWORK, 1, analysis);
    points = Find<QComboBox>("1456");
    bar->OnTimePointsSelected(points->findText("1024"));
    EXPECT_EQ(Find<QComboBox>("1455")->currentText(), "400");
    EXPECT_EQ(Find<QLabel>("1457")->text().toStdString(), "  T :10.2400s\n△F :0.0977Hz\n△T :10.0000ms");
    EXPECT_EQ(frame.Messages(),
              (std::vector<platform::UINT>{WM_BAR_TAKE_SAMPLE_SETTINGS, WM_BAR_SAMPLE_PARAMS_CHANGED}));

    bar->OnFrequencySelected(2); // the kept frequency: no message
    EXPECT_EQ(frame.received.size(), 2u);
    bar->OnFrequencySelected(3);
    EXPECT_EQ(frame.received.size(), 4u);
    SampleSettings out;
    ASSERT_EQ(bar->GetSampleSettings(out, 0), 1);
    EXPECT_EQ(out.fSampleFreq, 1000.0f);
    EXPECT_EQ(out.nAnalysisBlockSize, 1024);
}

TEST_F(SampleParamBarTest, ProjectWithDataMakesTheBarReadOnly) {
    bar->SetRunState(2);
    for (const char* id : {"1179", "1180", "1181", "1388", "1045"}) {
        EXPECT_FALSE(Find<QWidget>(id)->isEnabled()) << id;
    }
    bar->SetRunState(1);
    EXPECT_TRUE(Find<QWidget>("1388")->isEnabled());
}

TEST_F(SampleParamBarTest, AveragingAndDeviceList) {
    QLineEdit* count = Find<QLineEdit>("1467");
    count->setText("300");
    bar->OnAverageCountEdited();
    EXPECT_EQ(count->text(), "1");
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, MSG_AVERAGE_COUNT);

    QListWidget* ips = Find<QListWidget>("1415");
    bar->AddDeviceIp(false, "10.0.0.1");
    bar->AddDeviceIp(false, "10.0.0.2");
    bar->AddDeviceIp(false, "10.0.0.1");
    ASSERT_EQ(ips->count(), 2);
    EXPECT_EQ(ips->item(1)->text(), "10.0.0.1");
    bar->AddDeviceIp(true, "10.0.0.3");
    EXPECT_EQ(ips->count(), 1);
}

} // namespace
