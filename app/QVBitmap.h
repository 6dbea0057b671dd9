// Capture of a window area into a bitmap and its packed device-independent
// form: what the views save as a ".bmp" file or put on the clipboard.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

class CQVBitmap {
public:
    static constexpr int kHeaderSize = 40;
    static constexpr int kFileHeaderSize = 14;

    CQVBitmap() = default;

    // Copies the area of the window (its own coordinates); false when nothing was captured.
    bool CaptureScreenRect(QWidget* window, const QRect& rect);
    // Takes an image as it stands (its depth is the colour depth of the capture).
    void SetImage(const QImage& image) { m_Image = image; }
    const QImage& GetImage() const { return m_Image; }

    // The packed DIB (header, colour table, bottom-up rows); headerSize gets
    // the header plus colour-table size. Empty without a capture.
    std::vector<std::uint8_t> CreateDIB(int& headerSize) const;
    // The 14-byte file header and the packed DIB; 1 on success, 0 otherwise.
    int SaveBmpFile(const std::string& path) const;
    // Stores the packed DIB into the archive, or reads one back from it.
    bool Serialize(std::vector<std::uint8_t>& archive, bool storing);

private:
    QImage m_Image;
};
