// CResourcePicture: an explanatory drawing stored among the program's
// resources as an "IMAGE" picture (any format the image reader knows),
// loaded by id and drawn into a rectangle; dialogs show their drawings with it.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
class QPaintDevice;

class CResourcePicture {
public:
    // The resource ":/tip/images/<id>". 0 when it is missing or does not
    // decode; the earlier picture is then kept.
    int LoadFromResource(unsigned id);
    // Draws the picture into the rectangle; all zeros: at (0, 0), its own size. Returns 1.
    int Render(QPainter* painter, int left, int top, int right, int bottom,
               const QRect* bounds = nullptr) const;
    QSize GetSizeInPixels(const QPaintDevice* device = nullptr) const;
    bool HasPicture() const { return !m_picture.isNull(); }

private:
    QImage m_picture;
};
