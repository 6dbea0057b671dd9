// Pictures and strings that tips name by id.
#include "tooltip/TipPictureStore.h"

#include "tooltip/TipBridgePictures.h"

#include <QImageReader>

CTipPictureStore& CTipPictureStore::Instance() {
    static CTipPictureStore store;
    return store;
}

CTipPictureStore::CTipPictureStore() {
    // Command strings: the status-bar prompt, then after "\n" the button's tip.
    m_strings[32920] = "\u91c7\u6837\u8fc7\u7a0b\u4e2d\u7ed9\u4fe1\u53f7\u505a\u6807\u8bb0\n\u6dfb\u52a0"
                       "\u91c7\u6837\u6807\u8bb0";
}

QImage CTipPictureStore::LoadBitmap(int id) const {
    if (id == 0)
        return {};
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_bitmaps.find(id);
        if (it != m_bitmaps.end())
            return it->second;
    }
    QImage image(QStringLiteral(":/tip/bitmaps/%1.png").arg(id));
    if (image.isNull())
        image = DrawBridgePicture(id);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bitmaps[id] = image; // a program bitmap never changes: made once
    return image;
}

QImage CTipPictureStore::LoadIcon(int id, int cx, int cy) const {
    if (id == 0)
        return {};
    QImage image(QStringLiteral(":/tip/icons/%1.png").arg(id));
    if (image.isNull() || cx <= 0 || cy <= 0)
        return image;
    return image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage CTipPictureStore::LoadFile(const std::string& path) {
    if (path.empty())
        return {};
    QImageReader reader(QString::fromStdString(path));
    return reader.read();
}

int CTipPictureStore::Register(const QImage& image) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const int id = m_nNextId++;
    m_registry[id] = image;
    return id;
}

void CTipPictureStore::Unregister(int id) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_registry.erase(id);
}

QImage CTipPictureStore::Find(int id) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_registry.find(id);
    return it == m_registry.end() ? QImage() : it->second;
}

std::string CTipPictureStore::LoadResourceString(int id) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_strings.find(id);
    return id == 0 || it == m_strings.end() ? std::string() : it->second;
}

std::string CTipPictureStore::GetResourceStringLine(int id, int line) const {
    const std::string text = LoadResourceString(id);
    std::size_t start = 0;
    for (int i = 0; i < line; ++i) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos)
            return {};
        start = nl + 1;
    }
    const std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void CTipPictureStore::SetResourceString(int id, const std::string& text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_strings[id] = text;
}
