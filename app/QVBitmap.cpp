// Window capture and the byte layout of the bitmap files the views save.
#include "app/QVBitmap.h"

#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | in[at + i];
    return v;
}

// 1, 4 or 8 bits keep a colour table; every deeper image is stored at 24 bits.
int DibBitCount(int depth) {
    if (depth <= 1)
        return 1;
    if (depth <= 4)
        return 4;
    if (depth <= 8)
        return 8;
    return 24;
}

// The image in the form its rows are read from: 32-bit colour, or indexed
// with a colour table.
QImage SourceImage(const QImage& image, int bits) {
    if (bits == 24)
        return image.convertToFormat(QImage::Format_RGB32);
    const QImage::Format f = image.format();
    if (f == QImage::Format_Indexed8 || f == QImage::Format_Mono || f == QImage::Format_MonoLSB)
        return image;
    return image.convertToFormat(QImage::Format_Indexed8);
}

int PixelIndex(const QImage& image, int x, int y) {
    return image.format() == QImage::Format_Indexed8 ? image.scanLine(y)[x] : image.pixelIndex(x, y);
}

} // namespace

bool CQVBitmap::CaptureScreenRect(QWidget* window, const QRect& rect) {
    if (window == nullptr || rect.isEmpty())
        return false;
    m_Image = window->grab(rect).toImage();
    return !m_Image.isNull();
}

std::vector<std::uint8_t> CQVBitmap::CreateDIB(int& headerSize) const {
    headerSize = 0;
    if (m_Image.isNull())
        return {};
    const int bits = DibBitCount(m_Image.depth());
    const int width = m_Image.width();
    const int height = m_Image.height();
    const int colours = bits < 24 ? 1 << bits : 0;
    const std::size_t stride = ((static_cast<std::size_t>(bits) * width + 31) / 32) * 4;
    const std::size_t tableSize = static_cast<std::size_t>(colours) * 4;
    std::vector<std::uint8_t> dib(kHeaderSize + tableSize + stride * height, 0);
    PutU32(dib, 0, kHeaderSize);
    PutU32(dib, 4, static_cast<std::uint32_t>(width));
    PutU32(dib, 8, static_cast<std::uint32_t>(height));
    PutU16(dib, 12, 1);
    PutU16(dib, 14, static_cast<std::uint16_t>(bits));
    PutU32(dib, 20, static_cast<std::uint32_t>(stride * height));

    const QImage rgb = SourceImage(m_Image, bits);
    std::uint8_t* table = dib.data() + kHeaderSize;
    const QList<QRgb> palette = rgb.colorTable();
    for (int i = 0; i < colours && i < palette.size(); ++i) {
        table[i * 4] = static_cast<std::uint8_t>(qBlue(palette[i]));
        table[i * 4 + 1] = static_cast<std::uint8_t>(qGreen(palette[i]));
        table[i * 4 + 2] = static_cast<std::uint8_t>(qRed(palette[i]));
    }
    std::uint8_t* pixels = table + tableSize;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            if (bits == 24) {
                const QRgb c = reinterpret_cast<const QRgb*>(rgb.constScanLine(y))[x];
                row[x * 3] = static_cast<std::uint8_t>(qBlue(c));
                row[x * 3 + 1] = static_cast<std::uint8_t>(qGreen(c));
                row[x * 3 + 2] = static_cast<std::uint8_t>(qRed(c));
            } else {
                const int bit = x * bits;
                const int index = PixelIndex(rgb, x, y) & ((1 << bits) - 1);
                row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits - bit % 8));
            }
        }
    }
    headerSize = static_cast<int>(kHeaderSize + tableSize);
    return dib;
}

int CQVBitmap::SaveBmpFile(const std::string& path) const {
    int headerSize = 0;
    const std::vector<std::uint8_t> dib = CreateDIB(headerSize);
    if (dib.empty())
        return 0;
    std::vector<std::uint8_t> header(kFileHeaderSize, 0);
    header[0] = 'B';
    header[1] = 'M';
    PutU32(header, 2, static_cast<std::uint32_t>(dib.size() + kFileHeaderSize));
    PutU32(header, 10, static_cast<std::uint32_t>(kFileHeaderSize + headerSize));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return 0;
    const bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size() &&
                         std::fwrite(dib.data(), 1, dib.size(), file.get()) == dib.size();
    return written && std::fclose(file.release()) == 0 ? 1 : 0;
}

bool CQVBitmap::Serialize(std::vector<std::uint8_t>& archive, bool storing) {
    if (storing) {
        int headerSize = 0;
        archive = CreateDIB(headerSize);
        return !archive.empty();
    }
    // Reading back: a packed DIB of 24 bits without compression, as stored.
    if (archive.size() < kHeaderSize || GetU32(archive, 0) != kHeaderSize)
        return false;
    const auto width = static_cast<std::int32_t>(GetU32(archive, 4));
    const auto height = static_cast<std::int32_t>(GetU32(archive, 8));
    const int bits = archive[14] | (archive[15] << 8);
    if (width <= 0 || height <= 0 || bits != 24 || width > 65535 || height > 65535)
        return false;
    const std::size_t stride = ((static_cast<std::size_t>(bits) * width + 31) / 32) * 4;
    if (archive.size() < kHeaderSize + stride * height)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = archive.data() + kHeaderSize + (height - 1 - y) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
    m_Image = image;
    return true;
}
