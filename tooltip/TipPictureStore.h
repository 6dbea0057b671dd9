// The pictures and texts a tip can name: program bitmaps and icons by
// resource id, picture files, pictures a caller registers under an id (the
// icon of an icon tip), and the string table. One store serves the program.
#pragma once

#include <QImage>
#include <QString>

#include <map>
#include <mutex>
#include <string>

class CTipPictureStore {
public:
    static CTipPictureStore& Instance();

    // A program bitmap: the resource ":/tip/bitmaps/<id>.png", else one of
    // the built-in drawings (the bridge modes); null when there is none.
    QImage LoadBitmap(int id) const;
    QImage LoadIcon(int id, int cx, int cy) const;
    static QImage LoadFile(const std::string& path);

    int Register(const QImage& image);
    void Unregister(int id);
    QImage Find(int id) const;

    // A string-table entry; "" for 0 or a missing id.
    std::string LoadResourceString(int id) const;
    // Line `line` of the string (lines split at "\n"); "" when it has fewer.
    std::string GetResourceStringLine(int id, int line) const;
    void SetResourceString(int id, const std::string& text);

private:
    CTipPictureStore();

    mutable std::mutex m_mutex; // guards the bitmap cache, the registry and the string table
    mutable std::map<int, QImage> m_bitmaps;
    std::map<int, QImage> m_registry;
    std::map<int, std::string> m_strings;
    int m_nNextId = 1;
};
