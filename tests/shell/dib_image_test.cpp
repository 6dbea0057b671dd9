// Bitmap files byte for byte, window capture, and the tooltip's palette bitmap.
#include "app/DibImage.h"
#include "app/QVBitmap.h"

#include "ShellQtApp.h"

#include <QPainter>
#include <QWidget>

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> U32(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

// BITMAPINFOHEADER as the files carry it.
std::vector<std::uint8_t> InfoHeader(int width, int height, int bits, std::uint32_t imageSize) {
    std::vector<std::uint8_t> h;
    for (auto part : {U32(40), U32(width), U32(height)})
        h.insert(h.end(), part.begin(), part.end());
    h.insert(h.end(), {1, 0, std::uint8_t(bits), 0});
    for (auto part : {U32(0), U32(imageSize), U32(0), U32(0), U32(0), U32(0)})
        h.insert(h.end(), part.begin(), part.end());
    return h;
}

class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureShellQtApp(); }
    std::string Path(const char* name) const { return m_scratch.File(name); }
    ScratchFolder m_scratch;
};

TEST_F(BitmapTest, AColourCaptureIsSavedAs24BitsBottomUpWithPaddedRows) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    image.setPixel(2, 0, qRgb(7, 8, 9));
    image.setPixel(0, 1, qRgb(10, 11, 12));
    image.setPixel(1, 1, qRgb(13, 14, 15));
    image.setPixel(2, 1, qRgb(16, 17, 18));
    CQVBitmap bitmap;
    bitmap.SetImage(image);
    ASSERT_EQ(bitmap.SaveBmpFile(Path("colour.bmp")), 1);

    std::vector<std::uint8_t> expected = {'B', 'M'};
    for (auto part : {U32(14 + 40 + 24), U32(0), U32(54)})
        expected.insert(expected.end(), part.begin(), part.end());
    const auto header = InfoHeader(3, 2, 24, 24);
    expected.insert(expected.end(), header.begin(), header.end());
    // The bottom row first, blue-green-red, each row padded to 12 bytes.
    expected.insert(expected.end(), {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0});
    expected.insert(expected.end(), {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0});
    EXPECT_EQ(ReadFile(Path("colour.bmp")), expected);

    // The clipboard form is the same packed bitmap and reads back.
    std::vector<std::uint8_t> archive;
    ASSERT_TRUE(bitmap.Serialize(archive, true));
    EXPECT_EQ(archive, std::vector<std::uint8_t>(expected.begin() + 14, expected.end()));
    CQVBitmap copy;
    ASSERT_TRUE(copy.Serialize(archive, false));
    EXPECT_EQ(copy.GetImage().pixel(2, 1), qRgb(16, 17, 18));
    archive.resize(50);
    EXPECT_FALSE(copy.Serialize(archive, false)) << "a cut archive is refused";
}

TEST_F(BitmapTest, ASixteenBitScreenIsStoredWithoutAColourTable) {
    QImage image(1, 1, QImage::Format_RGB16);
    image.fill(QColor(255, 0, 0));
    CQVBitmap bitmap;
    bitmap.SetImage(image);
    int headerSize = 0;
    const auto dib = bitmap.CreateDIB(headerSize);
    EXPECT_EQ(headerSize, 40);
    ASSERT_EQ(dib.size(), 44u);
    EXPECT_EQ(dib[14], 24);
    EXPECT_EQ(std::vector<std::uint8_t>(dib.begin() + 40, dib.end()),
              (std::vector<std::uint8_t>{0, 0, 255, 0}));
}

