// Picture ids of the list editor's items and the tip that shows them.
#include "panels/bars/PictureTipComboBox.h"

#include "tooltip/PPToolTip.h"

#include <QAbstractItemView>

#include <string>

CPictureTipComboBox::CPictureTipComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, qOverload<int>(&QComboBox::highlighted), this, &CPictureTipComboBox::ShowPictureTip);
}

CPictureTipComboBox::~CPictureTipComboBox() = default;

void CPictureTipComboBox::SetPictures(const int* ids, int count) {
    m_pictures.assign(ids, ids + (ids != nullptr && count > 0 ? count : 0));
}

void CPictureTipComboBox::ClearPictures() {
    m_pictures.clear();
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
        m_pToolTip.reset();
    }
}

int CPictureTipComboBox::GetPictureOf(int index) const {
    return index >= 0 && index < static_cast<int>(m_pictures.size()) ? m_pictures[index] : -1;
}

void CPictureTipComboBox::showPopup() {
    QComboBox::showPopup();
    ShowPictureTip(view() != nullptr ? view()->currentIndex().row() : currentIndex());
}

void CPictureTipComboBox::ShowPictureTip(int index) {
    if (m_pictures.empty())
        return;
    if (!m_pToolTip) {
        m_pToolTip = std::make_unique<CPPToolTip>();
        m_pToolTip->Create(this, true);
        m_pToolTip->RelayEventsOf(view());
        m_pToolTip->SetSize(2, 4);
        m_pToolTip->SetSize(3, 4);
    }
    const int id = GetPictureOf(index);
    if (id < 0) {
        m_pToolTip->HideNow(); // no highlight, or an item past the pictures: no tip
        return;
    }
    const QPoint corner = mapToGlobal(rect().bottomRight() + QPoint(1, 1));
    m_pToolTip->SetTipStyle(32);
    m_pToolTip->ShowTipAtPoint(corner,
                               "<table><tr><td><bmp idres=" + std::to_string(id) + "></td></tr></table>");
}
