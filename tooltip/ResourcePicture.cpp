// Resource pictures by id.
#include "tooltip/ResourcePicture.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

int CResourcePicture::LoadFromResource(unsigned id) {
    QFile file(QStringLiteral(":/tip/images/%1").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QImageReader reader(&file);
    const QImage picture = reader.read();
    if (picture.isNull())
        return 0; // bytes that do not decode leave the old picture
    m_picture = picture;
    return 1;
}

int CResourcePicture::Render(QPainter* painter, int left, int top, int right, int bottom,
                             const QRect*) const {
    if (painter == nullptr || m_picture.isNull())
        return 1;
    if (left == 0 && top == 0 && right == 0 && bottom == 0)
        painter->drawImage(QPoint(0, 0), m_picture);
    else
        painter->drawImage(QRect(left, top, right - left, bottom - top), m_picture);
    return 1;
}

QSize CResourcePicture::GetSizeInPixels(const QPaintDevice*) const {
    return m_picture.size();
}