TEST_F(BitmapTest, AnIndexedImageKeepsItsColourTable) {
    QImage image(2, 1, QImage::Format_Indexed8);
    image.setColorCount(256);
    image.setColor(7, qRgb(10, 20, 30));
    image.setPixel(0, 0, 7);
    image.setPixel(1, 0, 0);
    CQVBitmap bitmap;
    bitmap.SetImage(image);
    ASSERT_EQ(bitmap.SaveBmpFile(Path("indexed.bmp")), 1);
    const auto file = ReadFile(Path("indexed.bmp"));
    ASSERT_EQ(file.size(), 14u + 40u + 1024u + 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 10, file.begin() + 14), U32(14 + 40 + 1024));
    EXPECT_EQ(file[14 + 14], 8);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 54 + 28, file.begin() + 54 + 32),
              (std::vector<std::uint8_t>{30, 20, 10, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(file.end() - 4, file.end()), (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(CQVBitmap().SaveBmpFile(Path("none.bmp")), 0) << "nothing captured";
    EXPECT_EQ(bitmap.SaveBmpFile("/nonexistent-folder/x.bmp"), 0);
}

TEST_F(BitmapTest, CapturesAnAreaOfAWindow) {
    QWidget window;
    window.resize(40, 30);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 255));
    window.setPalette(palette);
    CQVBitmap bitmap;
    ASSERT_TRUE(bitmap.CaptureScreenRect(&window, QRect(5, 5, 4, 3)));
    int headerSize = 0;
    const auto dib = bitmap.CreateDIB(headerSize);
    ASSERT_EQ(dib.size(), 40u + 3u * 12u);
    EXPECT_EQ(std::vector<std::uint8_t>(dib.begin() + 40, dib.begin() + 43),
              (std::vector<std::uint8_t>{255, 128, 0}));
    EXPECT_FALSE(bitmap.CaptureScreenRect(nullptr, QRect(0, 0, 1, 1)));
}

TEST_F(BitmapTest, ThePaletteBitmapLaysOutItsBufferAndPixels) {
    CDibImage dib;
    ASSERT_NE(dib.Create(10, 5, 8), nullptr);
    EXPECT_EQ(dib.GetBytesPerLine(), 12);
    EXPECT_EQ(dib.GetPaletteSize(), 256);
    EXPECT_EQ(dib.GetImageSize(), 60);
    EXPECT_EQ(dib.GetBuffer().size(), 40u + 1024u + 60u);
    const auto header = InfoHeader(10, 5, 8, 60);
    EXPECT_EQ(std::vector<std::uint8_t>(dib.GetBuffer().begin(), dib.GetBuffer().begin() + 40), header);

    dib.FillBits(3);
    dib.SetPixelIndex(1, 0, 9); // the top row is stored last
    for (auto [x, y] : {std::pair{-1, 0}, {10, 0}, {0, 5}, {0, -1}})
        dib.SetPixelIndex(x, y, 200);
    const std::uint8_t* bits = dib.GetBits();
    EXPECT_EQ(bits[4 * 12 + 1], 9);
    int changed = 0;
    for (int i = 0; i < 60; ++i)
        changed += bits[i] != 3;
    EXPECT_EQ(changed, 1) << "pixels outside the image change nothing";

    dib.SetPaletteColor(9, 200, 100, 50);
    dib.SetPaletteColor(256, 1, 1, 1);
    dib.TintPalette(0x00102030, 150); // acts as 100 %: every entry becomes the colour
    for (int i : {0, 9, 255}) {
        const std::uint8_t* entry = dib.GetBuffer().data() + 40 + i * 4;
        EXPECT_EQ(std::vector<std::uint8_t>(entry, entry + 4),
                  (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0}));
    }

    QImage target(12, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        dib.Draw(painter, 1, 1);
    }
    EXPECT_EQ(target.pixel(2, 1), qRgb(0x30, 0x20, 0x10));
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
}

TEST_F(BitmapTest, ThePaletteBitmapRefusesImpossibleSizes) {
    CDibImage dib;
    EXPECT_EQ(dib.Create(0, 5, 8), nullptr);
    EXPECT_EQ(dib.Create(100000, 100000, 24), nullptr);
    EXPECT_EQ(dib.GetBits(), nullptr);
    ASSERT_NE(dib.Create(3, 3, 24), nullptr);
    EXPECT_EQ(dib.GetPaletteSize(), 0);
    dib.SetPixelIndex(0, 0, 1); // not a palette image: nothing
    EXPECT_EQ(dib.GetBits()[0], 0);
}

} // namespace
