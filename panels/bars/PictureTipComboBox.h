// The channel bar's in-place list editor. It keeps one picture id per list
// item; while its list is open, a picture tip right of the box's lower-right
// corner shows the highlighted choice. Without pictures it is a plain combo
// box.
#pragma once

#include <QComboBox>

#include <memory>
#include <vector>

class CPPToolTip;

class CPictureTipComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CPictureTipComboBox(QWidget* parent = nullptr);
    ~CPictureTipComboBox() override;

    void SetPictures(const int* ids, int count);
    // Forgets the pictures and removes the tip window.
    void ClearPictures();
    int GetPictureCount() const { return static_cast<int>(m_pictures.size()); }
    // The picture of a list item; -1 for an item without one.
    int GetPictureOf(int index) const;
    // The tip window while it exists.
    CPPToolTip* GetToolTip() const { return m_pToolTip.get(); }

    void showPopup() override;

private:
    void ShowPictureTip(int index);

    std::vector<int> m_pictures;
    std::unique_ptr<CPPToolTip> m_pToolTip;
};
