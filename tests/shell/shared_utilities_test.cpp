// The alarm-sound player, the version caption and the history view's markers.
#include "views/curve/MarkerDrawer.h"
#include "views/shared/AlarmSoundPlayer.h"

#include "ShellQtApp.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(AlarmSound, WithoutTheFileNothingStartsAndTheStatusIsMinusOne) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    CAlarmSoundPlayer player(folder);
    int plays = 0;
    player.SetPlayer([&](const std::string&, const std::atomic<bool>&) { ++plays; });
    player.Start();
    EXPECT_EQ(player.GetStatus(), -1);
    EXPECT_FALSE(player.IsRunning());
    player.Stop();
    EXPECT_EQ(plays, 0);
}

TEST(AlarmSound, PlaysTheProgramFoldersSoundOnItsWorkerAndStopsOnRequest) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    std::ofstream(folder + "/warning.wav") << "RIFF";
    CAlarmSoundPlayer player(folder);
    std::atomic<int> plays{0};
    std::string played;
    player.SetPlayer([&](const std::string& path, const std::atomic<bool>& stop) {
        played = path;
        ++plays;
        while (!stop.load())
            std::this_thread::yield(); // a sound that lasts until stopped
    });
    player.Start();
    EXPECT_TRUE(player.IsRunning());
    player.Start(); // already playing: no second worker
    player.Stop();
    EXPECT_FALSE(player.IsRunning());
    EXPECT_EQ(plays.load(), 1);
    EXPECT_EQ(played, folder + "/warning.wav");
    EXPECT_EQ(player.GetStatus(), 0);
}

TEST(VersionCaption, ShowsThreeNumbersAndThePackedDate) {
    FileVersionInfo version{7, 4, 12, static_cast<std::uint16_t>((9 << 10) | (11 << 6) | 23)};
    EXPECT_EQ(GetVersionCaption(&version), "QV静态测试系统 V7.4.12(91123)");
    EXPECT_EQ(GetVersionCaption(nullptr), "");
}

TEST(MarkerDrawer, DrawsTheCursorLineAndArrowsScaled) {
    EnsureShellQtApp();
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    CMarkerDrawer drawer;
    drawer.SetPlotRect(QRect(0, 5, 100, 50));
    drawer.SetPoint(0, QPoint(40, 30));
    drawer.SetScale(2.0, 1.0);
    {
        QPainter painter(&image);
        drawer.DrawCursorMarkers(painter, QPen(Qt::black), 1);
    }
    EXPECT_EQ(image.pixel(40, 10), qRgb(0, 0, 0)) << "the vertical line";
    EXPECT_EQ(image.pixel(21, 30), qRgb(0, 0, 0)) << "the arrow reaches x - 10 * sx";
    EXPECT_EQ(image.pixel(59, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(15, 30), qRgb(255, 255, 255));
}

} // namespace
