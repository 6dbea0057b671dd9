// The splash window offscreen: the program folder's JPEG at its own size and
// centred, the bitmap-resource fallback, no picture at all, and hiding by a
// click or a key with the owner's later HideSplashScreen still safe.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "libs/splash/Splash.h"

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "frawn_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's input devices outlive any static QApplication.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        ASSERT_TRUE(m_folder.isValid());
    }

    std::string Folder() const { return m_folder.path().toStdString(); }

    void WriteLandJpg(int width, int height) const {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(200, 30, 30));
        ASSERT_TRUE(image.save(m_folder.filePath("Land.jpg"), "JPG"));
    }

    static void ExpectCentred(const QWidget& window) {
        const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
        EXPECT_LE((window.geometry().center() - screenCentre).manhattanLength(), 2);
    }

    QTemporaryDir m_folder;
};

TEST_F(SplashTest, ShowsTheProgramFoldersJpegAtItsSizeCentred) {
    WriteLandJpg(321, 123);
    QPointer<CSplash> splash = new CSplash;
    ASSERT_EQ(splash->Create(175, nullptr, Folder()), 1);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(321, 123));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    ExpectCentred(*splash);
    // The window shows the picture itself.
    const QImage shown = splash->grab().toImage();
    EXPECT_NEAR(qRed(shown.pixel(160, 60)), 200, 8);
    EXPECT_NEAR(qGreen(shown.pixel(160, 60)), 30, 8);
    splash->HideSplashScreen();
    EXPECT_TRUE(splash.isNull());
}

TEST_F(SplashTest, FallsBackToTheCallersBitmapResource) {
    QPointer<CSplash> splash = new CSplash;
    ASSERT_EQ(splash->Create(175, nullptr, Folder()), 1);
    EXPECT_EQ(splash->size(), QSize(64, 48));
    ExpectCentred(*splash);
    EXPECT_EQ(splash->grab().toImage().pixel(10, 10), QColor(0x20, 0x80, 0x40).rgb());
    splash->HideSplashScreen();
    EXPECT_TRUE(splash.isNull());
}

TEST_F(SplashTest, NoPictureGivesZeroAndNoWindow) {
    auto* splash = new CSplash;
    EXPECT_EQ(splash->Create(176, nullptr, Folder()), 0);
    EXPECT_FALSE(splash->isVisible());
    // The online form's resource does not exist in this program either.
    EXPECT_EQ(splash->CreateOline(), 0);
    EXPECT_FALSE(splash->isVisible());
    delete splash;
}

// A press hides the window at once; the object lives on until its owner's
// HideSplashScreen, which then deletes it (ASan sees any use after free).
TEST_F(SplashTest, ClickOrKeyHidesAndALaterHideIsSafe) {
    const std::function<void(QWidget*)> presses[] = {
        [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
        [](QWidget* w) { QTest::mouseClick(w, Qt::RightButton); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_A, Qt::AltModifier); },
    };
    for (const auto& press : presses) {
        QPointer<CSplash> splash = new CSplash;
        ASSERT_EQ(splash->Create(175, nullptr, Folder()), 1);
        press(splash);
        QApplication::processEvents();
        ASSERT_FALSE(splash.isNull());
        EXPECT_FALSE(splash->isVisible());
        splash->HideSplashScreen();
        QApplication::processEvents();
        EXPECT_TRUE(splash.isNull());
    }
}

} // namespace
