// A small palette-based device-independent bitmap kept as one packed buffer
// (header, palette, bottom-up pixel rows), filled pixel by pixel and drawn
// with a painter; the tooltip window draws its shapes with it.
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

class QPainter;

class CDibImage {
public:
    static constexpr int kHeaderSize = 40;

    CDibImage() = default;
    ~CDibImage() = default;
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // The packed buffer, or null for a size that is not positive or too big.
    std::uint8_t* Create(int width, int height, int bitCount);
    std::uint8_t* GetBits();
    int GetBytesPerLine() const { return m_nStride; }
    int GetPaletteSize() const { return m_nPaletteSize; }
    int GetImageSize() const { return m_nStride * m_nHeight; }
    const std::vector<std::uint8_t>& GetBuffer() const { return m_Buffer; }

    // colour as 0x00BBGGRR; percent above 100 acts as 100.
    void TintPalette(std::uint32_t colour, int percent);
    void FillBits(std::uint8_t value);
    void SetPixelIndex(int x, int y, std::uint8_t index);
    void SetPaletteColor(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Draws at full size; the image is built from the bits on first use.
    void Draw(QPainter& painter, int x, int y);

private:
    std::uint8_t* Palette() { return m_Buffer.data() + kHeaderSize; }
    QImage ToImage() const;

    std::vector<std::uint8_t> m_Buffer;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitCount = 0;
    int m_nStride = 0;
    int m_nPaletteSize = 0;
    QImage m_Image; // the drawing copy, made once
};
