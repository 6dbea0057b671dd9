// The packed palette bitmap of the tooltip window.
#include "app/DibImage.h"

#include <QPainter>

#include <cstring>
#include <limits>

namespace {

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

int PaletteEntries(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

} // namespace

std::uint8_t* CDibImage::Create(int width, int height, int bitCount) {
    m_Buffer.clear();
    m_Image = QImage();
    if (width <= 0 || height <= 0 || bitCount <= 0 || bitCount > 32)
        return nullptr;
    const std::int64_t stride = ((static_cast<std::int64_t>(bitCount) * width + 31) / 32) * 4;
    const std::int64_t image = stride * height;
    const int palette = PaletteEntries(bitCount);
    if (image > std::numeric_limits<std::int32_t>::max() - kHeaderSize - palette * 4)
        return nullptr;
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = bitCount;
    m_nStride = static_cast<int>(stride);
    m_nPaletteSize = palette;
    m_Buffer.assign(static_cast<std::size_t>(kHeaderSize + palette * 4 + image), 0);
    std::uint8_t* h = m_Buffer.data();
    PutU32(h, kHeaderSize);
    PutU32(h + 4, static_cast<std::uint32_t>(width));
    PutU32(h + 8, static_cast<std::uint32_t>(height));
    PutU16(h + 12, 1);
    PutU16(h + 14, static_cast<std::uint16_t>(bitCount));
    PutU32(h + 16, 0); // no compression
    PutU32(h + 20, static_cast<std::uint32_t>(image));
    return m_Buffer.data();
}

std::uint8_t* CDibImage::GetBits() {
    return m_Buffer.empty() ? nullptr : Palette() + m_nPaletteSize * 4;
}

void CDibImage::TintPalette(std::uint32_t colour, int percent) {
    const int p = percent > 100 ? 100 : (percent < 0 ? 0 : percent);
    const int tint[3] = {static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                         static_cast<int>(colour & 0xFF)}; // blue, green, red: the entry's order
    for (int i = 0; i < m_nPaletteSize; ++i) {
        std::uint8_t* entry = Palette() + i * 4;
        for (int c = 0; c < 3; ++c)
            entry[c] = static_cast<std::uint8_t>((entry[c] * (100 - p) + tint[c] * p) / 100);
    }
    m_Image = QImage();
}

void CDibImage::FillBits(std::uint8_t value) {
    if (std::uint8_t* bits = GetBits())
        std::memset(bits, value, static_cast<std::size_t>(GetImageSize()));
    m_Image = QImage();
}

void CDibImage::SetPixelIndex(int x, int y, std::uint8_t index) {
    if (m_nPaletteSize == 0 || m_nBitCount != 8 || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    GetBits()[(m_nHeight - y - 1) * m_nStride + x] = index;
    m_Image = QImage();
}

void CDibImage::SetPaletteColor(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (index < 0 || index >= m_nPaletteSize)
        return;
    std::uint8_t* entry = Palette() + index * 4;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = 0;
    m_Image = QImage();
}

QImage CDibImage::ToImage() const {
    const std::uint8_t* palette = m_Buffer.data() + kHeaderSize;
    const std::uint8_t* bits = palette + m_nPaletteSize * 4;
    QImage image;
    if (m_nPaletteSize > 0) {
        image = QImage(m_nWidth, m_nHeight, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < m_nPaletteSize; ++i)
            table.append(qRgb(palette[i * 4 + 2], palette[i * 4 + 1], palette[i * 4]));
        image.setColorTable(table);
        for (int y = 0; y < m_nHeight; ++y) {
            const std::uint8_t* row = bits + (m_nHeight - 1 - y) * m_nStride;
            uchar* out = image.scanLine(y);
            for (int x = 0; x < m_nWidth; ++x) {
                const int bit = x * m_nBitCount;
                const int shift = 8 - m_nBitCount - bit % 8;
                out[x] = static_cast<uchar>((row[bit / 8] >> shift) & ((1 << m_nBitCount) - 1));
            }
        }
    } else if (m_nBitCount == 24 || m_nBitCount == 32) {
        image = QImage(m_nWidth, m_nHeight, QImage::Format_RGB32);
        const int bytes = m_nBitCount / 8;
        for (int y = 0; y < m_nHeight; ++y) {
            const std::uint8_t* row = bits + (m_nHeight - 1 - y) * m_nStride;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < m_nWidth; ++x)
                out[x] = qRgb(row[x * bytes + 2], row[x * bytes + 1], row[x * bytes]);
        }
    }
    return image;
}

void CDibImage::Draw(QPainter& painter, int x, int y) {
    if (m_Buffer.empty())
        return;
    if (m_Image.isNull())
        m_Image = ToImage();
    if (!m_Image.isNull())
        painter.drawImage(x, y, m_Image);
}
