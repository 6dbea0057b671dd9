// The channel bar's in-place list editor. It keeps one picture id per list
// item so that a picture tip can show the highlighted choice; without
// pictures it is a plain combo box.
#pragma once

#include <QComboBox>

#include <vector>

class CPictureTipComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CPictureTipComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}

    void SetPictures(const int* ids, int count);
    void ClearPictures() { m_pictures.clear(); }
    int GetPictureCount() const { return static_cast<int>(m_pictures.size()); }
    // The picture of a list item; -1 for an item without one.
    int GetPictureOf(int index) const;

private:
    std::vector<int> m_pictures;
};
